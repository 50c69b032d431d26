#include "capture/YUVConvertsWide.h"

#include <cmath>
#include <cstring>

#include "capture/YUVConverts.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TAMBLIN_WIDE_CONVERTERS 1
#endif

#ifdef TAMBLIN_WIDE_CONVERTERS

namespace {

// Each channel is a sum of a byte's distance from its centre times a 21-bit
// fixed-point constant, the nearest to the formula's constant. A product is
// off the formula's extended-precision product by the distance times the
// constant's own rounding error; the largest such sum over a channel's terms
// (plus a margin for the formula's own roundings) is the band: a channel's
// integer part is the formula's unless it lies within the band of a whole
// number from 1 to 255, and those lanes are computed by the formula.
constexpr int kFraction = 21;

struct TWideConstants {
  std::int32_t Y, BU, GU, GV, RV;
  std::int32_t Band;
};

const TWideConstants& Constants() {
  static const TWideConstants c = [] {
    const long double exact[5] = {1.1643828125L, 2.01723046875L, 0.39176171875L, 0.81296875L,
                                  1.59602734375L};
    std::int32_t fixed[5];
    long double error[5];
    for (int i = 0; i < 5; ++i) {
      const long double scaled = exact[i] * (1L << kFraction);
      fixed[i] = std::int32_t(std::llroundl(scaled));
      error[i] = std::fabs(scaled - fixed[i]);
    }
    // Luma is at most 239 steps from 16, chroma at most 128 from 128.
    const long double blue = 239 * error[0] + 128 * error[1];
    const long double green = 239 * error[0] + 128 * (error[2] + error[3]);
    const long double red = 239 * error[0] + 128 * error[4];
    const long double worst = std::fmax(blue, std::fmax(green, red));
    return TWideConstants{fixed[0], fixed[1], fixed[2], fixed[3], fixed[4],
                          std::int32_t(std::ceil(worst)) + 2};
  }();
  return c;
}

// The distance of a channel's fraction from a whole number, shifted so that
// it is below 2 * band + 1 exactly when the channel is doubtful. Channels
// below 1 or above 255 are first moved to a half, which is never doubtful:
// both truncations clamp alike there.
__attribute__((target("avx2"))) inline __m256i Fraction(__m256i value, __m256i band) {
  const __m256i inRange =
      _mm256_min_epi32(_mm256_max_epi32(value, _mm256_set1_epi32(1 << (kFraction - 1))),
                       _mm256_set1_epi32((255 << kFraction) + (1 << (kFraction - 1))));
  return _mm256_and_si256(_mm256_add_epi32(inRange, band),
                          _mm256_set1_epi32((1 << kFraction) - 1));
}

// The constants in every lane.
struct TLanes {
  __m256i Y, BU, GU, GV, RV, Band, Doubt;
};

__attribute__((target("avx2"))) inline TLanes MakeLanes() {
  const TWideConstants& k = Constants();
  return {_mm256_set1_epi32(k.Y),  _mm256_set1_epi32(k.BU),   _mm256_set1_epi32(k.GU),
          _mm256_set1_epi32(k.GV), _mm256_set1_epi32(k.RV),   _mm256_set1_epi32(k.Band),
          _mm256_set1_epi32(2 * k.Band + 1)};
}

// Eight pixels from their Y, U and V bytes (one per 32-bit lane); Doubtful
// gets a bit per lane that must be computed by the formula.
__attribute__((target("avx2"))) inline __m256i Pixels(const TLanes& k, __m256i y, __m256i u,
                                                      __m256i v, int& Doubtful) {
  const __m256i luma = _mm256_mullo_epi32(_mm256_sub_epi32(y, _mm256_set1_epi32(16)), k.Y);
  const __m256i cu = _mm256_sub_epi32(u, _mm256_set1_epi32(128));
  const __m256i cv = _mm256_sub_epi32(v, _mm256_set1_epi32(128));
  const __m256i b = _mm256_add_epi32(luma, _mm256_mullo_epi32(cu, k.BU));
  const __m256i g = _mm256_sub_epi32(_mm256_sub_epi32(luma, _mm256_mullo_epi32(cu, k.GU)),
                                     _mm256_mullo_epi32(cv, k.GV));
  const __m256i r = _mm256_add_epi32(luma, _mm256_mullo_epi32(cv, k.RV));
  const __m256i nearest = _mm256_min_epu32(
      Fraction(b, k.Band), _mm256_min_epu32(Fraction(g, k.Band), Fraction(r, k.Band)));
  Doubtful = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(k.Doubt, nearest)));
  // Whole parts, clamped to 0..255 by the saturating packs, then each lane
  // of four pixels from planes (b0 b1 b2 b3 g0 .. r3 0 ..) to blue, green,
  // red, 0 per pixel.
  const __m256i bg = _mm256_packs_epi32(_mm256_srai_epi32(b, kFraction),
                                        _mm256_srai_epi32(g, kFraction));
  const __m256i r0 = _mm256_packs_epi32(_mm256_srai_epi32(r, kFraction), _mm256_setzero_si256());
  const __m256i planes = _mm256_packus_epi16(bg, r0);
  const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
                                         0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  return _mm256_shuffle_epi8(planes, order);
}

__attribute__((target("avx2"))) inline __m256i Widen(__m128i bytes, __m128i order) {
  return _mm256_cvtepu8_epi32(_mm_shuffle_epi8(bytes, order));
}

inline void Put(std::uint8_t* px, std::uint32_t bgr0) { std::memcpy(px, &bgr0, 4); }

__attribute__((target("avx2"))) int PackedRow(const std::uint8_t* s, std::uint8_t* d, int pairs,
                                              bool yuy2) {
  const int y0 = yuy2 ? 0 : 1, u0 = yuy2 ? 1 : 0, v0 = yuy2 ? 3 : 2;
  const __m128i yOrder = _mm_setr_epi8(char(y0), char(y0 + 2), char(y0 + 4), char(y0 + 6),
                                       char(y0 + 8), char(y0 + 10), char(y0 + 12), char(y0 + 14),
                                       -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i uOrder = _mm_setr_epi8(char(u0), char(u0), char(u0 + 4), char(u0 + 4),
                                       char(u0 + 8), char(u0 + 8), char(u0 + 12), char(u0 + 12),
                                       -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i vOrder = _mm_setr_epi8(char(v0), char(v0), char(v0 + 4), char(v0 + 4),
                                       char(v0 + 8), char(v0 + 8), char(v0 + 12), char(v0 + 12),
                                       -1, -1, -1, -1, -1, -1, -1, -1);
  const TLanes k = MakeLanes();
  int done = 0;
  for (; done + 4 <= pairs; done += 4, s += 16, d += 32) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    int doubtful = 0;
    const __m256i out =
        Pixels(k, Widen(raw, yOrder), Widen(raw, uOrder), Widen(raw, vOrder), doubtful);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), out);
    for (int lane = 0; doubtful != 0; ++lane, doubtful >>= 1)
      if (doubtful & 1) {
        const std::uint8_t* pair = s + (lane / 2) * 4;
        Put(d + lane * 4, YUVToRGB(pair[y0 + (lane & 1) * 2], pair[u0], pair[v0]));
      }
  }
  return done;
}

__attribute__((target("avx2"))) int PlanarRow(const std::uint8_t* luma, const std::uint8_t* u,
                                              const std::uint8_t* v, std::uint8_t* d, int pixels) {
  const __m128i identity = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i twice = _mm_setr_epi8(0, 0, 1, 1, 2, 2, 3, 3, -1, -1, -1, -1, -1, -1, -1, -1);
  const TLanes k = MakeLanes();
  int done = 0;
  for (; done + 8 <= pixels; done += 8, d += 32) {
    std::int32_t uBytes, vBytes;
    std::memcpy(&uBytes, u + done / 2, 4);
    std::memcpy(&vBytes, v + done / 2, 4);
    int doubtful = 0;
    const __m256i out =
        Pixels(k, Widen(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + done)), identity),
               Widen(_mm_cvtsi32_si128(uBytes), twice), Widen(_mm_cvtsi32_si128(vBytes), twice),
               doubtful);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), out);
    for (int lane = 0; doubtful != 0; ++lane, doubtful >>= 1)
      if (doubtful & 1) {
        const int x = done + lane;
        Put(d + lane * 4, YUVToRGB(luma[x], u[x / 2], v[x / 2]));
      }
  }
  return done;
}

}  // namespace

bool HasWideConverters() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

int ConvertPackedRowWide(const std::uint8_t* Source, std::uint8_t* Dest, int Pairs, bool Yuy2) {
  return HasWideConverters() ? PackedRow(Source, Dest, Pairs, Yuy2) : 0;
}

int ConvertPlanarRowWide(const std::uint8_t* Luma, const std::uint8_t* U, const std::uint8_t* V,
                         std::uint8_t* Dest, int Pixels) {
  return HasWideConverters() ? PlanarRow(Luma, U, V, Dest, Pixels) : 0;
}

#else

bool HasWideConverters() { return false; }
int ConvertPackedRowWide(const std::uint8_t*, std::uint8_t*, int, bool) { return 0; }
int ConvertPlanarRowWide(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*,
                         std::uint8_t*, int) {
  return 0;
}

#endif
