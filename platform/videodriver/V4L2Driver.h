#pragma once
// A V4L2 capture device (/dev/videoN) as a capture driver: the pixel formats
// the program can read (YUYV, UYVY, YU12, GREY, Y41P, YVU9, BGR24, RGB24)
// with the sizes the device offers, frames by mmap streaming, and the
// device's picture controls as its source dialog. All device calls go
// through the V4L2Io seam.
#include <memory>
#include <string>

#include "platform/videodriver/CaptureDriver.h"

std::unique_ptr<TCaptureDriver> CreateV4L2Driver(const std::string& DevicePath);
