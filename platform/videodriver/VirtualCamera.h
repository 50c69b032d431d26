#pragma once
// The virtual camera: a capture driver without hardware that shows a moving
// test picture (colour bars, a grey ramp and a square crossing the picture)
// in any of the eight frame layouts at any size. It is driver 0 when the
// environment variable TAMBLIN_VIRTUAL_CAMERA is set, per process:
//
//   TAMBLIN_VIRTUAL_CAMERA=<layout>:<width>x<height>[:<option>,...]
//   layouts  RGB24, YUY2, UYVY, Y41P, YVU9, I420, Y8, Y211
//   options  refuse-parms  the camera refuses capture parameters
//            no-parms      the camera cannot report capture parameters
//            noise         the picture is random noise (very large JPEGs)
//
// e.g. TAMBLIN_VIRTUAL_CAMERA=YUY2:384x288. The camera keeps its layout and
// size when asked for another one by message; its format dialog changes them.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/videodriver/CaptureDriver.h"
#include "platform/videodriver/FrameLayout.h"

inline constexpr const char* VirtualCameraVariable = "TAMBLIN_VIRTUAL_CAMERA";

struct TVirtualCameraSettings {
  TFramePixelFormat Format = fpYUY2;
  int Width = 384;
  int Height = 288;
  bool RefuseCaptureParms = false;
  bool NoCaptureParms = false;
  bool Noise = false;
};

// Sizes from 1 to this many pixels a side.
inline constexpr int VirtualCameraMaxSide = 4096;

// Parses the variable's value; false (Settings untouched) when it is malformed.
bool ParseVirtualCameraSettings(const std::string& Text, TVirtualCameraSettings& Settings);
// Whether the virtual camera is on, and with which settings: the test
// override when set, else the environment variable (a malformed value: off).
bool VirtualCameraSettings(TVirtualCameraSettings& Settings);
// Test seam: turns the virtual camera on with Settings, or (std::nullopt)
// hands the decision back to the environment.
void SetVirtualCameraOverride(std::optional<TVirtualCameraSettings> Settings);

// Frame FrameNumber of the test picture, as the camera would deliver it.
std::vector<Byte> MakeVirtualCameraFrame(const TVirtualCameraSettings& Settings,
                                         unsigned FrameNumber);

std::unique_ptr<TCaptureDriver> CreateVirtualCamera(const TVirtualCameraSettings& Settings);
