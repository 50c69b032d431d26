#pragma once
// The local camera: a capture window hosted in a panel of the main window, the
// driver search, the preview, and per preview frame the frame buffer (one
// in-memory BMP file), its JPEG and the sending of that JPEG to every peer of
// the main window. Plain routines over one module state, all called on the
// user-interface thread; only the colour conversion of a large frame is
// shared with a short-lived helper thread, and the frame is whole before any
// message is pumped or anything is sent.
//
// Camera start: SetDisplayPanel, SetStatusLabel, OpenCaptureDriver and, when
// it returns true, StartPreview; then InitFrameBuffers (raises when no driver
// reports a video format: there is no camera).
// Release: FreeFrameBuffers, AbortCapture, CloseCaptureDriver.
#include <cstddef>

#include "platform/base/Types.h"
#include "platform/videodriver/CaptureApi.h"

class TWinControl;
class TControl;
class TMemoryStream;
class TBitmap;

// Size of the JPEG send buffer; a larger JPEG counts as a failed send.
inline constexpr std::size_t JpegBufferSize = 1048580;

// Texts the user sees.
inline constexpr const char* SInvalidVideoFormat =
    "Invalid Video Format Selected. Please Select RGB.";
inline constexpr const char* SVideoFrameTooLarge =
    "Video Frame to large. Lower resolution on video camera.";
inline constexpr const char* SNoVideoFormat = "No video format can be read from the capture driver";

// --- capture window and driver ---------------------------------------------

// The panel that hosts the capture window (not owned).
void SetDisplayPanel(TWinControl* Panel);
// The label that shows the driver's status texts (not owned).
void SetStatusLabel(TControl* Label);
// Creates the capture window over the whole display panel, registers the
// status and frame callbacks and connects the first driver of 0 to 9 that
// connects and accepts (or cannot report) the capture parameters. True when
// the window exists, with or without a driver; false without a panel or when
// the window or its status callback cannot be set up (no window remains).
bool OpenCaptureDriver();
// Tries one driver index on the window: true when it connected and either
// accepted the capture parameters or could not report them.
bool ConnectCaptureDriver(int DriverIndex);
// Scaled preview, a frame every 33 ms. Nothing without a window.
void StartPreview();
void AbortCapture();
// Removes the callbacks, disconnects the driver and destroys the window.
void CloseCaptureDriver();
// Whether the connected driver has its own format / source dialog (false
// without a window or driver).
bool HasVideoFormatDialog();
bool HasVideoSourceDialog();
// The driver's own modal dialogs; nothing without a window.
void ShowVideoFormatDialog();
void ShowVideoSourceDialog();
// Status callback: the status label shows Text at once (empty clears it).
LRESULT CaptureStatusCallback(HWND Window, int StatusId, const char* Text);

// Bytes of one bitmap row of Bits bits, up to whole 32-bit words.
int ScanLineSize(int Bits);
// A 40-byte header: Width by Height at BitsPerPixel, one plane, uncompressed,
// image size ScanLineSize(Width * BitsPerPixel) * Height.
void InitBitmapInfoHeader(BITMAPINFOHEADER& Header, int Width, int Height, int BitsPerPixel);

// --- frame buffer and sending ----------------------------------------------

// Asks the driver for 384 by 288 at 24 bits and lays the frame buffer out
// for whatever format it then reports. Nothing without a window; raises
// Exception(SNoVideoFormat) when the driver reports no format.
void InitFrameBuffers();
// Reads the driver's format again and lays the frame buffer out anew (after
// the driver's format dialog). Nothing without a window; raises as above.
void ReadVideoFormat();
void FreeFrameBuffers();
// Frame callback: converts the frame into the frame buffer, encodes it as
// JPEG at the main window's FJpegQuality and sends it to every peer entry,
// then carries out a pending stop. Always 1.
LRESULT CaptureFrameCallback(HWND Window, VIDEOHDR* Header);

// --- what the module holds (options window, tests, benchmarks) -------------

HWND CaptureWindowHandle();
// True between a successful InitFrameBuffers and FreeFrameBuffers.
bool FrameBuffersReady();
// The frame buffer: one complete BMP file (nullptr when not set up).
const TMemoryStream* FrameBuffer();
// Conversion code of the driver's format (0 unsupported, 1 raw RGB, 2 to 8 YUV).
Byte FrameConversionCode();
// The picture loaded from the frame buffer at the last frame (nullptr when
// not set up).
TBitmap* FrameBitmap();
// The JPEG of the last frame that was encoded and fitted the send buffer.
const Byte* LastJpeg();
std::size_t LastJpegSize();
