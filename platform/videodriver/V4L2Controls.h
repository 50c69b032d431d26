#pragma once
// The picture controls of a V4L2 device (brightness, contrast, ...) as its
// source dialog shows them, read and changed through the V4L2Io seam.
#include <cstdint>
#include <vector>

#include "platform/videodriver/CaptureDriver.h"

// The integer, boolean and menu controls the device lets the user change,
// with their current values.
std::vector<TVideoSourceControl> ReadV4L2Controls(int Fd);
void SetV4L2Control(int Fd, std::uint32_t Id, int Value);
