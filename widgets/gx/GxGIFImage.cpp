#include "widgets/gx/GxGIFImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/StringList.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Clipboard.h"
#include "platform/layout/Registry.h"
#include "widgets/gx/AniFile.h"
#include "widgets/gx/GxGIFDecode.h"
#include "widgets/gx/GxGIFEncode.h"

namespace {

constexpr Byte kExtensionIntroducer = '!';
constexpr Byte kImageSeparator = ',';
constexpr Byte kTrailer = ';';
constexpr Byte kLabelGraphicControl = 0xF9;
constexpr Byte kLabelComment = 0xFE;
constexpr Byte kLabelPlainText = 0x01;
constexpr Byte kLabelApplication = 0xFF;
constexpr Word kMaxLoopCount = 30000;

// Version table, indexed by the image's version field; "" never matches.
constexpr const char* kVersions[] = {"", "87a", "89a"};

bool DataRemain(TStream* Stream) { return Stream->Position() < Stream->Size(); }

Byte ReadByte(TStream* Stream) {
  Byte b = 0;
  Stream->ReadBuffer(&b, 1);
  return b;
}

void WriteByte(TStream* Stream, Byte Value) { Stream->WriteBuffer(&Value, 1); }

void WriteWord(TStream* Stream, Word Value) {
  Byte b[2] = {Byte(Value), Byte(Value >> 8)};
  Stream->WriteBuffer(b, 2);
}

void WriteLength(TStream* Stream, std::uint32_t Value) {
  Byte b[4] = {Byte(Value), Byte(Value >> 8), Byte(Value >> 16), Byte(Value >> 24)};
  Stream->WriteBuffer(b, 4);
}

// The 32-bit little-endian length that precedes a GIF in layouts and on the clipboard.
std::int64_t ReadLength(TStream* Stream) {
  Byte b[4];
  Stream->ReadBuffer(b, 4);
  return std::int64_t(b[0]) | std::int64_t(b[1]) << 8 | std::int64_t(b[2]) << 16 |
         std::int64_t(b[3]) << 24;
}

bool SameBytesIgnoringCase(const char* Bytes, const char* Text) {
  if (std::strlen(Text) != 3) return false;
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(Bytes[i])) !=
        std::tolower(static_cast<unsigned char>(Text[i])))
      return false;
  return true;
}

// Reads bytes until one is not 0 and gives it; 0 when the data end.
Byte SkipToNextBlock(TStream* Stream) {
  while (DataRemain(Stream)) {
    Byte b = ReadByte(Stream);
    if (b != 0) return b;
  }
  return 0;
}

// Data sub-blocks up to a zero length byte or the end of the data.
TStringList* ReadSubBlocks(TStream* Stream) {
  auto list = std::make_unique<TStringList>();
  while (DataRemain(Stream)) {
    Byte length = ReadByte(Stream);
    if (length == 0) break;
    std::string block(length, '\0');
    Stream->ReadBuffer(block.data(), length);
    list->Add(block);
  }
  return list.release();
}

// Each string as one sub-block (cut to 255 bytes; empty ones skipped), then the terminator.
void WriteSubBlocks(TStream* Stream, const TStrings* Lines) {
  if (Lines != nullptr)
    for (int i = 0; i < Lines->Count(); ++i) {
      std::string line = Lines->Strings(i);
      std::size_t n = std::min<std::size_t>(line.size(), 255);
      if (n == 0) continue;
      WriteByte(Stream, Byte(n));
      Stream->WriteBuffer(line.data(), int(n));
    }
  WriteByte(Stream, 0);
}

std::unique_ptr<TExtension> ReadExtensionBlock(TStream* Stream) {
  auto extension = std::make_unique<TExtension>();
  Byte label = ReadByte(Stream);
  switch (label) {
    case kLabelGraphicControl:
      extension->FKind = ekGraphicControl;
      Stream->ReadBuffer(extension->FFixed, 6);
      break;
    case kLabelComment:
      extension->FKind = ekComment;
      extension->FSubBlocks = ReadSubBlocks(Stream);
      break;
    case kLabelPlainText:
      extension->FKind = ekPlainText;
      Stream->ReadBuffer(extension->FFixed, 13);
      extension->FSubBlocks = ReadSubBlocks(Stream);
      break;
    case kLabelApplication:
      extension->FKind = ekApplication;
      Stream->ReadBuffer(extension->FFixed, 12);
      extension->FSubBlocks = ReadSubBlocks(Stream);
      break;
    default: {
      char text[64];
      std::snprintf(text, sizeof text, SGIFUnknownExtension, unsigned(label));
      GIFError(text);
    }
  }
  return extension;
}

void WriteExtensionList(TStream* Stream, const TExtensionList* List) {
  if (List == nullptr) return;
  for (const TExtension* e : *List) {
    if (e == nullptr) continue;
    WriteByte(Stream, kExtensionIntroducer);
    WriteByte(Stream, ExtensionLabels[e->FKind]);
    switch (e->FKind) {
      case ekGraphicControl: Stream->WriteBuffer(e->FFixed, 6); break;
      case ekPlainText:
        Stream->WriteBuffer(e->FFixed, 13);
        WriteSubBlocks(Stream, e->FSubBlocks);
        break;
      case ekApplication:
        Stream->WriteBuffer(e->FFixed, 12);
        WriteSubBlocks(Stream, e->FSubBlocks);
        break;
      case ekComment: WriteSubBlocks(Stream, e->FSubBlocks); break;
    }
  }
}

// Marks the image as being read or written for the lifetime of the guard.
class TFlagGuard {
 public:
  explicit TFlagGuard(bool& Flag) : FFlag(Flag), FOld(Flag) { FFlag = true; }
  ~TFlagGuard() { FFlag = FOld; }

 private:
  bool& FFlag;
  bool FOld;
};

bool HasEncodedData(const TGIFFrame* Frame) {
  return Frame->FShared != nullptr && Frame->FShared->FEncoded != nullptr &&
         Frame->FShared->FEncoded->Size() > 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TGIFImage::TGIFImage() {
  ResetImage();
  SetTransparent(true);
}

TGIFImage::~TGIFImage() {
  SetOnChange(nullptr);
  if (FGlobalData != nullptr) FGlobalData->Release();
  FGlobalData = nullptr;
  ClearFrameList();
}

void TGIFImage::ResetImage() {
  auto* data = new TGIFData;
  data->Reference();
  if (FGlobalData != nullptr) FGlobalData->Release();
  FGlobalData = data;
  ClearFrameList();
  FCurrentIndex = -1;
  FBackColor = clNone;
  FLoopCount = 1;
  FLoopAnimation = false;
  FGifVersion = gvNone;
}

void TGIFImage::ClearFrameList() {
  std::vector<TGIFFrame*> frames;
  frames.swap(FFrameList);
  for (TGIFFrame* frame : frames) delete frame;
}

TGIFFrame* TGIFImage::NewFrame() { return new TGIFFrame(this); }

TGIFFrame* TGIFImage::FrameAt(int Index) const {
  if (Index < 0 || Index >= FrameCount()) throw EListError(Format(SListIndexError, Index));
  return FFrameList[std::size_t(Index)];
}

// ---------------------------------------------------------------------------
// Assignment

void TGIFImage::Assign(TPersistent* Source) {
  if (Source == nullptr) {
    ResetImage();
    Changed(this);
  } else if (auto* image = dynamic_cast<TGIFImage*>(Source)) {
    if (image != this) AssignGIFImage(image);
  } else if (auto* frame = dynamic_cast<TGIFFrame*>(Source)) {
    AssignGIFFrame(frame);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    ResetImage();
    AppendFrame(bitmap);
    Changed(this);
  } else if (auto* cursor = dynamic_cast<TAnimatedCursorImage*>(Source)) {
    AssignCursor(cursor);
  } else {
    TGraphic::Assign(Source);
  }
}

void TGIFImage::AssignGIFImage(TGIFImage* Source) {
  Source->FGlobalData->Reference();
  FGlobalData->Release();
  FGlobalData = Source->FGlobalData;
  FGifVersion = Source->FGifVersion;
  FBackColor = Source->FBackColor;
  FLoopCount = Source->FLoopCount;
  FLoopAnimation = Source->FLoopAnimation;
  ClearFrameList();
  for (TGIFFrame* sourceFrame : Source->FFrameList) {
    std::unique_ptr<TGIFFrame> frame(NewFrame());
    frame->FShared->FColorDepth = sourceFrame->FShared->FColorDepth;
    frame->Assign(sourceFrame);
    frame->FOwnColors = sourceFrame->FOwnColors;
    FFrameList.push_back(frame.release());
  }
  FLogicalWidth = Source->FLogicalWidth;
  FLogicalHeight = Source->FLogicalHeight;
  FCurrentIndex = Source->FCurrentIndex;
  Changed(this);
}

void TGIFImage::AssignGIFFrame(TGIFFrame* Source) {
  // Emptying the image would free a frame of its own before it is copied:
  // copy from a second image that shares this one's data instead.
  std::unique_ptr<TGIFImage> holder;
  auto* sourceOwner = dynamic_cast<TGIFImage*>(Source->FParentImage);
  auto it = std::find(FFrameList.begin(), FFrameList.end(), Source);
  if (sourceOwner == this && it != FFrameList.end()) {
    holder = std::make_unique<TGIFImage>();
    holder->Assign(this);
    Source = holder->FrameAt(int(it - FFrameList.begin()));
  }
  ResetImage();
  if (Source->FParentImage != nullptr) {
    const TGIFData* from = Source->FParentImage->GlobalData();
    FGlobalData->FAspect = from->FAspect;
    FGlobalData->FGlobalDepth = from->FGlobalDepth;
    FGlobalData->FColorResolution = from->FColorResolution;
    FGlobalData->FGlobalColors = from->FGlobalColors;
  }
  TGIFFrame* frame = NewFrame();
  FFrameList.push_back(frame);
  FCurrentIndex = FrameCount() - 1;
  frame->Assign(Source);
  if (holder) frame->FOwnColors = Source->FOwnColors;  // it came from this image
  if (FGifVersion == gvNone) FGifVersion = gv87a;
  Changed(this);
}

void TGIFImage::AssignCursor(TAnimatedCursorImage* Cursor) {
  ResetImage();
  FBackColor = clWindow;
  for (int i = 0; i < Cursor->FrameCount(); ++i) {
    AppendFrame(Cursor->FrameIcons(i));
    // Sixtieths of a second to milliseconds (10 gives 166).
    std::uint64_t delay = std::uint64_t(Cursor->Frames(i)->RateJiffies()) * 100 / 6;
    FrameAt(FCurrentIndex)->FDelayMs = Word(std::min<std::uint64_t>(delay, 0xFFFF));
  }
  Changed(this);
}

void TGIFImage::AssignTo(TPersistent* Dest) {
  if (auto* image = dynamic_cast<TGIFImage*>(Dest)) {
    image->Assign(this);
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Dest)) {
    if (Empty())
      graphic->Assign(nullptr);
    else if (FCurrentIndex >= 0 && FCurrentIndex < FrameCount())
      graphic->Assign(FrameAt(FCurrentIndex));  // the frame assigns itself into it
    else
      graphic->Assign(CurrentBitmap());
  } else {
    TGraphic::AssignTo(Dest);
  }
}

int TGIFImage::AppendFrame(TGraphic* Graphic) {
  TGIFFrame* frame = NewFrame();
  FFrameList.push_back(frame);
  FCurrentIndex = FrameCount() - 1;
  frame->Assign(Graphic);
  if (FGifVersion == gvNone) FGifVersion = gv87a;
  if (FrameCount() > 1) FGifVersion = gv89a;
  return FCurrentIndex;
}

// ---------------------------------------------------------------------------
// Queries

TBitmap* TGIFImage::CurrentBitmap() {
  if (FFrameList.empty()) {
    FCurrentIndex = 0;
    TBitmap empty;
    Assign(&empty);
    return FrameAt(FCurrentIndex)->FrameBitmap();
  }
  int index = FCurrentIndex >= 0 && FCurrentIndex < FrameCount() ? FCurrentIndex : 0;
  return FrameAt(index)->FrameBitmap();
}

bool TGIFImage::Empty() const {
  if (FFrameList.empty()) return true;
  int index = std::max(FCurrentIndex, 0);
  if (index >= FrameCount()) index = 0;
  const TGIFFrame* frame = FFrameList[std::size_t(index)];
  if (frame->FDecoded != nullptr) return false;
  return !HasEncodedData(frame);
}

int TGIFImage::Width() const {
  if (Empty() || FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return 0;
  return FrameAt(FCurrentIndex)->FrameBitmap()->Width();
}

int TGIFImage::Height() const {
  if (Empty() || FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return 0;
  return FrameAt(FCurrentIndex)->FrameBitmap()->Height();
}

void TGIFImage::SetWidth(int) { GIFError(SGIFCannotChangeSize); }
void TGIFImage::SetHeight(int) { GIFError(SGIFCannotChangeSize); }

int TGIFImage::LogicalWidth() const { return Empty() && !FStreaming ? 0 : FLogicalWidth; }
int TGIFImage::LogicalHeight() const { return Empty() && !FStreaming ? 0 : FLogicalHeight; }

bool TGIFImage::Transparent() const {
  if (!TGraphic::Transparent()) return false;
  return std::any_of(FFrameList.begin(), FFrameList.end(),
                     [](const TGIFFrame* f) { return f->FTransColor != clNone; });
}

TBitmapPalette TGIFImage::Palette() {
  if (FFrameList.empty()) return {};
  return CurrentBitmap()->Palette();
}

bool TGIFImage::Equals(TGraphic* Graphic) {
  auto* image = dynamic_cast<TGIFImage*>(Graphic);
  return image != nullptr && image->FGlobalData == FGlobalData;
}

void TGIFImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FCurrentIndex < 0 || FCurrentIndex >= FrameCount()) return;
  FrameAt(FCurrentIndex)->StretchDrawFrame(ACanvas, Rect, Transparent());
}

void TGIFImage::RecalcScreenSize() {
  int width = 0, height = 0;
  for (TGIFFrame* frame : FFrameList) {
    if (frame == nullptr) continue;
    // A frame's size is that of its picture; an undecoded frame's picture
    // will have the size its image block gives, so nothing is decoded here.
    int w = 0, h = 0;
    if (frame->FDecoded != nullptr && !frame->FDecoded->Empty()) {
      w = frame->FDecoded->Width();
      h = frame->FDecoded->Height();
    } else if (frame->FShared != nullptr && frame->FShared->FEncoded != nullptr) {
      w = frame->FShared->FExtent.cx;
      h = frame->FShared->FExtent.cy;
    }
    width = Word(std::max(width, frame->FOrigin.X + w));
    height = Word(std::max(height, frame->FOrigin.Y + h));
  }
  FLogicalWidth = Word(width);
  FLogicalHeight = Word(height);
}

void TGIFImage::ReportProgress(TGIFProgressStage Stage, int Percent, const std::string& Message) {
  if (FOnProgress) FOnProgress(this, Stage, Byte(Percent), false, TRect{0, 0, 0, 0}, Message);
}

// ---------------------------------------------------------------------------
// Reading

void TGIFImage::LoadFromStream(TStream* Stream) {
  std::int64_t rest = Stream->Size() - Stream->Position();
  if (rest > 0x7FFFFFFF) {
    ResetImage();
    throw EReadError(SReadError);
  }
  ParseGIFStream(int(std::max<std::int64_t>(rest, 0)), Stream, true);
}

void TGIFImage::ReadData(TStream* Stream) {
  std::int64_t length = ReadLength(Stream);
  if (length > 0x7FFFFFFF) {
    ResetImage();
    throw EReadError(SReadError);
  }
  ParseGIFStream(int(length), Stream, true);
}

namespace {

// State of one parse: the memory copy of the stream and the extensions
// read since the last image block.
struct TGIFParse {
  TMemoryStream Data;
  TExtensionList* Pending = nullptr;
  ~TGIFParse() { ClearExtensionList(Pending); }
};

}  // namespace

void TGIFImage::ParseGIFStream(int Length, TStream* Stream, bool DecodeFirst) {
  ResetImage();
  TGIFParse parse;
  // Nothing is allocated for a length the source cannot give.
  if (Length < 0 || Length > Stream->Size() - Stream->Position()) throw EReadError(SReadError);
  if (Length > 0) parse.Data.CopyFrom(Stream, Length);
  parse.Data.SetPosition(0);

  if (Length > 0) {
    TFlagGuard streaming(FStreaming);
    TStream* s = &parse.Data;

    char signature[3];
    s->ReadBuffer(signature, 3);
    if (!SameBytesIgnoringCase(signature, "GIF")) GIFError(SGIFUnknownVersion);
    char version[3];
    s->ReadBuffer(version, 3);
    FGifVersion = gvNone;
    for (int v = 0; v < 3; ++v)
      if (SameBytesIgnoringCase(version, kVersions[v])) {
        FGifVersion = Byte(v);
        break;
      }
    if (FGifVersion == gvNone) GIFError(SGIFUnknownVersion);

    Byte screen[7];
    s->ReadBuffer(screen, 7);
    FLogicalWidth = Word(screen[0] | screen[1] << 8);
    FLogicalHeight = Word(screen[2] | screen[3] << 8);
    Byte packed = screen[4], background = screen[5];
    FGlobalData->FAspect = screen[6];
    FGlobalData->FGlobalDepth = Byte((packed & 7) + 1);
    FGlobalData->FColorResolution = Byte(((packed & 0x70) >> 4) + 1);

    if (packed & 0x80) {
      TRGBTable& table = FGlobalData->FGlobalColors;
      table.Count = 1 << FGlobalData->FGlobalDepth;
      s->ReadBuffer(table.Entries, table.Count * 3);
      if (background < table.Count) FBackColor = EntryColor(table.Entries[background]);
    }

    Byte introducer = SkipToNextBlock(s);
    while (introducer != 0 && introducer != kTrailer && DataRemain(s)) {
      ReadExtensionRun(s, introducer, parse.Pending);
      if (introducer == kImageSeparator) {
        std::unique_ptr<TGIFFrame> frame(NewFrame());
        if (FGlobalData->FGlobalColors.Count > 0)
          frame->FShared->FColorDepth = Byte(ColorCountToBits(FGlobalData->FGlobalColors.Count));
        frame->FExtList = parse.Pending;
        parse.Pending = nullptr;
        ReadFrame(frame.get(), s);
        FFrameList.push_back(frame.release());
        introducer = DataRemain(s) ? SkipToNextBlock(s) : kTrailer;
        if (introducer != kExtensionIntroducer && introducer != kImageSeparator &&
            introducer != kTrailer)
          introducer = 0;
      } else if (FGlobalData->FCommentLines->Count() == 0 && parse.Pending != nullptr) {
        // Comments after the last frame are the image comment.
        TStringList* comment = FGlobalData->FCommentLines;
        for (TExtension* e : *parse.Pending) {
          if (e->FKind != ekComment) continue;
          if (comment->Count() > 0) comment->Add("\r\n\r\n");
          if (e->FSubBlocks != nullptr) comment->AddStrings(e->FSubBlocks);
        }
        ClearExtensionList(parse.Pending);
      } else {
        ClearExtensionList(parse.Pending);
        if (introducer != 0 && introducer != kTrailer) GIFError(SReadError);
      }
    }
  }

  if (!FFrameList.empty()) {
    FCurrentIndex = 0;
    if (DecodeFirst) {
      try {
        CurrentBitmap();
      } catch (...) {
        delete FFrameList.front();
        FFrameList.erase(FFrameList.begin());
        throw;
      }
    }
  }
  SetPaletteModified(true);
  Changed(this);
}

void TGIFImage::ReadExtensionRun(TStream* Stream, Byte& Introducer, TExtensionList*& Pending) {
  while (Introducer == kExtensionIntroducer) {
    std::unique_ptr<TExtension> extension = ReadExtensionBlock(Stream);
    // A plain-text block ends the effect of the control blocks before it.
    if (extension->FKind == ekPlainText) ClearExtensionList(Pending);
    if (extension->FKind == ekPlainText || extension->FKind == ekApplication) {
      if (extension->IsLoopBlock()) {
        const std::string first = extension->FSubBlocks->Strings(0);
        int count = Byte(first[1]) + 256 * Byte(first[2]);
        FLoopAnimation = true;
        FLoopCount = Word(std::min<int>(count, kMaxLoopCount));
      }
    } else {
      if (Pending == nullptr) Pending = new TExtensionList;
      Pending->push_back(extension.release());
    }
    if (!DataRemain(Stream)) {
      Introducer = kTrailer;
      break;
    }
    Introducer = SkipToNextBlock(Stream);
  }
  if (Pending != nullptr && Pending->empty()) ClearExtensionList(Pending);
}

// ---------------------------------------------------------------------------
// Writing

void TGIFImage::EncodeAllFrames(bool Redecode) {
  TFlagGuard streaming(FStreaming);
  for (TGIFFrame* frame : FFrameList) {
    if (!HasEncodedData(frame)) {
      delete frame->FShared->FEncoded;
      frame->FShared->FEncoded = nullptr;
      EncodeFrame(frame);
      if (Redecode && frame->FDecoded != nullptr && frame->FDecoded->Palette().empty()) {
        delete frame->FDecoded;
        frame->FDecoded = nullptr;
        try {
          frame->FrameBitmap();
        } catch (const EAbort&) {
        }
      }
    }
    frame->SyncControlExtension();
    if (frame->FExtList != nullptr && !frame->FExtList->empty()) FGifVersion = gv89a;
  }
}

void TGIFImage::SaveToStream(TStream* Stream) { WriteGIFStream(Stream, false); }

void TGIFImage::WriteData(TStream* Stream) { WriteGIFStream(Stream, true); }

void TGIFImage::WriteGIFStream(TStream* Stream, bool WithLength) {
  if (FFrameList.empty()) GIFError(SGIFNoDataToWrite);
  TFlagGuard streaming(FStreaming);
  EncodeAllFrames(false);
  if (FGlobalData->FCommentLines->Count() > 0) FGifVersion = gv89a;

  TMemoryStream gif;
  gif.WriteBuffer("GIF", 3);
  gif.WriteBuffer(kVersions[std::clamp<int>(FGifVersion, gv87a, gv89a)], 3);

  RecalcScreenSize();
  WriteWord(&gif, FLogicalWidth);
  WriteWord(&gif, FLogicalHeight);
  const TRGBTable& table = FGlobalData->FGlobalColors;
  Byte packed = 0, background = 0;
  if (table.Count > 0) {
    packed = Byte(0x80 + ((ColorCountToBits(table.Count) - 1) << 4) +
                  ((FGlobalData->FGlobalDepth - 1) & 7));
    background = Byte(std::max(IndexOfTableColor(table, FBackColor), 0));
  }
  WriteByte(&gif, packed);
  WriteByte(&gif, background);
  WriteByte(&gif, FGlobalData->FAspect);
  if (table.Count > 0) gif.WriteBuffer(table.Entries, table.Count * 3);

  if (FLoopAnimation && FrameCount() > 1) {
    const Byte loop[] = {kExtensionIntroducer, kLabelApplication, 0x0B, 'N', 'E', 'T', 'S', 'C',
                         'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, Byte(FLoopCount),
                         Byte(FLoopCount >> 8), 0x00};
    gif.WriteBuffer(loop, sizeof loop);
  }

  for (TGIFFrame* frame : FFrameList) {
    WriteExtensionList(&gif, frame->FExtList);
    WriteByte(&gif, kImageSeparator);
    WriteImageDescriptor(frame, &gif);
    WriteLocalColorTable(frame, &gif);
    WriteImageData(frame, &gif);
  }

  if (FGlobalData->FCommentLines->Count() > 0) {
    WriteByte(&gif, kExtensionIntroducer);
    WriteByte(&gif, kLabelComment);
    WriteSubBlocks(&gif, FGlobalData->FCommentLines);
  }
  WriteByte(&gif, kTrailer);

  if (WithLength) WriteLength(Stream, std::uint32_t(gif.Size()));
  gif.SetPosition(0);
  Stream->CopyFrom(&gif, gif.Size());
}

// ---------------------------------------------------------------------------
// Clipboard

void TGIFImage::SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) {
  if (FFrameList.empty()) return;
  FrameAt(0)->FrameBitmap()->SaveToClipboardFormat(Format, Data);
  // Only data already encoded go as GIF: nothing is encoded for the clipboard.
  if (GIFClipboardFormat() == 0) return;  // the format is not registered
  if (!std::all_of(FFrameList.begin(), FFrameList.end(), HasEncodedData)) return;
  TMemoryStream gif;
  WriteGIFStream(&gif, true);
  std::vector<Byte> block(std::size_t(gif.Size()));
  if (!block.empty()) std::memcpy(block.data(), gif.Memory(), block.size());
  Clipboard()->SetBlock(GIFClipboardFormat(), block);
}

void TGIFImage::LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) {
  TClipboard* clipboard = Clipboard();
  if (GIFClipboardFormat() != 0 && clipboard->HasFormat(GIFClipboardFormat())) {
    std::vector<Byte> block = clipboard->GetBlock(GIFClipboardFormat());
    TMemoryStream stream;
    if (!block.empty()) stream.WriteBuffer(block.data(), int(block.size()));
    stream.SetPosition(0);
    std::int64_t length = ReadLength(&stream);
    if (length > 0x7FFFFFFF) {
      ResetImage();
      throw EReadError(SReadError);
    }
    ParseGIFStream(int(length), &stream, false);
    if (!FFrameList.empty()) {
      FCurrentIndex = 0;
      if (clipboard->HasFormat(CF_BITMAP)) {
        TGIFFrame* first = FrameAt(0);
        first->RecreateBitmap();
        first->FDecoded->LoadFromClipboardFormat(CF_BITMAP, clipboard->GetBlock(CF_BITMAP));
      }
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(Format, Data);
  Assign(&bitmap);
}

// ---------------------------------------------------------------------------
// Registration

namespace {
TClipboardFormat GIFFormat = 0;
}  // namespace

TClipboardFormat GIFClipboardFormat() { return GIFFormat; }

void RegisterGIFGraphic() {
  GIFFormat = RegisterClipboardFormat("GIF Image");
  RegisterGIFImageLayout();
  TPicture::RegisterFileFormat("gif", SGIFImageDescription, GraphicClassOf<TGIFImage>());
  TPicture::RegisterClipboardFormat(GIFFormat, GraphicClassOf<TGIFImage>());
}

void UnregisterGIFGraphic() { TPicture::UnregisterGraphicClass(GraphicClassOf<TGIFImage>()); }

void RegisterGIFImageLayout() {
  RegisterLayoutClass("TGIFFrame", "");
  RegisterLayoutClass("TGIFImage", "");
  RegisterLayoutProperty("TGIFImage", "Data",
                         [](TPersistent* target, const TLayoutValue& value, TLayoutContext&) {
                           TGIFImage& image = LayoutTarget<TGIFImage>(target, "Data");
                           const std::vector<Byte>& bytes = value.AsBytes();
                           TMemoryStream stream;
                           if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int(bytes.size()));
                           stream.SetPosition(0);
                           image.ReadData(&stream);
                         });
}
