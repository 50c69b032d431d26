#pragma once
// A V4L2 capture device (/dev/videoN) as a capture driver, through libv4l2:
// the device's own formats the program reads (YUYV, UYVY, YU12, GREY, Y41P,
// YVU9, BGR24, RGB24) and, when it has none, the RGB that libv4l2 converts
// from its other formats (MJPEG, JPEG, Bayer, ...); the size nearest the one
// asked for and the frame interval nearest the requested frame time; frames
// by mmap streaming; the device's picture controls as its source dialog. A
// device connects only when it can stream. All device calls go through the
// V4L2Io seam.
#include <memory>
#include <string>

#include "platform/videodriver/CaptureDriver.h"

std::unique_ptr<TCaptureDriver> CreateV4L2Driver(const std::string& DevicePath);
