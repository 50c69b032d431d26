// BMP files: the reader takes uncompressed 1/4/8/16/24/32-bit pictures with
// the core (12-byte) or an info header of 40 bytes or more, bottom-up or
// top-down, with colour masks for 16 and 32 bits; the writer produces the
// plain form: 14-byte file header, 40-byte info header, a full palette for
// paletted formats (masks for pf16bit) and bottom-up rows.
//
// Every size and offset is checked against the bytes actually there before
// it is used; a file that does not pass leaves the bitmap as it was and
// raises EInvalidGraphic "Bitmap image is not valid".
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

std::uint16_t U16(const Byte* p) { return std::uint16_t(p[0] | p[1] << 8); }
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

// One colour channel given by a mask: where it sits and how to widen it to 8 bits.
struct Channel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit Channel(std::uint32_t mask) : Mask(mask) {
    if (mask == 0) return;
    while (((mask >> Shift) & 1) == 0) ++Shift;
    while (Shift + Bits < 32 && ((mask >> (Shift + Bits)) & 1)) ++Bits;
  }
  bool Contiguous() const { return Bits > 0 && (Mask >> Shift) == ((std::uint64_t(1) << Bits) - 1); }
  int Extract(std::uint32_t pixel) const {
    std::uint32_t v = (pixel & Mask) >> Shift;
    if (Bits >= 8) return int(v >> (Bits - 8));
    // Repeat the top bits into the low ones, so full scale stays full scale.
    int out = 0;
    for (int filled = 0; filled < 8; filled += Bits) out = (out << Bits) | int(v);
    int total = ((8 + Bits - 1) / Bits) * Bits;
    return (out >> (total - 8)) & 0xFF;
  }
};

// Everything the headers say, once checked.
struct BmpLayout {
  int Width = 0;
  int Height = 0;  // always positive
  bool TopDown = false;
  int Bits = 0;
  bool HasMasks = false;
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue
  TBitmapPalette Palette;
  std::size_t PixelOffset = 0;
  std::size_t Stride = 0;
};

BmpLayout ParseHeaders(const Byte* data, std::size_t size) {
  BmpLayout layout;
  if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') Invalid();
  std::uint32_t pixelOffset = U32(data + 10);
  std::uint32_t headerSize = U32(data + kFileHeaderSize);
  if (headerSize > size - kFileHeaderSize) Invalid();
  const Byte* h = data + kFileHeaderSize;

  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteEntrySize = 4;
  std::int64_t height = 0;
  if (headerSize == 12) {  // OS/2 core header
    layout.Width = U16(h + 4);
    height = U16(h + 6);
    layout.Bits = U16(h + 10);
    paletteEntrySize = 3;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 256) {
    std::int32_t width = std::int32_t(U32(h + 4));
    height = std::int32_t(U32(h + 8));
    if (width <= 0) Invalid();
    layout.Width = width;
    layout.Bits = U16(h + 14);
    compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  } else {
    Invalid();
  }
  if (layout.Width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) Invalid();
  layout.TopDown = height < 0;
  if (height < 0) height = -height;
  layout.Height = int(height);

  switch (layout.Bits) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (compression != kBiRgb) Invalid();
      break;
    case 16:
    case 32:
      if (compression != kBiRgb && compression != kBiBitfields) Invalid();
      break;
    default: Invalid();
  }

  std::size_t tableStart = kFileHeaderSize + headerSize;
  if (compression == kBiBitfields) {
    layout.HasMasks = true;
    // The three masks follow a 40-byte header and are part of longer ones.
    const Byte* masks = h + kInfoHeaderSize;
    if (headerSize == kInfoHeaderSize) {
      if (size - tableStart < 12) Invalid();
      tableStart += 12;
    } else if (headerSize < kInfoHeaderSize + 12) {
      Invalid();
    }
    for (int i = 0; i < 3; ++i) layout.Masks[i] = U32(masks + 4 * i);
    std::uint32_t all = 0;
    for (std::uint32_t mask : layout.Masks) {
      if (mask == 0 || (all & mask) != 0 || !Channel(mask).Contiguous()) Invalid();
      if (layout.Bits == 16 && mask > 0xFFFF) Invalid();
      all |= mask;
    }
  }

  if (layout.Bits <= 8) {
    std::size_t maxColors = std::size_t(1) << layout.Bits;
    std::size_t count = colorsUsed == 0 ? maxColors : std::min<std::size_t>(colorsUsed, maxColors);
    if ((size - tableStart) / paletteEntrySize < count) Invalid();
    const Byte* entry = data + tableStart;
    for (std::size_t i = 0; i < count; ++i, entry += paletteEntrySize)
      layout.Palette.push_back({entry[2], entry[1], entry[0]});
    tableStart += count * paletteEntrySize;
  }

  // The pixels: where the file header says, never inside the headers or the
  // palette, and all rows present.
  if (pixelOffset < tableStart || pixelOffset > size) Invalid();
  layout.PixelOffset = pixelOffset;
  layout.Stride = std::size_t((std::uint64_t(layout.Width) * layout.Bits + 31) / 32 * 4);
  if (layout.Stride == 0 || (size - pixelOffset) / layout.Stride < std::size_t(layout.Height)) Invalid();
  return layout;
}

TPixelFormat FormatOf(const BmpLayout& layout) {
  switch (layout.Bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (!layout.HasMasks) return pf15bit;
      if (layout.Masks[0] == 0x7C00 && layout.Masks[1] == 0x03E0 && layout.Masks[2] == 0x001F)
        return pf16bit;
      return pf24bit;  // other 16-bit layouts (5-6-5, ...) widen to 24 bits
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

// Copies file row (or converts it through the masks) into a stored row.
void ConvertMaskedRow(const BmpLayout& layout, const Byte* from, Byte* to, int outBits) {
  Channel red(layout.Masks[0]), green(layout.Masks[1]), blue(layout.Masks[2]);
  int inBytes = layout.Bits / 8;
  int outBytes = outBits / 8;
  for (int x = 0; x < layout.Width; ++x) {
    std::uint32_t pixel = inBytes == 2 ? U16(from + 2 * x) : U32(from + 4 * x);
    Byte* out = to + std::size_t(x) * outBytes;
    out[0] = Byte(blue.Extract(pixel));
    out[1] = Byte(green.Extract(pixel));
    out[2] = Byte(red.Extract(pixel));
    if (outBytes == 4) out[3] = 0xFF;
  }
}

}  // namespace

void TBitmap::ReadBmp(const Byte* Data, std::size_t Size) {
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  BmpLayout layout = ParseHeaders(Data, Size);
  TPixelFormat format = FormatOf(layout);
  int bits = BitsOfPixelFormat(format);
  // Stored rows are at most 1.5 times the file's rows (16 bits widened to
  // 24), and those were all there; the cap keeps one picture sane.
  std::int64_t storedStride = (std::int64_t(layout.Width) * bits + 31) / 32 * 4;
  if (storedStride * layout.Height > (std::int64_t(1) << 30)) Invalid();
  int stride = int(storedStride);

  std::vector<Byte> pixels(std::size_t(stride) * layout.Height);
  bool copyRows = bits == layout.Bits && (format != pf32bit || !layout.HasMasks ||
                                          (layout.Masks[0] == 0xFF0000 && layout.Masks[1] == 0xFF00 &&
                                           layout.Masks[2] == 0xFF));
  for (int y = 0; y < layout.Height; ++y) {
    int fileRow = layout.TopDown ? y : layout.Height - 1 - y;
    const Byte* from = Data + layout.PixelOffset + std::size_t(fileRow) * layout.Stride;
    Byte* to = pixels.data() + std::size_t(y) * stride;
    if (copyRows)
      std::memcpy(to, from, std::size_t(stride));
    else
      ConvertMaskedRow(layout, from, to, bits);
  }

  FWidth = layout.Width;
  FHeight = layout.Height;
  FPixelFormat = format;
  FBytesPerLine = stride;
  FPixels = std::move(pixels);
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
