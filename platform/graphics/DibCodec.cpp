// The headers and rows of device-independent bitmaps (see DibCodec.h).
#include "platform/graphics/DibCodec.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidBitmap); }

std::uint16_t U16(const Byte* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const Byte* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
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

TPixelFormat FormatOf(const TDibLayout& layout) {
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

// Converts one row through the masks into a stored row.
void ConvertMaskedRow(const TDibLayout& layout, const Byte* from, Byte* to, int outBits) {
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

TDibLayout ReadDibHeader(const Byte* Data, std::size_t Size) {
  TDibLayout layout;
  if (Size < 4) Invalid();
  std::uint32_t headerSize = U32(Data);
  if (headerSize > Size) Invalid();
  const Byte* h = Data;

  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteEntrySize = 4;
  std::int64_t height = 0;
  if (headerSize == kCoreHeaderSize) {  // OS/2 core header
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

  std::size_t tableStart = headerSize;
  if (compression == kBiBitfields) {
    layout.HasMasks = true;
    // The three masks follow a 40-byte header and are part of longer ones.
    const Byte* masks = h + kInfoHeaderSize;
    if (headerSize == kInfoHeaderSize) {
      if (Size - tableStart < 12) Invalid();
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
    if ((Size - tableStart) / paletteEntrySize < count) Invalid();
    const Byte* entry = Data + tableStart;
    for (std::size_t i = 0; i < count; ++i, entry += paletteEntrySize)
      layout.Palette.push_back({entry[2], entry[1], entry[0]});
    tableStart += count * paletteEntrySize;
  }

  layout.HeaderEnd = tableStart;
  layout.Stride = std::size_t((std::uint64_t(layout.Width) * layout.Bits + 31) / 32 * 4);
  return layout;
}

TDibRows ReadDibRows(const TDibLayout& Layout, const Byte* Pixels, std::size_t Size) {
  // All rows present.
  if (Layout.Stride == 0 || Size / Layout.Stride < std::size_t(Layout.Height)) Invalid();
  TDibRows result;
  result.Format = FormatOf(Layout);
  int bits = BitsOfPixelFormat(result.Format);
  // Stored rows are at most 1.5 times the given rows (16 bits widened to
  // 24), and those were all there; the cap keeps one picture sane.
  std::int64_t storedStride = (std::int64_t(Layout.Width) * bits + 31) / 32 * 4;
  if (storedStride * Layout.Height > (std::int64_t(1) << 30)) Invalid();
  result.Stride = int(storedStride);

  result.Rows.resize(std::size_t(result.Stride) * Layout.Height);
  bool copyRows = bits == Layout.Bits && (result.Format != pf32bit || !Layout.HasMasks ||
                                          (Layout.Masks[0] == 0xFF0000 && Layout.Masks[1] == 0xFF00 &&
                                           Layout.Masks[2] == 0xFF));
  for (int y = 0; y < Layout.Height; ++y) {
    int fileRow = Layout.TopDown ? y : Layout.Height - 1 - y;
    const Byte* from = Pixels + std::size_t(fileRow) * Layout.Stride;
    Byte* to = result.Rows.data() + std::size_t(y) * result.Stride;
    if (copyRows)
      std::memcpy(to, from, std::size_t(result.Stride));
    else
      ConvertMaskedRow(Layout, from, to, bits);
  }
  return result;
}
