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

// Each channel is a sum of a byte's distance from its centre times a 20-bit
// fixed-point constant, the nearest to the formula's constant. A product is
// off the formula's extended-precision product by the distance times the
// constant's own rounding error; the largest such sum over a channel's terms
// (plus a margin for the formula's own roundings) is the band: a channel's
// integer part is the formula's unless it lies within the band of a whole
// number from 1 to 255, and those lanes are computed by the formula.
//
// The products are taken by the 16-bit multiply-add: a 32-bit lane holds a
// luma byte b and b * 128 in its halves (a chroma byte's distance c from
// 128 and c * 256), a constant lane holds K - 128 * High and High (K - 256 *
// High and High), so one multiply-add gives the exact 32-bit product. Luma's
// distance from 16 is folded into one constant per channel.
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

// A constant as the multiply-add's pair (K - Step * High, High); both halves
// fit 16 bits while K is below Step * 2^15.
std::int32_t Split(std::int32_t k, std::int32_t step) {
  const std::int32_t high = (k + step / 2) / step;
  const std::int32_t low = k - high * step;
  return std::int32_t(std::uint32_t(std::uint16_t(std::int16_t(low))) |
                      std::uint32_t(std::uint16_t(std::int16_t(high))) << 16);
}

// The lane values, made once: rows are short, so their set-up counts.
struct TLaneValues {
  std::int32_t Y, BU, GU, GV, RV;
  std::int32_t BlueBase, GreenBase, RedBase;  // the centres' share, plus the band
  std::int32_t Doubt;
};

const TLaneValues& LaneValues() {
  static const TLaneValues values = [] {
    const TWideConstants& k = Constants();
    const std::int32_t luma = -16 * k.Y + k.Band;
    return TLaneValues{Split(k.Y, 128),
                       Split(k.BU, 256),
                       Split(k.GU, 256),
                       Split(k.GV, 256),
                       Split(k.RV, 256),
                       luma,
                       luma,
                       luma,
                       2 * k.Band + 1};
  }();
  return values;
}

// The constants in every lane.
struct TLanes {
  __m256i Y, BU, GU, GV, RV;
  __m256i BlueBase, GreenBase, RedBase;
  __m256i Doubt, FractionMask, Low, High;
};

__attribute__((target("avx2"))) inline TLanes MakeLanes() {
  const TLaneValues& k = LaneValues();
  return {_mm256_set1_epi32(k.Y),         _mm256_set1_epi32(k.BU),
          _mm256_set1_epi32(k.GU),        _mm256_set1_epi32(k.GV),
          _mm256_set1_epi32(k.RV),        _mm256_set1_epi32(k.BlueBase),
          _mm256_set1_epi32(k.GreenBase), _mm256_set1_epi32(k.RedBase),
          _mm256_set1_epi32(k.Doubt),     _mm256_set1_epi32((1 << kFraction) - 1),
          _mm256_set1_epi32(1 << (kFraction - 1)),
          _mm256_set1_epi32((255 << kFraction) + (1 << (kFraction - 1)))};
}

// The fraction of a channel shifted up by the band: below 2 * band + 1
// exactly when the true sum lies within the band of a whole number.
// Channels below 1 or above 255 are first moved to a half, which is never
// doubtful: both truncations clamp alike there (and black, exactly 0, is
// common).
__attribute__((target("avx2"))) inline __m256i Fraction(__m256i banded, const TLanes& k) {
  const __m256i inRange = _mm256_min_epi32(_mm256_max_epi32(banded, k.Low), k.High);
  return _mm256_and_si256(inRange, k.FractionMask);
}

// Eight pixels from their Y, U and V lanes of multiply-add halves; Doubtful
// gets a bit per lane that must be computed by the formula.
__attribute__((target("avx2"))) inline __m256i Pixels(const TLanes& k, __m256i y, __m256i u,
                                                      __m256i v, int& Doubtful) {
  const __m256i luma = _mm256_madd_epi16(y, k.Y);
  const __m256i bBanded =
      _mm256_add_epi32(_mm256_add_epi32(luma, k.BlueBase), _mm256_madd_epi16(u, k.BU));
  const __m256i gBanded =
      _mm256_sub_epi32(_mm256_add_epi32(luma, k.GreenBase),
                       _mm256_add_epi32(_mm256_madd_epi16(u, k.GU), _mm256_madd_epi16(v, k.GV)));
  const __m256i rBanded =
      _mm256_add_epi32(_mm256_add_epi32(luma, k.RedBase), _mm256_madd_epi16(v, k.RV));
  const __m256i nearest = _mm256_min_epu32(
      Fraction(bBanded, k), _mm256_min_epu32(Fraction(gBanded, k), Fraction(rBanded, k)));
  Doubtful = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(k.Doubt, nearest)));
  // Whole parts (the band shift never moves a lane that is not doubtful
  // across a whole number), clamped to 0..255 by the saturating packs, then
  // each lane of four pixels from planes (b0 b1 b2 b3 g0 .. r3 0 ..) to
  // blue, green, red, 0 per pixel.
  const __m256i bg = _mm256_packs_epi32(_mm256_srai_epi32(bBanded, kFraction),
                                        _mm256_srai_epi32(gBanded, kFraction));
  const __m256i r0 =
      _mm256_packs_epi32(_mm256_srai_epi32(rBanded, kFraction), _mm256_setzero_si256());
  const __m256i planes = _mm256_packus_epi16(bg, r0);
  const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
                                         0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  return _mm256_shuffle_epi8(planes, order);
}

// (b, b * 128) halves from lanes that hold b in both 16-bit halves.
__attribute__((target("avx2"))) inline __m256i LumaHalves(__m256i twice) {
  return _mm256_mullo_epi16(twice, _mm256_set1_epi32(128 << 16 | 1));
}

// (c, c * 256) halves, c = b - 128, from lanes that hold b in both halves.
__attribute__((target("avx2"))) inline __m256i ChromaHalves(__m256i twice) {
  return _mm256_mullo_epi16(_mm256_sub_epi16(twice, _mm256_set1_epi16(128)),
                            _mm256_set1_epi32(256 << 16 | 1));
}

// Lanes holding a byte in both halves.
__attribute__((target("avx2"))) inline __m256i Widen(__m128i bytes, __m128i order) {
  const __m256i lanes = _mm256_cvtepu8_epi32(_mm_shuffle_epi8(bytes, order));
  return _mm256_or_si256(lanes, _mm256_slli_epi32(lanes, 16));
}

inline void Put(std::uint8_t* px, std::uint32_t bgr0) { std::memcpy(px, &bgr0, 4); }

// The shuffle that puts a byte of four pairs into bytes 0 and 2 of each
// pixel's lane, given the byte's offset in the pair for the first and the
// second pixel. The pairs' bytes are in both 128-bit halves; pixels 0..3
// take theirs from the low half, 4..7 from the high.
__attribute__((target("avx2"))) inline __m256i Spread(char first, char second) {
  const char a0 = first, a1 = second, b0 = char(first + 4), b1 = char(second + 4);
  const char c0 = char(first + 8), c1 = char(second + 8), d0 = char(first + 12),
             d1 = char(second + 12);
  return _mm256_setr_epi8(a0, -1, a0, -1, a1, -1, a1, -1, b0, -1, b0, -1, b1, -1, b1, -1,  //
                          c0, -1, c0, -1, c1, -1, c1, -1, d0, -1, d0, -1, d1, -1, d1, -1);
}

template <int Y0, int U0, int V0>
__attribute__((target("avx2"))) int PackedRow(const std::uint8_t* s, std::uint8_t* d,
                                              int pairs) {
  const __m256i yOrder = Spread(Y0, Y0 + 2), uOrder = Spread(U0, U0), vOrder = Spread(V0, V0);
  const TLanes k = MakeLanes();
  // The doubtful lanes of a run of groups are noted and computed after the
  // run, so that the loop neither branches on them nor calls out.
  constexpr int kRun = 64;
  std::uint8_t doubts[kRun];
  const int groups = pairs / 4;
  for (int first = 0; first < groups; first += kRun) {
    const int count = groups - first < kRun ? groups - first : kRun;
    const std::uint8_t* from = s + std::size_t(first) * 16;
    std::uint8_t* to = d + std::size_t(first) * 32;
    int any = 0;
    for (int g = 0; g < count; ++g) {
      const __m256i raw = _mm256_broadcastsi128_si256(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + g * 16)));
      int doubtful = 0;
      const __m256i out = Pixels(k, LumaHalves(_mm256_shuffle_epi8(raw, yOrder)),
                                 ChromaHalves(_mm256_shuffle_epi8(raw, uOrder)),
                                 ChromaHalves(_mm256_shuffle_epi8(raw, vOrder)), doubtful);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + g * 32), out);
      doubts[g] = std::uint8_t(doubtful);
      any |= doubtful;
    }
    if (any == 0) continue;
    for (int g = 0; g < count; ++g)
      for (int lane = 0, doubtful = doubts[g]; doubtful != 0; ++lane, doubtful >>= 1)
        if (doubtful & 1) {
          const std::uint8_t* pair = from + g * 16 + (lane / 2) * 4;
          Put(to + g * 32 + lane * 4, YUVToRGB(pair[Y0 + (lane & 1) * 2], pair[U0], pair[V0]));
        }
  }
  return groups * 4;
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
        Pixels(k,
               LumaHalves(
                   Widen(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + done)), identity)),
               ChromaHalves(Widen(_mm_cvtsi32_si128(uBytes), twice)),
               ChromaHalves(Widen(_mm_cvtsi32_si128(vBytes), twice)),
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
  if (!HasWideConverters()) return 0;
  return Yuy2 ? PackedRow<0, 1, 3>(Source, Dest, Pairs) : PackedRow<1, 0, 2>(Source, Dest, Pairs);
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
