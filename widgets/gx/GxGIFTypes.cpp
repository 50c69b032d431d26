// The GIF data model: frames, their shared encoded data, the file's shared
// data, and extension blocks.
#include "widgets/gx/GxGIFTypes.h"

#include <cstring>
#include <memory>

#include "platform/base/Streams.h"
#include "platform/base/StringList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "widgets/gx/Animate.h"
#include "widgets/gx/GxGIFDecode.h"

bool GIFTolerant = true;

const Byte ExtensionLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};

void GIFError(const std::string& Message) { throw EInvalidGraphicOperation(Message); }

// --- colour tables ----------------------------------------------------------

TColor EntryColor(const Byte Entry[3]) {
  return TColor(Entry[0] | (Entry[1] << 8) | (Entry[2] << 16));
}

int IndexOfTableColor(const TRGBTable& Table, TColor Color) {
  if (Color == clNone) return -1;
  const TColor rgb = ColorToRGB(Color);
  const int count = Table.Count < 0 ? 0 : (Table.Count > 256 ? 256 : Table.Count);
  for (int i = 0; i < count; ++i)
    if (EntryColor(Table.Entries[i]) == rgb) return i;
  return -1;
}

int ColorCountToBits(int Count) {
  const int low = Count & 0xFFFF;
  for (int bits = 1; bits <= 8; ++bits)
    if (low == (1 << bits)) return bits;
  GIFError(SGIFWrongColorCount);
}

// --- shared images ----------------------------------------------------------

void TSharedImage::Release() {
  if (--FRefCount > 0) return;
  FreeHandle();
  delete this;
}

TGIFData::TGIFData() : FCommentLines(new TStringList) {}

TGIFData::~TGIFData() { delete FCommentLines; }

void TGIFData::FreeHandle() { FCommentLines->Clear(); }

TGIFItem::~TGIFItem() { delete FEncoded; }

void TGIFItem::FreeHandle() {
  if (FEncoded) FEncoded->SetSize(0);
}

// --- extensions -------------------------------------------------------------

TExtension::~TExtension() { delete FSubBlocks; }

void TExtension::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TExtension*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FKind = source->FKind;
  std::memcpy(FFixed, source->FFixed, sizeof FFixed);
  if (source->FSubBlocks) {
    if (!FSubBlocks) FSubBlocks = new TStringList;
    FSubBlocks->Assign(source->FSubBlocks);
  }
}

bool TExtension::IsLoopBlock() const {
  if (FKind != ekApplication || !FSubBlocks || FSubBlocks->Count() < 1) return false;
  const int length = FFixed[0] < 11 ? FFixed[0] : 11;
  const bool netscape = std::memcmp(FFixed + 1, "NETSCAPE2.0", length) == 0;
  const bool animexts = std::memcmp(FFixed + 1, "ANIMEXTS1.0", length) == 0;
  if (!netscape && !animexts) return false;
  const std::string first = FSubBlocks->Strings(0);
  return first.size() >= 3 && Byte(first[0]) == 1;
}

TExtension* ExtensionOfKind(const TExtensionList* List, TExtensionKind Kind) {
  if (!List) return nullptr;
  for (auto it = List->rbegin(); it != List->rend(); ++it)
    if ((*it)->FKind == Kind) return *it;
  return nullptr;
}

void ClearExtensionList(TExtensionList*& List) {
  if (!List) return;
  for (TExtension* e : *List) delete e;
  delete List;
  List = nullptr;
}

// --- frames -----------------------------------------------------------------

TGIFFrame::TGIFFrame(TGIFFrameOwner* Owner) : FParentImage(Owner) { ResetFrameImage(); }

TGIFFrame::~TGIFFrame() {
  delete FDecoded;
  ClearExtensionList(FExtList);
  if (FShared) FShared->Release();
}

void TGIFFrame::ResetFrameImage() {
  if (FShared) FShared->Release();
  FShared = new TGIFItem;
  FShared->Reference();
  FGrayReduced = false;
  FDamaged = false;
  FTransColor = clNone;
  FOrigin = TPoint{0, 0};
  FIsInterlaced = false;
  FOwnColors = false;
  FDelayMs = 0;
  FDisposalMethod = 0;
}

void TGIFFrame::RecreateBitmap() {
  delete FDecoded;
  FDecoded = new TBitmap;
}

TBitmap* TGIFFrame::FrameBitmap() {
  if (FDecoded && !FDecoded->Empty()) return FDecoded;
  RecreateBitmap();
  if (!FShared->FEncoded) return FDecoded;
  TMemoryStream bmp;
  DecodeFrame(this, &bmp);
  // Loading into a fresh bitmap keeps FDecoded empty when the load fails,
  // so the next call decodes again.
  auto loaded = std::make_unique<TBitmap>();
  loaded->LoadFromStream(&bmp);
  if (!loaded->Monochrome()) loaded->SetHandleType(bmDDB);
  delete FDecoded;
  FDecoded = loaded.release();
  return FDecoded;
}

int TGIFFrame::FrameWidth() {
  if (!FDecoded && !FShared->FEncoded) return 0;
  return FrameBitmap()->Width();
}

int TGIFFrame::FrameHeight() {
  if (!FDecoded && !FShared->FEncoded) return 0;
  return FrameBitmap()->Height();
}

TStrings* TGIFFrame::FrameCommentList(bool Create) {
  TExtension* comment = ExtensionOfKind(FExtList, ekComment);
  if (!comment) {
    if (!Create) return nullptr;
    if (!FExtList) FExtList = new TExtensionList;
    comment = new TExtension;
    comment->FKind = ekComment;
    FExtList->push_back(comment);
  }
  if (!comment->FSubBlocks) {
    if (!Create) return nullptr;
    comment->FSubBlocks = new TStringList;
  }
  return comment->FSubBlocks;
}

void TGIFFrame::AssignFrameComment(TStrings* Lines) { FrameComment()->Assign(Lines); }

void TGIFFrame::Assign(TPersistent* Source) {
  if (!Source) {
    ResetFrameImage();
    delete FDecoded;
    FDecoded = nullptr;
  } else if (auto* frame = dynamic_cast<TGIFFrame*>(Source)) {
    if (frame == this) return;
    frame->FShared->Reference();
    FShared->Release();
    FShared = frame->FShared;
    FOwnColors = frame->FParentImage == FParentImage ? frame->FOwnColors : true;
    FOrigin = frame->FOrigin;
    FIsInterlaced = frame->FIsInterlaced;
    if (frame->FDecoded) {
      RecreateBitmap();
      FDecoded->Assign(frame->FDecoded);
    }
    FTransColor = frame->FTransColor;
    FDelayMs = frame->FDelayMs;
    FDisposalMethod = frame->FDisposalMethod;
    FGrayReduced = frame->FGrayReduced;
    FDamaged = frame->FDamaged;
    TStrings* lines = frame->FrameCommentList(false);
    if (lines && lines->Count() > 0) AssignFrameComment(lines);
  } else if (auto* image = dynamic_cast<TGIFFrameOwner*>(Source)) {
    if (image->FrameCount() == 0) {
      Assign(nullptr);
    } else {
      const int index = image->CurrentIndex();
      Assign(image->FrameAt(index < 0 ? 0 : index));
    }
    return;  // the inner assignment recomputed the screen size
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    if (graphic->Empty()) {
      Assign(nullptr);
      return;
    }
    ResetFrameImage();
    RecreateBitmap();
    try {
      FDecoded->Assign(graphic);
      if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) FDecoded->SetMonochrome(bitmap->Monochrome());
    } catch (const Exception&) {
      // A graphic the bitmap cannot take is drawn onto it instead.
      FDecoded->Canvas()->Brush()->SetColor(TColor(0xFF00FF));
      FDecoded->SetWidth(graphic->Width());
      FDecoded->SetHeight(graphic->Height());
      FDecoded->Canvas()->Draw(0, 0, graphic);
    }
    if (graphic->Transparent()) {
      if (auto* bitmap = dynamic_cast<TBitmap*>(graphic))
        FTransColor = bitmap->TransparentColor();
      else
        FTransColor = FDecoded->Canvas()->GetNearestColor(
            ColorToRGB(FDecoded->Canvas()->Brush()->Color()));
    }
  } else {
    TPersistent::Assign(Source);
    return;
  }
  if (FParentImage) FParentImage->RecalcScreenSize();
}

void TGIFFrame::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TGIFFrame*>(Dest) || dynamic_cast<TGIFFrameOwner*>(Dest)) {
    Dest->Assign(this);
    return;
  }
  if (!dynamic_cast<TGraphic*>(Dest)) {
    TPersistent::AssignTo(Dest);
    return;
  }
  Dest->Assign(FrameBitmap());
  if (auto* bitmap = dynamic_cast<TBitmap*>(Dest); bitmap && FTransColor != clNone) {
    bitmap->SetTransparentColor(bitmap->Canvas()->GetNearestColor(ColorToRGB(FTransColor)));
    bitmap->SetTransparent(true);
  }
}

void TGIFFrame::SyncControlExtension() {
  TExtension* control = ExtensionOfKind(FExtList, ekGraphicControl);
  if (!control && (FDelayMs > 0 || FTransColor != clNone || FDisposalMethod != 0)) {
    if (!FExtList) FExtList = new TExtensionList;
    control = new TExtension;
    control->FKind = ekGraphicControl;
    control->FFixed[0] = 4;
    FExtList->push_back(control);
  }
  if (control) {
    const unsigned delay = FDelayMs / 10;
    control->FFixed[2] = Byte(delay);
    control->FFixed[3] = Byte(delay >> 8);
    const int index = IndexOfTableColor(FShared->FColors, FTransColor);
    if (index >= 0) {
      control->FFixed[4] = Byte(index);
      control->FFixed[1] |= 1;
    } else {
      control->FFixed[1] &= Byte(~1);
    }
    control->FFixed[1] = Byte((control->FFixed[1] & 0xE3) | ((FDisposalMethod & 7) << 2));
  }
  if (FExtList) {
    for (int i = int(FExtList->size()) - 1; i >= 0; --i) {
      TExtension* e = (*FExtList)[i];
      if (e->FKind == ekComment && (!e->FSubBlocks || e->FSubBlocks->Count() == 0)) {
        delete e;
        FExtList->erase(FExtList->begin() + i);
      }
    }
    if (!FExtList->empty() && FParentImage) FParentImage->SetGifVersion(2);
  }
}

void TGIFFrame::StretchDrawFrame(TCanvas* Canvas, const TRect& Rect, bool Transparent) {
  TBitmap* bitmap = FrameBitmap();
  if (Transparent && FTransColor != clNone) {
    StretchBitmapRectMasked(Canvas, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                            ::Rect(0, 0, bitmap->Width(), bitmap->Height()), bitmap, FTransColor);
  } else {
    Canvas->StretchDraw(Rect, bitmap);
  }
}
