#include "platform/videodriver/V4L2Offers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <tuple>

#include "platform/videodriver/V4L2Io.h"

namespace {

constexpr unsigned kMaxEnumerations = 64;
constexpr int kMaxSide = 8192;

struct TLayout {
  std::uint32_t PixelFormat;
  TFramePixelFormat Format;
};
const TLayout kLayouts[] = {
    {V4L2_PIX_FMT_YUYV, fpYUY2},  {V4L2_PIX_FMT_UYVY, fpUYVY},    {V4L2_PIX_FMT_YUV420, fpI420},
    {V4L2_PIX_FMT_GREY, fpY8},    {V4L2_PIX_FMT_Y41P, fpY41P},    {V4L2_PIX_FMT_YVU410, fpYVU9},
    {V4L2_PIX_FMT_BGR24, fpRGB24}, {V4L2_PIX_FMT_RGB24, fpRGB24},
};

// Sizes the format dialog offers for a stepwise or continuous range.
const int kCommonSizes[][2] = {{160, 120}, {176, 144}, {320, 240},  {352, 288},  {384, 288},
                               {640, 480}, {800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}};

int Ioctl(int fd, unsigned long request, void* arg) { return V4L2Io().Ioctl(fd, request, arg); }

std::string FourCCText(std::uint32_t code) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = char((code >> (8 * i)) & 0xFF);
    if (c > ' ' && c < 127) text += c;
  }
  return text;
}

bool InRange(const v4l2_frmsize_stepwise& r, std::uint32_t w, std::uint32_t h) {
  const std::uint32_t stepW = r.step_width ? r.step_width : 1;
  const std::uint32_t stepH = r.step_height ? r.step_height : 1;
  return w >= r.min_width && w <= r.max_width && h >= r.min_height && h <= r.max_height &&
         (w - r.min_width) % stepW == 0 && (h - r.min_height) % stepH == 0;
}

// A side of a range at or below Wanted (its minimum when Wanted is below it).
int SnapDown(int wanted, std::uint32_t min, std::uint32_t max, std::uint32_t step) {
  const std::int64_t lo = min, hi = std::max(min, max), s = step ? step : 1;
  const std::int64_t w = std::clamp<std::int64_t>(wanted, lo, hi);
  return int(std::min<std::int64_t>(lo + (w - lo) / s * s, kMaxSide));
}

void EnumerateSizes(int fd, TV4L2Offer& offer) {
  for (unsigned index = 0; index < kMaxEnumerations; ++index) {
    v4l2_frmsizeenum size{};
    size.index = index;
    size.pixel_format = offer.PixelFormat;
    if (Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0) return;
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      const int w = int(size.discrete.width), h = int(size.discrete.height);
      if (w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide) offer.Sizes.emplace_back(w, h);
      continue;
    }
    offer.Stepwise = true;
    offer.Range = size.stepwise;
    for (const auto& common : kCommonSizes)
      if (InRange(size.stepwise, std::uint32_t(common[0]), std::uint32_t(common[1])))
        offer.Sizes.emplace_back(common[0], common[1]);
    return;  // a range is the only entry
  }
}

}  // namespace

const TFramePixelFormat* FrameLayoutOf(std::uint32_t PixelFormat) {
  for (const TLayout& l : kLayouts)
    if (l.PixelFormat == PixelFormat) return &l.Format;
  return nullptr;
}

std::vector<TV4L2Offer> EnumerateV4L2Offers(int Fd, std::vector<std::string>* Unreadable) {
  std::vector<TV4L2Offer> own, converted;
  for (unsigned index = 0; index < kMaxEnumerations; ++index) {
    v4l2_fmtdesc desc{};
    desc.index = index;
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Ioctl(Fd, VIDIOC_ENUM_FMT, &desc) < 0) break;
    const bool emulated = (desc.flags & V4L2_FMT_FLAG_EMULATED) != 0;
    const TFramePixelFormat* layout = FrameLayoutOf(desc.pixelformat);
    if (layout == nullptr) {
      if (!emulated && Unreadable != nullptr) Unreadable->push_back(FourCCText(desc.pixelformat));
      continue;
    }
    // Of libv4l2's conversions only RGB: the program's own YUV conversion
    // runs on the device's own YUV, never on a converted copy.
    if (emulated && *layout != fpRGB24) continue;
    std::vector<TV4L2Offer>& list = emulated ? converted : own;
    // BGR24 and RGB24 are one choice for the user: the first offered stays.
    const bool duplicate = std::any_of(list.begin(), list.end(),
                                       [&](const TV4L2Offer& o) { return o.Format == *layout; });
    if (duplicate) continue;
    TV4L2Offer offer;
    offer.PixelFormat = desc.pixelformat;
    offer.Format = *layout;
    offer.Emulated = emulated;
    EnumerateSizes(Fd, offer);
    list.push_back(std::move(offer));
  }
  const bool ownRgb =
      std::any_of(own.begin(), own.end(), [](const TV4L2Offer& o) { return o.Format == fpRGB24; });
  if (!ownRgb) own.insert(own.end(), converted.begin(), converted.end());
  return own;
}

std::pair<int, int> NearestOfferedSize(const TV4L2Offer& Offer, int Width, int Height) {
  std::vector<std::pair<int, int>> candidates = Offer.Sizes;
  if (Offer.Stepwise) {
    const v4l2_frmsize_stepwise& r = Offer.Range;
    candidates.emplace_back(SnapDown(Width, r.min_width, r.max_width, r.step_width),
                            SnapDown(Height, r.min_height, r.max_height, r.step_height));
  }
  if (candidates.empty() || Width <= 0 || Height <= 0) return {Width, Height};
  const double wantedArea = double(Width) * Height;
  const double wantedAspect = double(Width) / Height;
  auto rank = [&](const std::pair<int, int>& s) {
    const bool larger = s.first > Width || s.second > Height;
    const double area = std::abs(double(s.first) * s.second - wantedArea);
    const double aspect = std::abs(std::log(double(s.first) / s.second / wantedAspect));
    return std::make_tuple(larger, area, aspect);
  };
  return *std::min_element(candidates.begin(), candidates.end(),
                           [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
}

TV4L2Intervals EnumerateV4L2Intervals(int Fd, std::uint32_t PixelFormat, int Width, int Height) {
  TV4L2Intervals offered;
  for (unsigned index = 0; index < kMaxEnumerations; ++index) {
    v4l2_frmivalenum interval{};
    interval.index = index;
    interval.pixel_format = PixelFormat;
    interval.width = std::uint32_t(Width);
    interval.height = std::uint32_t(Height);
    if (Ioctl(Fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) < 0) break;
    if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
      if (interval.discrete.numerator > 0 && interval.discrete.denominator > 0)
        offered.Discrete.push_back(interval.discrete);
      continue;
    }
    offered.Stepwise = true;
    offered.Range = interval.stepwise;
    break;  // a range is the only entry
  }
  return offered;
}

std::uint32_t IntervalMicroseconds(const v4l2_fract& Interval) {
  if (Interval.denominator == 0) return 0;
  const std::uint64_t us = std::uint64_t(Interval.numerator) * 1000000 / Interval.denominator;
  return std::uint32_t(std::min<std::uint64_t>(us, UINT32_MAX));
}

v4l2_fract NearestFrameInterval(const TV4L2Intervals& Offered, std::uint32_t Microseconds) {
  if (!Offered.Discrete.empty()) {
    auto distance = [&](const v4l2_fract& f) {
      return std::llabs(std::int64_t(IntervalMicroseconds(f)) - std::int64_t(Microseconds));
    };
    return *std::min_element(Offered.Discrete.begin(), Offered.Discrete.end(),
                             [&](const v4l2_fract& a, const v4l2_fract& b) {
                               return distance(a) < distance(b);
                             });
  }
  std::uint32_t us = Microseconds;
  if (Offered.Stepwise) {
    const std::uint32_t lo = IntervalMicroseconds(Offered.Range.min);
    const std::uint32_t hi = std::max(lo, IntervalMicroseconds(Offered.Range.max));
    const std::uint32_t step = IntervalMicroseconds(Offered.Range.step);
    us = std::clamp(us, lo, hi);
    if (step > 0)
      us = std::uint32_t(std::min<std::uint64_t>(
          lo + (std::uint64_t(us) - lo + step / 2) / step * step, hi));
  }
  const std::uint32_t divisor = std::gcd(us, 1000000u);
  return v4l2_fract{us / (divisor ? divisor : 1), 1000000 / (divisor ? divisor : 1)};
}
