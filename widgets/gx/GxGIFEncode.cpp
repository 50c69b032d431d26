// LZW compression of a frame's pixels and the writing of its image block.
#include "widgets/gx/GxGIFEncode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "widgets/gx/GxColorReduce.h"
#include "widgets/gx/GxGIFDecode.h"

namespace {

constexpr int HashSize = 17777;  // a prime; linear probing
constexpr int NodeCount = 4096;
constexpr int RestartCode = 4094;  // the table restarts here instead of running full
constexpr int BlockBits = 255 * 8;

struct TLZWNode {
  Word Prefix = 0;
  Word Code = 0;
  Byte Suffix = 0;
};

// Packs codes least significant bit first into 255-byte sub-blocks.
struct TLZWCodeWriter {
  int BitIndex = 0;
  int CodeSize = 0;
  Byte Buffer[260] = {};
};

void PutLZWCode(TStream* Stream, int Code, TLZWCodeWriter& W) {
  const std::uint32_t shifted = std::uint32_t(Code) << (W.BitIndex % 8);
  Byte* at = W.Buffer + W.BitIndex / 8;
  at[0] |= Byte(shifted);
  at[1] = Byte(shifted >> 8);
  at[2] = Byte(shifted >> 16);
  W.BitIndex += W.CodeSize;
  if (W.BitIndex >= BlockBits) {
    const Byte length = 255;
    Stream->WriteBuffer(&length, 1);
    Stream->WriteBuffer(W.Buffer, 255);
    W.Buffer[0] = W.Buffer[255];
    W.Buffer[1] = W.Buffer[256];
    std::memset(W.Buffer + 2, 0, 255);
    W.BitIndex -= BlockBits;
  }
}

void FlushLZWCodes(TStream* Stream, TLZWCodeWriter& W) {
  const int n = (W.BitIndex + 7) / 8;
  if (n > 0) {
    const Byte length = Byte(n);
    Stream->WriteBuffer(&length, 1);
    Stream->WriteBuffer(W.Buffer, n);
  }
  const Byte terminator = 0;
  Stream->WriteBuffer(&terminator, 1);
}

int PixelAt(const Byte* Row, int X, int Bits) {
  switch (Bits) {
    case 1: return (Row[X / 8] >> (7 - X % 8)) & 1;
    case 4: return (X % 2 == 0) ? Row[X / 2] >> 4 : Row[X / 2] & 0x0F;
    default: return Row[X];
  }
}

std::uint32_t GetLong(const Byte* At) {
  return At[0] | (At[1] << 8) | (At[2] << 16) | (std::uint32_t(At[3]) << 24);
}

void PutWord(Byte* At, unsigned Value) {
  At[0] = Byte(Value);
  At[1] = Byte(Value >> 8);
}

int TableDepth(int Count) {
  int depth = 1;
  while ((1 << depth) < Count) ++depth;
  return depth;
}

}  // namespace

void PaletteToColorTable(TRGBTable& Table, const Byte* Palette, int Count) {
  Table = TRGBTable{};
  Table.Count = std::min(256, std::max(0, Count));
  for (int i = 0; i < Table.Count; ++i) {
    Table.Entries[i][0] = Palette[4 * i + 2];
    Table.Entries[i][1] = Palette[4 * i + 1];
    Table.Entries[i][2] = Palette[4 * i];
  }
}

void LZWEncodeImage(TStream* Target, int Width, int Height, int Bits, bool Interlaced,
                    TGIFFrameOwner* Progress, const Byte* Pixels) {
  std::vector<TLZWNode> nodes(NodeCount);
  std::vector<Word> slots(HashSize, 0);  // 0 = empty; node codes start above the clear code
  try {
    const int stride = int(((std::int64_t(Width) * Bits + 31) / 32) * 4);
    int startSize = Bits + 1;
    if (startSize == 2) startSize = 3;
    const Byte minSize = Byte(startSize - 1);
    Target->WriteBuffer(&minSize, 1);
    const int clearCode = 1 << minSize;
    const int endCode = clearCode + 1;
    int nextCode = clearCode + 1;
    int capacity = 1 << startSize;
    TLZWCodeWriter writer;
    writer.CodeSize = startSize;

    PutLZWCode(Target, clearCode, writer);
    if (Progress) Progress->ReportProgress(psStarting, 0, "");

    int prefix = 0;
    int hash = 0;
    int length = 0;
    int pass = 0;
    int y = 0;
    while (y < Height) {
      const Byte* row = Pixels + std::size_t(Height - 1 - y) * stride;
      for (int x = 0; x < Width; ++x) {
        const int pixel = PixelAt(row, x, Bits);
        if (++length == 1) {
          prefix = pixel;
          hash = SeedStringHash(pixel);
          continue;
        }
        hash = ((pixel + length + 4) * hash) % HashSize;
        while (slots[hash] != 0) {
          const TLZWNode& node = nodes[slots[hash]];
          if (node.Prefix == prefix && node.Suffix == pixel) break;
          hash = (hash + 1) % HashSize;
        }
        if (slots[hash] != 0) {
          prefix = nodes[slots[hash]].Code;
          continue;
        }
        PutLZWCode(Target, prefix, writer);
        ++nextCode;
        nodes[nextCode] = TLZWNode{Word(prefix), Word(nextCode), Byte(pixel)};
        slots[hash] = Word(nextCode);
        prefix = pixel;
        hash = SeedStringHash(pixel);
        length = 1;
        if (nextCode >= capacity) {
          capacity <<= 1;
          ++writer.CodeSize;
        } else if (nextCode >= RestartCode) {
          PutLZWCode(Target, prefix, writer);
          PutLZWCode(Target, clearCode, writer);
          length = 0;
          nextCode = clearCode + 1;
          writer.CodeSize = startSize;
          capacity = 1 << startSize;
          std::fill(slots.begin(), slots.end(), Word(0));
        }
      }
      y = Interlaced ? NextInterlacedRow(y, Height, pass) : y + 1;
      if (Progress) Progress->ReportProgress(psRunning, int(std::int64_t(y) * 100 / Height), "");
    }
    // A string is pending unless the table has just restarted on it.
    if (length > 0) PutLZWCode(Target, prefix, writer);
    PutLZWCode(Target, endCode, writer);
    FlushLZWCodes(Target, writer);
  } catch (const Exception& e) {
    if (Progress) Progress->ReportProgress(psEnding, 0, e.Message());
    throw;
  }
  if (Progress) Progress->ReportProgress(psEnding, 100, "");
}

void EncodeBitmapStream(TGIFFrame* Frame, TMemoryStream* Stream) {
  Stream->SetPosition(0);
  const std::int64_t size = Stream->Size();
  const Byte* bmp = static_cast<const Byte*>(Stream->Memory());
  if (size < 54 || !bmp) GIFError(SGIFEncodingError);
  const std::uint32_t pixelOffset = GetLong(bmp + 10);
  const std::int32_t width = std::int32_t(GetLong(bmp + 18));
  const std::int32_t height = std::int32_t(GetLong(bmp + 22));
  const int bits = bmp[28] | (bmp[29] << 8);
  int count = 0;
  switch (bits) {
    case 1: count = 2; break;
    case 4: count = 16; break;
    case 8: count = 256; break;
    default: GIFError(SGIFEncodingError);
  }
  // Only bottom-up pictures that the 16-bit descriptor can hold, with all
  // their rows present in the stream.
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) GIFError(SGIFEncodingError);
  const std::int64_t stride = ((std::int64_t(width) * bits + 31) / 32) * 4;
  if (pixelOffset < 54 || pixelOffset > size || stride * height > size - pixelOffset)
    GIFError(SGIFEncodingError);

  Frame->FIsInterlaced = false;
  TGIFItem* item = Frame->FShared;
  // A palette shorter than the depth's (it must end before the pixels and
  // the stream) leaves the remaining entries black.
  const std::int64_t paletteRoom = (std::int64_t(pixelOffset) - 54) / 4;
  std::vector<Byte> palette(4 * count, 0);
  std::memcpy(palette.data(), bmp + 54, std::size_t(4 * std::min<std::int64_t>(count, paletteRoom)));
  PaletteToColorTable(item->FColors, palette.data(), count);

  if (item->FEncoded)
    item->FEncoded->Clear();
  else
    item->FEncoded = new TMemoryStream;

  TGIFFrameOwner* owner = Frame->FParentImage;
  try {
    LZWEncodeImage(item->FEncoded, width, height, bits, false, owner, bmp + pixelOffset);
  } catch (const EAbort&) {
    Frame->ResetFrameImage();
    throw;
  }

  item->FColorDepth = Byte(TableDepth(item->FColors.Count));
  TGIFData* global = owner ? owner->GlobalData() : nullptr;
  if (global && global->FGlobalColors.Count == 0) {
    global->FGlobalColors = item->FColors;
    global->FGlobalDepth = item->FColorDepth;
    Frame->FOwnColors = false;
  } else {
    Frame->FOwnColors = true;
  }
  item->FExtent = TSize{width, height};
  if (owner) {
    const int logicalWidth = std::max(owner->LogicalWidth(), width + Frame->FOrigin.X) & 0xFFFF;
    const int logicalHeight = std::max(owner->LogicalHeight(), height + Frame->FOrigin.Y) & 0xFFFF;
    owner->SetLogicalSize(logicalWidth, logicalHeight);
  }
}

void EncodeFrame(TGIFFrame* Frame) {
  TBitmap* bitmap = Frame->FDecoded;
  if (!bitmap || bitmap->Empty()) GIFError(SGIFNoDataToWrite);
  std::unique_ptr<TMemoryStream> stream;
  const TPixelFormat format = bitmap->PixelFormat();
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    stream = std::make_unique<TMemoryStream>();
  } else {
    const TReductionMethod method = Frame->FGrayReduced ? rmGrayscale : DefaultReductionMethod;
    stream = ReduceBitmapToStream(bitmap, pf8bit, method);
    if (method == rmGrayscale) Frame->FGrayReduced = true;
  }
  if (stream->Size() == 0) bitmap->SaveToStream(stream.get());
  EncodeBitmapStream(Frame, stream.get());
}

void WriteImageDescriptor(TGIFFrame* Frame, TStream* Stream) {
  TGIFItem* item = Frame->FShared;
  Byte raw[9] = {};
  PutWord(raw, unsigned(Frame->FOrigin.X));
  PutWord(raw + 2, unsigned(Frame->FOrigin.Y));
  PutWord(raw + 4, unsigned(item->FExtent.cx));
  PutWord(raw + 6, unsigned(item->FExtent.cy));
  Byte packed = 0;
  if (Frame->FOwnColors) {
    item->FColorDepth = Byte(TableDepth(item->FColors.Count));
    packed = Byte(0x80 + (item->FColorDepth - 1));
  }
  if (Frame->FIsInterlaced) packed |= 0x40;
  raw[8] = packed;
  Stream->WriteBuffer(raw, 9);
}

void WriteLocalColorTable(TGIFFrame* Frame, TStream* Stream) {
  if (!Frame->FOwnColors) return;
  // The descriptor announces 2^depth entries; a table of another count is
  // padded with its zero entries so that the file stays readable.
  const TRGBTable& table = Frame->FShared->FColors;
  const int entries = 1 << TableDepth(table.Count);
  Stream->WriteBuffer(table.Entries, entries * 3);
}

void WriteImageData(TGIFFrame* Frame, TStream* Stream) {
  TMemoryStream* encoded = Frame->FShared->FEncoded;
  if (!encoded || encoded->Size() == 0) GIFError(SGIFNoDataToWrite);
  Stream->WriteBuffer(encoded->Memory(), int(encoded->Size()));
}
