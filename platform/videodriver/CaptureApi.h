#pragma once
// The host's video-capture interface: a capture window that hosts a driver,
// previews its frames in a control and is driven by numbered messages sent
// with SendMessageA, plus the records exchanged through those messages.
//
// Drivers 0 to 9: the V4L2 devices /dev/video0 to /dev/video9. When the
// environment variable TAMBLIN_VIRTUAL_CAMERA is set (see VirtualCamera.h)
// driver 0 is a virtual camera instead and drivers 1 to 9 are /dev/video0 to
// /dev/video8.
//
// Everything here runs on the user-interface thread; the status and frame
// callbacks are called from the window's own timer, on that thread.
#include <cstdint>

#include "platform/base/Types.h"

class TWinControl;

// A capture window; nullptr is no window. Messages to a handle whose window
// has been destroyed answer 0.
using HWND = struct TCaptureWindowHandle*;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window styles accepted by capCreateCaptureWindowA.
inline constexpr DWord WS_CHILD = 0x40000000;
inline constexpr DWord WS_VISIBLE = 0x10000000;

// Messages of the capture window. Sizes and indexes in wParam are 16-bit.
inline constexpr UINT WM_CAP_START = 0x400;
inline constexpr UINT WM_CAP_SET_CALLBACK_STATUSA = WM_CAP_START + 3;
inline constexpr UINT WM_CAP_SET_CALLBACK_FRAME = WM_CAP_START + 5;
inline constexpr UINT WM_CAP_DRIVER_CONNECT = WM_CAP_START + 10;
inline constexpr UINT WM_CAP_DRIVER_DISCONNECT = WM_CAP_START + 11;
inline constexpr UINT WM_CAP_DRIVER_GET_CAPS = WM_CAP_START + 14;
inline constexpr UINT WM_CAP_DLG_VIDEOFORMAT = WM_CAP_START + 41;
inline constexpr UINT WM_CAP_DLG_VIDEOSOURCE = WM_CAP_START + 42;
inline constexpr UINT WM_CAP_GET_VIDEOFORMAT = WM_CAP_START + 44;
inline constexpr UINT WM_CAP_SET_VIDEOFORMAT = WM_CAP_START + 45;
inline constexpr UINT WM_CAP_SET_PREVIEW = WM_CAP_START + 50;
inline constexpr UINT WM_CAP_SET_OVERLAY = WM_CAP_START + 51;
inline constexpr UINT WM_CAP_SET_PREVIEWRATE = WM_CAP_START + 52;
inline constexpr UINT WM_CAP_SET_SCALE = WM_CAP_START + 53;
inline constexpr UINT WM_CAP_SET_SEQUENCE_SETUP = WM_CAP_START + 64;
inline constexpr UINT WM_CAP_GET_SEQUENCE_SETUP = WM_CAP_START + 65;
inline constexpr UINT WM_CAP_ABORT = WM_CAP_START + 69;

// Bitmap information header, 40 bytes, little-endian, laid out as it stands
// in a BMP file. A driver's video format block starts with one.
#pragma pack(push, 1)
struct BITMAPINFOHEADER {
  DWord biSize;
  Integer biWidth;
  Integer biHeight;  // positive: rows bottom-up
  Word biPlanes;
  Word biBitCount;
  DWord biCompression;  // BI_RGB, BI_BITFIELDS or a FourCC
  DWord biSizeImage;
  Integer biXPelsPerMeter;
  Integer biYPelsPerMeter;
  DWord biClrUsed;
  DWord biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

inline constexpr DWord BI_RGB = 0;
inline constexpr DWord BI_BITFIELDS = 3;

// A FourCC: four characters, the first in the lowest byte.
constexpr DWord MakeFourCC(char a, char b, char c, char d) {
  return DWord(Byte(a)) | DWord(Byte(b)) << 8 | DWord(Byte(c)) << 16 | DWord(Byte(d)) << 24;
}

// Capture parameters: read whole from the driver, changed, written back.
// The driver keeps what it does not use.
struct CAPTUREPARMS {
  DWord dwRequestMicroSecPerFrame;
  Integer fYield;
  Integer fCaptureAudio;
  Word vKeyAbort;
  Integer fAbortLeftMouse;
  Integer fAbortRightMouse;
  Integer fLimitEnabled;
  Integer fMCIControl;
};

// Driver capabilities, 44 bytes; non-zero flags mean the driver has the dialog.
struct CAPDRIVERCAPS {
  DWord wDeviceIndex;
  Integer fHasDlgVideoSource;
  Integer fHasDlgVideoFormat;
  DWord dwReserved[8];
};
static_assert(sizeof(CAPDRIVERCAPS) == 44);

// One frame as the frame callback sees it. lpData stays valid until the
// callback returns.
struct VIDEOHDR {
  Byte* lpData;
  DWord dwBufferLength;  // bytes at lpData
  DWord dwBytesUsed;     // bytes of this frame
  DWord dwTimeCaptured;  // milliseconds since the preview started
  DWord dwFlags;
};

// Callbacks registered through WM_CAP_SET_CALLBACK_STATUSA and
// WM_CAP_SET_CALLBACK_FRAME (passed in lParam, nullptr clears).
using CAPSTATUSCALLBACK = LRESULT (*)(HWND Window, int StatusId, const char* Text);
using CAPVIDEOCALLBACK = LRESULT (*)(HWND Window, VIDEOHDR* Header);

// Status ids the window reports.
inline constexpr int IDS_CAP_BEGIN = 300;  // an empty text: clear the status
inline constexpr int IDS_CAP_INFO = 301;
inline constexpr int IDS_CAP_ERROR = 302;

// Makes a capture window: a child control of Parent at (X, Y) of Width by
// Height, showing the preview. Style must contain WS_CHILD; WS_VISIBLE shows
// it. nullptr when Parent is missing or the size is negative.
HWND capCreateCaptureWindowA(const char* WindowName, DWord Style, int X, int Y, int Width,
                             int Height, TWinControl* Parent, int Id);

// Name and version text of driver Index (0 to 9) into the caller's buffers;
// false when there is no such driver.
bool capGetDriverDescriptionA(Word Index, char* Name, int NameLength, char* Version,
                              int VersionLength);

// Sends a message to a capture window and returns its answer (0 for an
// unknown message or window).
LRESULT SendMessageA(HWND Window, UINT Message, WPARAM wParam, LPARAM lParam);

// Disconnects the window's driver, stops its preview and removes it from its
// parent. False for an unknown window.
bool DestroyWindow(HWND Window);
