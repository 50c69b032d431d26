// GIF image blocks in, BMP files out. Reading copies the encoded data only;
// decoding happens when somebody first looks at the frame's pixels.
#include "widgets/gx/GxGIFDecode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/base/Streams.h"
#include "platform/base/StringList.h"

namespace {

constexpr int LZWTableSize = 4096;
constexpr int LZWStackSize = 4097;
constexpr int MaxCodeSize = 12;

void PutWord(Byte* At, unsigned Value) {
  At[0] = Byte(Value);
  At[1] = Byte(Value >> 8);
}

void PutLong(Byte* At, std::uint32_t Value) {
  for (int i = 0; i < 4; ++i) At[i] = Byte(Value >> (8 * i));
}

Word GetWord(const Byte* At) { return Word(At[0] | (At[1] << 8)); }

// Bit reader over the data sub-blocks, refilled one sub-block at a time.
// The window holds at most 3 carried bytes plus one sub-block of 255.
struct TLZWCodeReader {
  int BitPosition = 0;
  int ValidBits = 0;
  Byte Window[264] = {};
  int CodeSize = 0;
  int CodeMask = 0;
};

bool DataRemain(TStream* Source) { return Source->Position() < Source->Size(); }

int ReadLZWCode(TStream* Source, TLZWCodeReader& R) {
  while (R.BitPosition + R.CodeSize > R.ValidBits && DataRemain(Source)) {
    const int byteIndex = R.BitPosition >> 3;
    std::memmove(R.Window, R.Window + byteIndex, 3);
    R.BitPosition &= 7;
    R.ValidBits -= 8 * byteIndex;
    Byte length = 0;
    Source->ReadBuffer(&length, 1);
    const int validBytes = (R.ValidBits + 7) / 8;  // at most 3
    Source->ReadBuffer(R.Window + validBytes, length);
    R.ValidBits = 8 * validBytes + 8 * length;
  }
  if (R.BitPosition + R.CodeSize > R.ValidBits) return EndOfCodes;
  const Byte* at = R.Window + (R.BitPosition >> 3);
  std::uint32_t raw = at[0] | (std::uint32_t(at[1]) << 8);
  if (R.CodeSize > 8) raw |= std::uint32_t(at[2]) << 16;
  raw >>= (R.BitPosition & 7);
  R.BitPosition += R.CodeSize;
  return int(raw & std::uint32_t(R.CodeMask));
}

// Where the next decoded pixel goes.
struct TPixelSink {
  int Width = 0;
  int Height = 0;
  int X = 0;
  int Y = 0;
  int Bits = 8;
  int Pass = 0;
  bool Interlaced = false;
  int Stride = 0;
  Byte* Buffer = nullptr;
  Byte* Row = nullptr;
};

Byte* RowStart(const TPixelSink& S) {
  return S.Y < S.Height ? S.Buffer + std::size_t(S.Height - 1 - S.Y) * S.Stride : nullptr;
}

void StorePixel(int Value, TPixelSink& S) {
  if (S.Y >= S.Height) return;
  if (S.X < S.Width) {
    switch (S.Bits) {
      case 1: {
        Byte& b = S.Row[S.X / 8];
        b = (S.X % 8 == 0) ? Byte(Value << 7) : Byte(b | (Value << (7 - S.X % 8)));
        break;
      }
      case 4: {
        Byte& b = S.Row[S.X / 2];
        b = (S.X % 2 == 0) ? Byte(Value << 4) : Byte(b | Value);
        break;
      }
      default:
        S.Row[S.X] = Byte(Value);
    }
  }
  if (++S.X >= S.Width) {
    S.X = 0;
    S.Y = S.Interlaced ? NextInterlacedRow(S.Y, S.Height, S.Pass) : S.Y + 1;
    S.Row = RowStart(S);
  }
}

int Stride(int Width, int Bits) { return int(((std::int64_t(Bits) * Width + 31) / 32) * 4); }

}  // namespace

int DIBDepthClass(int Depth) {
  if (Depth == 1) return 1;
  if (Depth >= 2 && Depth <= 4) return 4;
  if (Depth >= 5 && Depth <= 8) return 8;
  GIFError(SGIFWrongColorCount);
}

void BuildDIBPalette(const TRGBTable& Table, Byte Palette[256][4]) {
  for (int i = 0; i < 256; ++i) std::memset(Palette[i], 128, 4);
  const int count = Table.Count == 0 ? 256 : std::clamp(Table.Count, 0, 256);
  for (int i = 0; i < count; ++i) {
    Palette[i][0] = Table.Entries[i][2];
    Palette[i][1] = Table.Entries[i][1];
    Palette[i][2] = Table.Entries[i][0];
    Palette[i][3] = 0;
  }
}

int NextInterlacedRow(int Row, int Height, int& Pass) {
  static const int step[4] = {8, 8, 4, 2};
  static const int start[4] = {0, 4, 2, 1};
  int next = Row + step[Pass];
  while (next >= Height && Pass < 3) {
    ++Pass;
    next = start[Pass];
  }
  return next;
}

void CopyImageData(TStream* Stream, TStream* Target, TGIFImageDescriptor& Descriptor,
                   TRGBTable& Table, Byte& Depth, bool& Damaged, bool& OwnColors, bool& Interlaced) {
  Damaged = false;
  Byte raw[9];
  Stream->ReadBuffer(raw, 9);
  Descriptor.Left = GetWord(raw);
  Descriptor.Top = GetWord(raw + 2);
  Descriptor.Width = GetWord(raw + 4);
  Descriptor.Height = GetWord(raw + 6);
  Descriptor.Packed = raw[8];
  Interlaced = (Descriptor.Packed & 0x40) != 0;

  if (Descriptor.Packed & 0x80) {
    Depth = Byte((Descriptor.Packed & 7) + 1);
    OwnColors = true;
    Table = TRGBTable{};
    Table.Count = 1 << Depth;
    Stream->ReadBuffer(Table.Entries, Table.Count * 3);
  } else {
    OwnColors = false;
    Table = TRGBTable{};
  }

  Byte codeSize = 0;
  Stream->ReadBuffer(&codeSize, 1);
  Target->WriteBuffer(&codeSize, 1);

  Byte block[255];
  for (;;) {
    // A missing length byte or a sub-block longer than what is left: keep
    // the complete sub-blocks before it and mark the frame.
    const std::int64_t left = Stream->Size() - Stream->Position();
    Byte length = 0;
    if (left >= 1) Stream->ReadBuffer(&length, 1);
    if (left < 1 || left - 1 < length) {
      Damaged = true;
      Stream->Seek(0, soFromEnd);
      return;
    }
    Target->WriteBuffer(&length, 1);
    if (length == 0) return;
    Stream->ReadBuffer(block, length);
    Target->WriteBuffer(block, length);
    if (Stream->Position() >= Stream->Size()) return;
  }
}

void ReadFrame(TGIFFrame* Frame, TStream* Stream) {
  TGIFItem* item = Frame->FShared;
  delete item->FEncoded;
  item->FEncoded = new TMemoryStream;
  try {
    TGIFImageDescriptor d;
    CopyImageData(Stream, item->FEncoded, d, item->FColors, item->FColorDepth, Frame->FDamaged,
                  Frame->FOwnColors, Frame->FIsInterlaced);
    if (Frame->FDamaged && !GIFTolerant) GIFError(SGIFStreamRead);
    item->FEncoded->SetPosition(0);

    TGIFFrameOwner* owner = Frame->FParentImage;
    int width = d.Width;
    int height = d.Height;
    if (owner) {
      if (height == 0) height = owner->LogicalHeight();
      if (width == 0) width = owner->LogicalWidth();
    }
    Frame->FOrigin = TPoint{d.Left, d.Top};
    item->FExtent = TSize{width, height};

    if (!Frame->FOwnColors) {
      TGIFData* global = owner ? owner->GlobalData() : nullptr;
      item->FColors = global ? global->FGlobalColors : TRGBTable{};
    }

    Frame->FDelayMs = 0;
    if (Frame->FExtList) {
      for (const TExtension* e : *Frame->FExtList) {
        if (e->FKind != ekGraphicControl) continue;
        const Byte packed = e->FFixed[1];
        if (packed & 1) {
          const int index = e->FFixed[4];
          if (index < item->FColors.Count) Frame->FTransColor = EntryColor(item->FColors.Entries[index]);
        } else {
          Frame->FTransColor = clNone;
        }
        // Delays beyond 6553 hundredths do not fit in 16 bits: held at the most that fits.
        const int delay = std::min(GetWord(e->FFixed + 2) * 10, 0xFFFF);
        Frame->FDelayMs = Word(std::max<int>(Frame->FDelayMs, delay));
        Frame->FDisposalMethod = Byte((packed >> 2) & 7);
      }
    }
  } catch (...) {
    delete item->FEncoded;
    item->FEncoded = nullptr;
    throw;
  }
}

void DecodeFrame(TGIFFrame* Frame, TMemoryStream* Stream) {
  TGIFItem* item = Frame->FShared;
  const int bits = DIBDepthClass(item->FColorDepth);
  const int width = std::max(0, item->FExtent.cx);
  const int height = std::max(0, item->FExtent.cy);
  // A declared size is only a claim of the file: refuse absurd ones before
  // allocating for them.
  if (std::int64_t(width) * height > MaxGIFFramePixels) GIFError(SGIFCorruptData);
  const int stride = Stride(width, bits);
  const std::uint32_t imageBytes = std::uint32_t(stride) * std::uint32_t(height);
  const std::uint32_t paletteBytes = 4u << bits;

  Byte header[54] = {};
  header[0] = 'B';
  header[1] = 'M';
  PutLong(header + 2, 54 + paletteBytes + imageBytes);
  PutLong(header + 10, 54 + paletteBytes);
  PutLong(header + 14, 40);
  PutLong(header + 18, std::uint32_t(width));
  PutLong(header + 22, std::uint32_t(height));
  PutWord(header + 26, 1);
  PutWord(header + 28, unsigned(bits));
  PutLong(header + 34, imageBytes);

  Stream->Clear();
  Stream->WriteBuffer(header, 54);
  Byte palette[256][4];
  BuildDIBPalette(item->FColors, palette);
  Stream->WriteBuffer(palette, int(paletteBytes));

  std::vector<Byte> pixels(imageBytes, 0);
  if (!item->FEncoded) GIFError(SGIFStreamRead);
  item->FEncoded->SetPosition(0);
  bool damaged = false;
  try {
    LZWDecodeImage(item->FEncoded, width, height, bits, Frame->FIsInterlaced, Frame->FParentImage,
                   damaged, pixels.data(), item->FColorDepth, GIFTolerant);
  } catch (...) {
    Frame->FDamaged = Frame->FDamaged || damaged;
    throw;
  }
  Frame->FDamaged = Frame->FDamaged || damaged;
  if (imageBytes > 0) Stream->WriteBuffer(pixels.data(), int(imageBytes));
  Stream->SetPosition(0);
}

void LZWDecodeImage(TStream* Source, int Width, int Height, int Bits, bool Interlaced,
                    TGIFFrameOwner* Progress, bool& Damaged, Byte* Pixels, int Depth,
                    bool Tolerant) {
  std::vector<Word> prefix(LZWTableSize, 0);
  std::vector<Word> suffix(LZWTableSize, 0);
  std::vector<Word> stack(LZWStackSize, 0);
  if (Progress) Progress->ReportProgress(psStarting, 0, "");
  try {
    Byte minSize = 0;
    Source->ReadBuffer(&minSize, 1);
    if (minSize < 2 || minSize > 9) {
      if (!Tolerant) GIFError(SGIFCodeSizeRange);
      Damaged = true;
      minSize = std::clamp<Byte>(minSize, 2, 9);
    }

    const int startSize = minSize + 1;
    const int clearCode = 1 << minSize;
    const int endCode = clearCode + 1;
    int nextCode = clearCode + 2;
    int capacity = 1 << startSize;
    const int pixelMask = (1 << std::clamp(Depth, 1, 8)) - 1;

    TLZWCodeReader reader;
    reader.CodeSize = startSize;
    reader.CodeMask = capacity - 1;

    TPixelSink sink;
    sink.Width = Width;
    sink.Height = Height;
    sink.Bits = Bits;
    sink.Interlaced = Interlaced;
    sink.Stride = Stride(Width, Bits);
    sink.Buffer = Pixels;
    sink.Row = RowStart(sink);

    const std::int64_t dataSize = Source->Size();
    bool tableFull = false;
    bool havePrevious = false;  // data that do not start with a clear code
    int previous = clearCode;
    int firstPixel = 0;

    int code = ReadLZWCode(Source, reader);
    while (code != endCode && code != EndOfCodes && sink.Y < Height) {
      if (code == clearCode || !havePrevious) {
        if (code == clearCode) {
          // Clear codes in a row are one clear; the code after them is the
          // first pixel, unless it ends the data.
          do {
            reader.CodeSize = startSize;
            capacity = 1 << startSize;
            reader.CodeMask = capacity - 1;
            nextCode = clearCode + 2;
            code = ReadLZWCode(Source, reader);
          } while (code == clearCode);
          if (code == EndOfCodes || code == endCode) break;
        }
        StorePixel(code & pixelMask, sink);
        firstPixel = code & pixelMask;
        previous = code;
        havePrevious = true;
        tableFull = false;
      } else {
        int sp = 0;
        int current = code;
        if (code >= nextCode) {
          stack[sp++] = Word(firstPixel);
          current = previous;
        }
        bool overflow = false;
        while (current >= clearCode + 2) {
          if (sp >= LZWStackSize) {
            overflow = true;
            break;
          }
          stack[sp++] = suffix[current];
          current = prefix[current];
        }
        if (overflow || sp >= LZWStackSize) {
          if (!Tolerant) GIFError(SGIFCorruptData);
          Damaged = true;
          break;
        }
        firstPixel = current & pixelMask;
        stack[sp++] = Word(firstPixel);
        while (sp > 0) StorePixel(stack[--sp] & pixelMask, sink);

        if (!tableFull) {
          prefix[nextCode] = Word(previous);
          suffix[nextCode] = Word(firstPixel);
          if (++nextCode >= capacity) {
            if (reader.CodeSize >= MaxCodeSize) {
              tableFull = true;
            } else {
              ++reader.CodeSize;
              capacity <<= 1;
              reader.CodeMask = capacity - 1;
            }
          }
        }
        previous = code;
      }
      code = ReadLZWCode(Source, reader);
      if (Progress && dataSize > 0)
        Progress->ReportProgress(psRunning, int(Source->Position() * 100 / dataSize), "");
    }
    if (code == EndOfCodes && sink.Y < Height) GIFError(SGIFStreamRead);
  } catch (const Exception& e) {
    if (Progress) Progress->ReportProgress(psEnding, 0, e.Message());
    throw;
  }
  if (Progress) Progress->ReportProgress(psEnding, 100, "");
}
