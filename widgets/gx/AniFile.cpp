#include "widgets/gx/AniFile.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "widgets/gx/Animate.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "widgets/gx/GxColorReduce.h"
#include "widgets/gx/IcoList.h"

namespace {

[[noreturn]] void RaiseReadError() { throw EReadError(SReadError); }

std::uint32_t GetLE32(const Byte* P) {
  return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
         std::uint32_t(P[3]) << 24;
}
Word GetLE16(const Byte* P) { return Word(P[0] | P[1] << 8); }

bool IdIs(const TAniChunkHeader& Header, const char (&Id)[5]) {
  return std::memcmp(Header.Id.data(), Id, 4) == 0;
}

// The next even number at or above Size (chunk bodies are padded to even length).
std::int64_t EvenSize(std::int64_t Size) { return Size + (Size & 1); }

std::int64_t BytesLeft(TStream* Stream) { return std::max<std::int64_t>(Stream->Size() - Stream->Position(), 0); }

// Moves past Count bytes; false when fewer are there (the stream is left at its end).
bool Skip(TStream* Stream, std::int64_t Count) {
  if (Count < 0) return false;
  if (Count > BytesLeft(Stream)) {
    Stream->Seek(0, soFromEnd);
    return false;
  }
  Stream->Seek(Count, soFromCurrent);
  return true;
}

bool ReadChunkHeader(TStream* Stream, TAniChunkHeader& Header) {
  Byte b[8];
  if (Stream->Read(b, 8) != 8) return false;
  std::memcpy(Header.Id.data(), b, 4);
  Header.Size = std::int32_t(GetLE32(b + 4));
  return true;
}

bool SkipOverChunk(TStream* Stream, const TAniChunkHeader& Header) {
  return Skip(Stream, EvenSize(Header.Size));
}

// Reads min(size, MaxLength) bytes of the body into Buffer, then skips the
// rest of the body and the pad byte. Gives the number of bytes read, or -1
// when the body is not all there.
int ReadChunkStart(TStream* Stream, const TAniChunkHeader& Header, void* Buffer, int MaxLength) {
  if (Header.Size < 0) return -1;
  int wanted = int(std::min<std::int64_t>(Header.Size, MaxLength));
  if (Stream->Read(Buffer, wanted) != wanted) return -1;
  if (!Skip(Stream, EvenSize(Header.Size) - wanted)) return -1;
  return wanted;
}

int ColorsOfBitCount(int BitCount) {
  switch (BitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

// The strip is brought back to at most the icons' colours.
void ReduceIconColors(TBitmap* Bitmap, int Colors) {
  if (Bitmap == nullptr || Colors <= 0) return;
  std::unique_ptr<TMemoryStream> reduced = ReduceBitmapForColors(Bitmap, Colors);
  reduced->SetPosition(0);
  Bitmap->LoadFromStream(reduced.get());
}

}  // namespace

// ---------------------------------------------------------------------------
// The reader: one pass over the chunks with its own counters.

class TAniReader {
 public:
  TAniReader(TAnimatedCursorImage& Image, TStream* Stream) : FImage(Image), FStream(Stream) {}
  void Run();

 private:
  bool ReadAnih(const TAniChunkHeader& Header);
  bool ReadValues(const TAniChunkHeader& Header, bool Rates);
  bool ReadList(const TAniChunkHeader& Header);
  void ReadFramList(std::int64_t Remaining);
  void ReadInfoList(std::int64_t Remaining);
  std::unique_ptr<TIcon> ReadIconChunk(std::int32_t Size, bool& PlainIcon, TPoint& HotSpot);
  void GiveIcon(std::unique_ptr<TIcon> Icon, const TAniChunkHeader& Header, bool PlainIcon,
                TPoint HotSpot);
  void AppendWaitingFrame(int IconIndex, std::uint32_t Rate);
  void DropFramesWithoutIcon();

  TAnimatedCursorImage& FImage;
  TStream* FStream;
  int FIconsRead = 0;
  // Frames by the icon index they asked for when they were made or last
  // changed, so that each icon finds its frames without a pass over all of
  // them. An entry whose frame has since asked for another icon is stale and
  // passed over.
  std::unordered_map<int, std::vector<TIconFrame*>> FFramesAsking;
  // Frames that have not received an icon yet.
  std::int64_t FWaitingFrames = 0;
};

void TAniReader::AppendWaitingFrame(int IconIndex, std::uint32_t Rate) {
  FImage.FCursorFrames.push_back(std::make_unique<TIconFrame>(IconIndex, Rate));
  FFramesAsking[IconIndex].push_back(FImage.FCursorFrames.back().get());
  ++FWaitingFrames;
}

void TAniReader::Run() {
  TAniChunkHeader header;
  char form[4];
  if (!ReadChunkHeader(FStream, header) || !IdIs(header, "RIFF")) RaiseReadError();
  if (FStream->Read(form, 4) != 4 || std::memcmp(form, "ACON", 4) != 0) RaiseReadError();

  FImage.ResetImage();
  // The RIFF size is not trusted: chunks are read up to the end of the data.
  while (ReadChunkHeader(FStream, header)) {
    bool goOn;
    if (IdIs(header, "anih"))
      goOn = ReadAnih(header);
    else if (IdIs(header, "rate"))
      goOn = ReadValues(header, true);
    else if (IdIs(header, "seq "))
      goOn = ReadValues(header, false);
    else if (IdIs(header, "LIST"))
      goOn = ReadList(header);
    else
      goOn = SkipOverChunk(FStream, header);
    if (!goOn) break;
  }
  DropFramesWithoutIcon();
}

bool TAniReader::ReadAnih(const TAniChunkHeader& Header) {
  Byte body[36] = {};
  if (ReadChunkStart(FStream, Header, body, sizeof body) < 0) return false;
  TAniHeader& h = FImage.FAniHeader;
  std::uint32_t* fields[] = {&h.HeaderSize, &h.FrameCount, &h.StepCount, &h.Width,      &h.Height,
                             &h.BitCount,   &h.Planes,     &h.DefaultRate, &h.Flags};
  for (int i = 0; i < 9; ++i) *fields[i] = GetLE32(body + 4 * i);
  if ((h.Flags & AniFlagIcon) == 0 || h.StepCount == 0) RaiseReadError();

  // The header's frame count is not trusted: the frames waiting for an icon
  // never outnumber the 4-byte words left in the data (a frame needs at
  // least an icon chunk or a "seq " value of its own), and none is made for
  // an icon index beyond what the rest of the data can still hold.
  std::int64_t left = BytesLeft(FStream) / 4;
  std::int64_t count = std::min<std::int64_t>(h.FrameCount, std::int64_t(FIconsRead) + left);
  count = std::min<std::int64_t>(count, std::max<std::int64_t>(left - FWaitingFrames, 0));
  for (std::int64_t n = 0; n < count; ++n) AppendWaitingFrame(int(n), h.DefaultRate);
  return true;
}

bool TAniReader::ReadValues(const TAniChunkHeader& Header, bool Rates) {
  if (Header.Size < 0) return false;
  // One 32-bit value per frame, in frame order; values beyond the frames are skipped.
  std::int64_t frames = FImage.FrameCount();
  std::int64_t values = std::min<std::int64_t>(Header.Size / 4, frames);
  for (std::int64_t i = 0; i < values; ++i) {
    Byte b[4];
    if (FStream->Read(b, 4) != 4) return false;
    TIconFrame& frame = *FImage.FCursorFrames[std::size_t(i)];
    if (Rates) {
      frame.FRateJiffies = GetLE32(b);
    } else {
      int index = std::int32_t(GetLE32(b));
      if (index != frame.FIconIndex && index >= FIconsRead) FFramesAsking[index].push_back(&frame);
      frame.FIconIndex = index;
    }
  }
  return Skip(FStream, EvenSize(Header.Size) - values * 4);
}

bool TAniReader::ReadList(const TAniChunkHeader& Header) {
  if (Header.Size < 4) return SkipOverChunk(FStream, Header);
  std::int64_t remaining = EvenSize(Header.Size);
  char type[4];
  if (FStream->Read(type, 4) != 4) return false;
  remaining -= 4;
  if (std::memcmp(type, "fram", 4) == 0)
    ReadFramList(remaining);
  else if (std::memcmp(type, "INFO", 4) == 0)
    ReadInfoList(remaining);
  else
    return Skip(FStream, remaining);
  return true;
}

void TAniReader::ReadFramList(std::int64_t Remaining) {
  TAniChunkHeader sub;
  while (Remaining >= 8) {
    if (!ReadChunkHeader(FStream, sub)) return;
    Remaining -= 8;
    if (IdIs(sub, "icon")) {
      bool plain = false;
      TPoint hotSpot;
      std::unique_ptr<TIcon> icon = ReadIconChunk(sub.Size, plain, hotSpot);
      if (!icon) return;
      GiveIcon(std::move(icon), sub, plain, hotSpot);
    } else if (!SkipOverChunk(FStream, sub)) {
      return;
    }
    Remaining -= EvenSize(sub.Size);
  }
}

void TAniReader::ReadInfoList(std::int64_t Remaining) {
  TAniChunkHeader sub;
  while (Remaining >= 8) {
    if (!ReadChunkHeader(FStream, sub)) return;
    Remaining -= 8;
    std::array<char, 256>* text = IdIs(sub, "INAM")   ? &FImage.FTitleText
                                  : IdIs(sub, "IART") ? &FImage.FCreatorText
                                                      : nullptr;
    if (text != nullptr) {
      if (sub.Size < 0 || Remaining < sub.Size) return;
      std::array<char, 256> read{};
      if (ReadChunkStart(FStream, sub, read.data(), 255) < 0) return;
      *text = read;
    } else if (!SkipOverChunk(FStream, sub)) {
      return;
    }
    Remaining -= EvenSize(sub.Size);
  }
}

std::unique_ptr<TIcon> TAniReader::ReadIconChunk(std::int32_t Size, bool& PlainIcon, TPoint& HotSpot) {
  // The chunk must be all there before anything is allocated for it.
  if (Size < 0 || Size > BytesLeft(FStream)) RaiseReadError();
  TMemoryStream copy;
  if (Size > 0) copy.CopyFrom(FStream, Size);
  if (Size & 1) Skip(FStream, 1);
  HotSpot = TPoint{0, 0};
  PlainIcon = false;

  auto* data = static_cast<Byte*>(copy.Memory());
  if (Size < 6) return nullptr;
  Word type = GetLE16(data + 2);
  PlainIcon = type == 1;
  if (type == 2) {
    data[2] = 1;
    data[3] = 0;
    type = 1;
  }
  if (type != 1) return nullptr;

  int entries = GetLE16(data + 4);
  for (int i = 0; i < entries && 6 + 16 * std::int64_t(i + 1) <= Size; ++i) {
    const Byte* entry = data + 6 + 16 * i;
    std::uint32_t imageSize = GetLE32(entry + 8);
    std::uint32_t imageOffset = GetLE32(entry + 12);
    if (imageSize >= 16 && imageOffset <= std::uint32_t(Size) &&
        imageSize <= std::uint32_t(Size) - imageOffset) {
      int colors = ColorsOfBitCount(GetLE16(data + imageOffset + 14));
      FImage.FColorCount = Word(std::max<int>(FImage.FColorCount, colors));
    }
    HotSpot = TPoint{GetLE16(entry + 4), GetLE16(entry + 6)};
  }

  auto icon = std::make_unique<TIcon>();
  try {
    copy.SetPosition(0);
    icon->LoadFromStream(&copy);
  } catch (const Exception&) {
    // A damaged icon ends the frame list; it is not an error of the file.
    return nullptr;
  }
  if (icon->Empty()) return nullptr;
  if (PlainIcon) HotSpot = TPoint{icon->Width() / 2, icon->Height() / 2};
  return icon;
}

void TAniReader::GiveIcon(std::unique_ptr<TIcon> Icon, const TAniChunkHeader& Header,
                          bool PlainIcon, TPoint HotSpot) {
  // The first frame asking for this icon takes it, every further one a copy
  // of its own; no frame asking: the icon becomes a frame of its own.
  TIcon* first = Icon.get();
  bool given = false;
  auto give = [&](TIconFrame& frame) {
    if (!given) {
      frame.SetFrameIcon(Icon.release());
      given = true;
    } else {
      auto copy = std::make_unique<TIcon>();
      copy->Assign(first);
      frame.SetFrameIcon(copy.release());
    }
    frame.FChunkHeader = Header;
    frame.FHotSpotPoint = HotSpot;
    frame.FPlainIcon = PlainIcon;
  };
  auto asking = FFramesAsking.find(FIconsRead);
  if (asking != FFramesAsking.end()) {
    std::vector<TIconFrame*> frames = std::move(asking->second);
    FFramesAsking.erase(asking);
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    for (TIconFrame* frame : frames) {
      if (frame->FIconIndex != FIconsRead) continue;
      if (frame->FrameIcon() == nullptr) --FWaitingFrames;
      give(*frame);
    }
  }
  if (!given) {
    auto frame = std::make_unique<TIconFrame>(-1, FImage.FAniHeader.DefaultRate);
    give(*frame);
    FImage.FCursorFrames.push_back(std::move(frame));
  }
  ++FIconsRead;
}

void TAniReader::DropFramesWithoutIcon() {
  auto& frames = FImage.FCursorFrames;
  frames.erase(std::remove_if(frames.begin(), frames.end(),
                              [](const auto& frame) { return frame->FrameIcon() == nullptr; }),
               frames.end());
  FImage.FAniHeader.StepCount = std::uint32_t(frames.size());
  if (frames.empty()) RaiseReadError();
}

void ReadAnimatedCursor(TAnimatedCursorImage* Image, TStream* Stream) {
  TAniReader(*Image, Stream).Run();
}

// ---------------------------------------------------------------------------

TIconFrame::TIconFrame(int IconIndex, std::uint32_t RateJiffies)
    : FRateJiffies(RateJiffies), FIconIndex(IconIndex) {}

TIconFrame::~TIconFrame() = default;

void TIconFrame::SetFrameIcon(TIcon* Icon) { FFrameIcon.reset(Icon); }

void TIconFrame::Assign(TPersistent* Source) {
  auto* frame = dynamic_cast<TIconFrame*>(Source);
  if (frame == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (frame == this) return;
  if (!FFrameIcon) FFrameIcon = std::make_unique<TIcon>();
  FFrameIcon->Assign(frame->FFrameIcon.get());
  FPlainIcon = frame->FPlainIcon;
  FChunkHeader = frame->FChunkHeader;
  FHotSpotPoint = frame->FHotSpotPoint;
  FRateJiffies = frame->FRateJiffies;
  FIconIndex = frame->FIconIndex;
}

// ---------------------------------------------------------------------------

TAnimatedCursorImage::TAnimatedCursorImage() = default;

TAnimatedCursorImage::~TAnimatedCursorImage() { ResetImage(); }

TIconFrame* TAnimatedCursorImage::Frames(int Index) const {
  if (Index < 0 || Index >= FrameCount()) throw EListError(Format(SListIndexError, Index));
  return FCursorFrames[std::size_t(Index)].get();
}

TIcon* TAnimatedCursorImage::FrameIcons(int Index) const { return Frames(Index)->FrameIcon(); }

void TAnimatedCursorImage::ResetImage() {
  FCursorFrames.clear();
  FTitleText.fill(0);
  FCreatorText.fill(0);
  FAniHeader = TAniHeader{};
  FColorCount = 0;
}

void TAnimatedCursorImage::LoadFromStream(TStream* Stream) {
  ReadFromStream(Stream->Size() - Stream->Position(), Stream);
}

void TAnimatedCursorImage::ReadFromStream(std::int64_t Size, TStream* Stream) {
  if (Size <= 0) return;
  if (Size > BytesLeft(Stream)) RaiseReadError();
  TMemoryStream copy;
  copy.CopyFrom(Stream, Size);
  copy.SetPosition(0);
  ReadAnimatedCursor(this, &copy);
}

void TAnimatedCursorImage::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
  try {
    LoadFromStream(&stream);
  } catch (...) {
    ResetImage();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream(TStream*) { ShowNotImplemented(); }

void TAnimatedCursorImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Clear();
    return;
  }
  auto* source = dynamic_cast<TAnimatedCursorImage*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  ResetImage();
  FAniHeader = source->FAniHeader;
  FTitleText = source->FTitleText;
  FCreatorText = source->FCreatorText;
  FColorCount = source->FColorCount;
  try {
    for (const auto& sourceFrame : source->FCursorFrames) {
      auto frame = std::make_unique<TIconFrame>(-1, source->FAniHeader.DefaultRate);
      frame->Assign(sourceFrame.get());
      FCursorFrames.push_back(std::move(frame));
    }
  } catch (...) {
    ResetImage();
    throw;
  }
}

void TAnimatedCursorImage::AssignTo(TPersistent* Dest) {
  if (auto* icon = dynamic_cast<TIcon*>(Dest)) {
    icon->Assign(FCursorFrames.empty() ? nullptr : FCursorFrames.front()->FrameIcon());
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    if (FCursorFrames.empty())
      bitmap->Assign(nullptr);
    else
      FramesToStrip(bitmap, bitmap->Canvas()->Brush()->Color(), false, true);
  } else if (auto* list = dynamic_cast<TIconList*>(Dest)) {
    list->SuspendChanges();
    try {
      list->Clear();
      for (const auto& frame : FCursorFrames) list->Add(frame->FrameIcon());
    } catch (...) {
      list->ResumeChanges();
      throw;
    }
    list->ResumeChanges();
  } else {
    TPersistent::AssignTo(Dest);
  }
}

void TAnimatedCursorImage::FramesToStrip(TBitmap* Bitmap, TColor BackColor, bool Vertical,
                                         bool ReduceColors) {
  TBitmap strip;
  if (!FCursorFrames.empty()) {
    TIcon* first = FCursorFrames.front()->FrameIcon();
    int width = first ? first->Width() : 0;
    int height = first ? first->Height() : 0;
    int count = FrameCount();
    strip.SetMonochrome(false);
    strip.Canvas()->Brush()->SetColor(BackColor);
    if (Vertical)
      strip.SetSize(width, height * count);
    else
      strip.SetSize(width * count, height);
    strip.Canvas()->FillRect(TRect{0, 0, strip.Width(), strip.Height()});
    for (int i = 0; i < count; ++i) {
      TIcon* icon = FCursorFrames[std::size_t(i)]->FrameIcon();
      if (icon == nullptr) continue;
      if (Vertical)
        strip.Canvas()->Draw(0, i * icon->Height(), icon);
      else
        strip.Canvas()->Draw(i * icon->Width(), 0, icon);
    }
    if (ReduceColors && !strip.Empty()) ReduceIconColors(&strip, std::max<int>(FColorCount, 16));
  }
  Bitmap->Assign(&strip);
}
