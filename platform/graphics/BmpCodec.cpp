// BMP files: the reader takes uncompressed 1/4/8/16/24/32-bit pictures with
// the core (12-byte) or an info header of 40 bytes or more, bottom-up or
// top-down, with colour masks for 16 and 32 bits; the writer produces the
// plain form: 14-byte file header, 40-byte info header, a full palette for
// paletted formats (masks for pf16bit) and bottom-up rows.
//
// Every size and offset is checked against the bytes actually there before
// it is used; a file that does not pass leaves the bitmap as it was and
// raises EInvalidGraphic "Bitmap image is not valid". Headers and rows are
// read by DibCodec.cpp, which the icon reader shares.
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/DibCodec.h"

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

std::uint32_t U32(const Byte* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
void Put16(Byte* p, unsigned v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
}
void Put32(Byte* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = Byte(v >> (8 * i));
}

}  // namespace

void TBitmap::ReadBmp(const Byte* Data, std::size_t Size) {
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  if (Size < kFileHeaderSize + 4 || Data[0] != 'B' || Data[1] != 'M') Invalid();
  std::uint32_t pixelOffset = U32(Data + 10);
  TDibLayout layout = ReadDibHeader(Data + kFileHeaderSize, Size - kFileHeaderSize);
  // The pixels: where the file header says, never inside the headers or the
  // palette, and all rows present.
  if (pixelOffset < kFileHeaderSize + layout.HeaderEnd || pixelOffset > Size) Invalid();
  TDibRows rows = ReadDibRows(layout, Data + pixelOffset, Size - pixelOffset);

  FWidth = layout.Width;
  FHeight = layout.Height;
  FPixelFormat = rows.Format;
  FBytesPerLine = rows.Stride;
  FPixels = TPixelStore(rows.Rows.data(), rows.Rows.size());
  FPalette = std::move(layout.Palette);
  SetPaletteModified(true);
  Changed(this);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  std::int64_t remaining = Stream->Size() - Stream->Position();
  if (remaining < 0) remaining = 0;
  if (remaining > std::numeric_limits<int>::max()) Invalid();
  std::vector<Byte> data(static_cast<std::size_t>(remaining));
  if (remaining > 0) Stream->ReadBuffer(data.data(), int(remaining));
  ReadBmp(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  int bits = BitsPerPixel();
  bool masks = FPixelFormat == pf16bit;
  std::uint32_t paletteEntries = bits <= 8 ? (1u << bits) : 0;
  std::uint32_t headers = kFileHeaderSize + kInfoHeaderSize + (masks ? 12 : 0) + 4 * paletteEntries;
  std::uint32_t imageSize = std::uint32_t(FBytesPerLine) * std::uint32_t(FHeight);

  std::vector<Byte> head(headers, 0);
  Byte* p = head.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, headers + imageSize);
  Put32(p + 10, headers);
  Byte* info = p + kFileHeaderSize;
  Put32(info, kInfoHeaderSize);
  Put32(info + 4, std::uint32_t(FWidth));
  Put32(info + 8, std::uint32_t(FHeight));
  Put16(info + 12, 1);
  Put16(info + 14, unsigned(bits));
  Put32(info + 16, masks ? kBiBitfields : kBiRgb);
  Put32(info + 20, imageSize);
  Byte* table = info + kInfoHeaderSize;
  if (masks) {
    Put32(table, 0x7C00);
    Put32(table + 4, 0x03E0);
    Put32(table + 8, 0x001F);
  }
  for (std::uint32_t i = 0; i < paletteEntries && i < FPalette.size(); ++i) {
    table[4 * i] = FPalette[i].Blue;
    table[4 * i + 1] = FPalette[i].Green;
    table[4 * i + 2] = FPalette[i].Red;
  }
  Stream->WriteBuffer(head.data(), int(head.size()));
  for (int y = FHeight - 1; y >= 0; --y)
    Stream->WriteBuffer(FPixels.data() + std::size_t(y) * FBytesPerLine, FBytesPerLine);
}

void TBitmap::ReadData(TStream* Stream) {
  Byte prefix[4];
  Stream->ReadBuffer(prefix, 4);
  std::uint32_t length = U32(prefix);
  std::int64_t remaining = Stream->Size() - Stream->Position();
  if (std::int64_t(length) > remaining) throw EReadError(SReadError);
  std::vector<Byte> data(length);
  if (length > 0) Stream->ReadBuffer(data.data(), int(length));
  ReadBmp(data.data(), data.size());
}

void TBitmap::WriteData(TStream* Stream) {
  TMemoryStream bmp;
  SaveToStream(&bmp);
  std::uint32_t length = std::uint32_t(bmp.Size());
  Byte prefix[4];
  Put32(prefix, length);
  Stream->WriteBuffer(prefix, 4);
  if (length > 0) Stream->WriteBuffer(bmp.Memory(), int(length));
}
