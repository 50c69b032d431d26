#pragma once
// What a V4L2 device offers the program, read through the V4L2Io seam: the
// pixel formats it can deliver in one of the program's frame layouts (the
// device's own, and RGB that libv4l2 converts from formats the program
// cannot read), the frame sizes of each, and the frame intervals of a size;
// and the choice of the offered size and interval nearest to a request.
#include <linux/videodev2.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/videodriver/FrameLayout.h"

struct TV4L2Offer {
  std::uint32_t PixelFormat = 0;
  TFramePixelFormat Format = fpYUY2;
  bool Emulated = false;  // converted by libv4l2, not the device's own
  std::vector<std::pair<int, int>> Sizes;  // for the format dialog
  bool Stepwise = false;                   // any size of Range (Sizes: common ones inside it)
  v4l2_frmsize_stepwise Range{};
};

// The frame layout of a V4L2 pixel format (nullptr when the program has none).
const TFramePixelFormat* FrameLayoutOf(std::uint32_t PixelFormat);

// The readable formats of the device on Fd: its own first, in its order, then
// RGB converted by libv4l2 (only when the device has no RGB of its own).
// Names the device's other formats in Unreadable ("MJPG", "H264", ...).
std::vector<TV4L2Offer> EnumerateV4L2Offers(int Fd, std::vector<std::string>* Unreadable = nullptr);

// The size of Offer nearest to Width by Height: no larger than the request
// unless nothing smaller exists, then the closest area, then the closest
// aspect ratio. The request itself when the offer names no sizes.
std::pair<int, int> NearestOfferedSize(const TV4L2Offer& Offer, int Width, int Height);

// The frame intervals (seconds per frame) the device on Fd offers for a
// format at a size: a list, or a range; neither when it does not tell.
struct TV4L2Intervals {
  std::vector<v4l2_fract> Discrete;
  bool Stepwise = false;
  v4l2_frmival_stepwise Range{};
};
TV4L2Intervals EnumerateV4L2Intervals(int Fd, std::uint32_t PixelFormat, int Width, int Height);

// The offered interval nearest to Microseconds per frame ({Microseconds,
// 1000000} when nothing is offered).
v4l2_fract NearestFrameInterval(const TV4L2Intervals& Offered, std::uint32_t Microseconds);
// Microseconds of an interval (0 for a zero denominator).
std::uint32_t IntervalMicroseconds(const v4l2_fract& Interval);
