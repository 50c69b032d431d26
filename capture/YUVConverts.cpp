#include "capture/YUVConverts.h"

#include "capture/YUVConvertsWide.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
  return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
         std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

// The colour formula runs in x87 extended precision: the constants are the
// nearest 64-bit-significand values to the decimals, and the result is
// truncated, not rounded, so 254.99 stays 254.
int Channel(long double value) {
  long double t = value < 0 ? -value : value;
  long long whole = static_cast<long long>(t);
  int v = value < 0 ? int(-whole) : int(whole);
  if (v > 255) return 255;
  if (v < 0) return 0;
  return v;
}

// Output row of source row `row` (0 = top of the picture) in a bottom-up bitmap.
inline std::uint8_t* OutRow(std::uint8_t* dest, int width, int height, int row) {
  return dest + std::size_t(height - 1 - row) * std::size_t(width) * 4;
}

inline void Put(std::uint8_t* px, std::uint32_t bgr0) { std::memcpy(px, &bgr0, 4); }

inline std::uint32_t Pack(int b, int g, int r) {
  return std::uint32_t(b) | std::uint32_t(g) << 8 | std::uint32_t(r) << 16;
}

// The converters' fast path. Each channel is a sum of per-byte terms; the
// terms are the formula's own extended-precision products, rounded to
// 20-bit fixed point, so a sum is off the formula's value by at most 1.5
// units. Its integer part is the formula's truncated value unless the sum
// lies within 2 units of a whole number from 1 to 255 (nearer 0 or 256 both
// sides clamp alike). A row with such a pixel (a few per million pixels) is
// checked again pixel by pixel, and those pixels take the formula itself.
constexpr int kFraction = 20;
constexpr std::uint32_t kNearWhole = 2;

struct TTerms {
  std::int32_t Y[256];
  std::int32_t BU[256];
  std::int32_t GU[256];
  std::int32_t GV[256];
  std::int32_t RV[256];
};

std::int32_t Fixed(long double value) {
  return std::int32_t(std::llroundl(value * (1L << kFraction)));
}

const TTerms& BuildTerms() {
  static const TTerms terms = [] {
    TTerms t{};
    for (int i = 0; i < 256; ++i) {
      const long double c = i - 128;
      t.Y[i] = Fixed(static_cast<long double>(i - 16) * 1.1643828125L);
      t.BU[i] = Fixed(2.01723046875L * c);
      t.GU[i] = Fixed(0.39176171875L * c);
      t.GV[i] = Fixed(0.81296875L * c);
      t.RV[i] = Fixed(1.59602734375L * c);
    }
    return t;
  }();
  return terms;
}

// The chroma part of a group of pixels.
struct TChroma {
  std::int32_t B, G, R;
  std::uint8_t U, V;
};

inline TChroma ChromaOf(const TTerms& t, std::uint8_t u, std::uint8_t v) {
  return {t.BU[u], t.GU[u] + t.GV[v], t.RV[v], u, v};
}

// 1 when the sum lies near a whole number from 1 to 255, else 0.
inline std::uint32_t NearWhole(std::int32_t value) {
  const std::uint32_t v = std::uint32_t(value);
  const std::uint32_t mask = (1u << kFraction) - 1;
  const std::uint32_t nearAny = ((v + kNearWhole) & mask) <= 2 * kNearWhole;
  const std::uint32_t inRange =
      v - ((1u << kFraction) - kNearWhole) <= (254u << kFraction) + 2 * kNearWhole;
  return nearAny & inRange;
}

inline std::uint32_t Clamp8(std::int32_t value) {
  const std::int32_t whole = value >> kFraction;  // floor
  return std::uint32_t(std::min(std::max(whole, 0), 255));
}

// The fast value of one pixel; Near collects whether it may be off.
inline std::uint32_t Convert(const TTerms& t, std::uint8_t y, const TChroma& c,
                             std::uint32_t& Near) {
  const std::int32_t luma = t.Y[y];
  const std::int32_t b = luma + c.B, g = luma - c.G, r = luma + c.R;
  Near |= NearWhole(b) | NearWhole(g) | NearWhole(r);
  return Clamp8(b) | Clamp8(g) << 8 | Clamp8(r) << 16;
}

// The exact value of one pixel.
inline std::uint32_t ConvertExact(const TTerms& t, std::uint8_t y, const TChroma& c) {
  std::uint32_t near = 0;
  const std::uint32_t fast = Convert(t, y, c, near);
  return near ? YUVToRGB(y, c.U, c.V) : fast;
}

// Runs Row(convert) once with the fast conversion and, when any pixel of it
// may be off, again with the exact one.
template <class TRow>
inline void ConvertRow(const TTerms& t, const TRow& Row) {
  std::uint32_t near = 0;
  Row([&](std::uint8_t y, const TChroma& c) { return Convert(t, y, c, near); });
  if (near) Row([&](std::uint8_t y, const TChroma& c) { return ConvertExact(t, y, c); });
}

}  // namespace

std::uint8_t GetConversionCode(std::uint32_t Compression) {
  switch (Compression) {
    case 0:
    case 3:
      return 1;
    case FourCC('Y', 'U', 'Y', '2'):
      return 2;
    case FourCC('U', 'Y', 'V', 'Y'):
      return 3;
    case FourCC('Y', '4', '1', 'P'):
      return 4;
    case FourCC('Y', 'V', 'U', '9'):
      return 5;
    case FourCC('I', '4', '2', '0'):
      return 6;
    case FourCC('Y', '8', ' ', ' '):
      return 7;
    case FourCC('Y', '2', '1', '1'):
      return 8;
    default:
      return 0;
  }
}

std::uint32_t YUVToRGB(std::uint8_t Y, std::uint8_t U, std::uint8_t V) {
  const long double y = (static_cast<long double>(int(Y) - 16)) * 1.1643828125L;
  const long double u = int(U) - 128;
  const long double v = int(V) - 128;
  const int blue = Channel(y + 2.01723046875L * u);
  const int green = Channel((y - 0.39176171875L * u) - 0.81296875L * v);
  const int red = Channel(y + 1.59602734375L * v);
  return Pack(blue, green, red);
}

std::size_t SourceFrameSize(std::uint8_t Code, int Width, int Height) {
  if (Width <= 0 || Height <= 0) return 0;
  const std::size_t w = std::size_t(Width), h = std::size_t(Height);
  switch (Code & 0x7F) {
    case 2:
    case 3:
      return w * 2 * h;
    case 4:
      return ((w + 7) / 8) * 12 * h;
    case 5:
      return w * h + 2 * ((w + 3) / 4) * ((h + 3) / 4);
    case 6:
      return w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
    case 7:
      return w * h;
    case 8:
      return ((w + 3) / 4) * 4 * h;
    default:
      return 0;
  }
}

bool ConvertFrame(std::uint8_t Code, const std::uint8_t* Source, std::size_t SourceSize,
                  std::uint8_t* Dest, std::size_t DestSize, int Width, int Height) {
  const std::uint8_t code = Code & 0x7F;
  const std::size_t need = SourceFrameSize(code, Width, Height);
  if (need == 0 || Source == nullptr || Dest == nullptr || SourceSize < need) return false;
  if (DestSize / 4 / std::size_t(Width) < std::size_t(Height)) return false;
  switch (code) {
    case 2: ConvertYUY2(Source, Dest, Width, Height); return true;
    case 3: ConvertUYVY(Source, Dest, Width, Height); return true;
    case 4: ConvertY41P(Source, Dest, Width, Height); return true;
    case 5: ConvertYVU9(Source, Dest, Width, Height); return true;
    case 6: ConvertI420(Source, Dest, Width, Height); return true;
    case 7: ConvertY8(Source, Dest, Width, Height); return true;
    case 8: ConvertY211(Source, Dest, Width, Height); return true;
    default: return false;
  }
}

void ConvertYUY2(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  const TTerms& t = BuildTerms();
  for (int row = 0; row < Height; ++row) {
    const std::uint8_t* s = Source + std::size_t(row) * std::size_t(Width) * 2;
    std::uint8_t* d = OutRow(Dest, Width, Height, row);
    const int wide = ConvertPackedRowWide(s, d, Width / 2, true);
    ConvertRow(t, [&](auto convert) {
      const std::uint8_t* p = s + std::size_t(wide) * 4;
      std::uint8_t* o = d + std::size_t(wide) * 8;
      for (int pair = wide; pair < Width / 2; ++pair, p += 4, o += 8) {
        const TChroma c = ChromaOf(t, p[1], p[3]);
        Put(o, convert(p[0], c));
        Put(o + 4, convert(p[2], c));
      }
    });
  }
}

void ConvertUYVY(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  const TTerms& t = BuildTerms();
  for (int row = 0; row < Height; ++row) {
    const std::uint8_t* s = Source + std::size_t(row) * std::size_t(Width) * 2;
    std::uint8_t* d = OutRow(Dest, Width, Height, row);
    const int wide = ConvertPackedRowWide(s, d, Width / 2, false);
    ConvertRow(t, [&](auto convert) {
      const std::uint8_t* p = s + std::size_t(wide) * 4;
      std::uint8_t* o = d + std::size_t(wide) * 8;
      for (int pair = wide; pair < Width / 2; ++pair, p += 4, o += 8) {
        const TChroma c = ChromaOf(t, p[0], p[2]);
        Put(o, convert(p[1], c));
        Put(o + 4, convert(p[3], c));
      }
    });
  }
}

void ConvertY41P(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  // Per 8 pixels: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7. A partial last group
  // still has its whole 12 bytes in the row, so only the output is cut short.
  static constexpr int kLuma[8] = {1, 3, 5, 7, 8, 9, 10, 11};
  const std::size_t stride = std::size_t((Width + 7) / 8) * 12;
  const TTerms& t = BuildTerms();
  for (int row = 0; row < Height; ++row) {
    const std::uint8_t* s = Source + std::size_t(row) * stride;
    std::uint8_t* d = OutRow(Dest, Width, Height, row);
    ConvertRow(t, [&](auto convert) {
      for (int x = 0; x < Width; ++x) {
        const std::uint8_t* g = s + std::size_t(x / 8) * 12;
        const int i = x % 8;
        const TChroma c = i < 4 ? ChromaOf(t, g[0], g[2]) : ChromaOf(t, g[4], g[6]);
        Put(d + std::size_t(x) * 4, convert(g[kLuma[i]], c));
      }
    });
  }
}

namespace {

// Planar frames: one chroma sample per Block x Block pixels; luma advances row
// by row while the chroma row stays for the whole group of rows.
void ConvertPlanar(const std::uint8_t* luma, const std::uint8_t* uPlane, const std::uint8_t* vPlane,
                   std::uint8_t* dest, int width, int height, int block) {
  const int chromaWidth = (width + block - 1) / block;
  const int rows = block * (height / block);
  const int cols = block * (width / block);
  const TTerms& t = BuildTerms();
  for (int row = 0; row < rows; ++row) {
    const std::uint8_t* y = luma + std::size_t(row) * std::size_t(width);
    const std::size_t chromaRow = std::size_t(row / block) * std::size_t(chromaWidth);
    std::uint8_t* d = OutRow(dest, width, height, row);
    const int wide =
        block == 2 ? ConvertPlanarRowWide(y, uPlane + chromaRow, vPlane + chromaRow, d, cols) : 0;
    ConvertRow(t, [&](auto convert) {
      for (int x = wide; x < cols; x += block) {
        const std::size_t at = chromaRow + std::size_t(x / block);
        const TChroma c = ChromaOf(t, uPlane[at], vPlane[at]);
        for (int k = 0; k < block; ++k) Put(d + std::size_t(x + k) * 4, convert(y[x + k], c));
      }
    });
  }
}

}  // namespace

void ConvertYVU9(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  const std::size_t lumaSize = std::size_t(Width) * std::size_t(Height);
  const std::size_t chromaSize = std::size_t((Width + 3) / 4) * std::size_t((Height + 3) / 4);
  const std::uint8_t* v = Source + lumaSize;
  const std::uint8_t* u = v + chromaSize;
  ConvertPlanar(Source, u, v, Dest, Width, Height, 4);
}

void ConvertI420(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  const std::size_t lumaSize = std::size_t(Width) * std::size_t(Height);
  const std::size_t chromaSize = std::size_t((Width + 1) / 2) * std::size_t((Height + 1) / 2);
  const std::uint8_t* u = Source + lumaSize;
  const std::uint8_t* v = u + chromaSize;
  ConvertPlanar(Source, u, v, Dest, Width, Height, 2);
}

void ConvertY8(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  for (int row = 0; row < Height; ++row) {
    const std::uint8_t* s = Source + std::size_t(row) * std::size_t(Width);
    std::uint8_t* d = OutRow(Dest, Width, Height, row);
    for (int x = 0; x < Width; ++x) Put(d + std::size_t(x) * 4, Pack(s[x], s[x], s[x]));
  }
}

void ConvertY211(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height) {
  const std::size_t stride = std::size_t((Width + 3) / 4) * 4;
  const TTerms& t = BuildTerms();
  for (int row = 0; row < Height; ++row) {
    const std::uint8_t* s = Source + std::size_t(row) * stride;
    std::uint8_t* d = OutRow(Dest, Width, Height, row);
    ConvertRow(t, [&](auto convert) {
      const std::uint8_t* p = s;
      std::uint8_t* o = d;
      for (int group = 0; group < Width / 4; ++group, p += 4, o += 16) {
        const TChroma c = ChromaOf(t, p[1], p[3]);
        const std::uint32_t first = convert(p[0], c);
        const std::uint32_t second = convert(p[2], c);
        Put(o, first);
        Put(o + 4, first);
        Put(o + 8, second);
        Put(o + 12, second);
      }
    });
  }
}
