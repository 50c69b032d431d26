#pragma once
// The one module state of the camera (inside capture/ only): the capture
// window with its panel and status label, and the frame buffer laid out
// after the driver's video format.
#include <cstddef>
#include <memory>
#include <vector>

#include "capture/FrameJpeg.h"
#include "capture/VideoCap.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"

namespace videocap {

struct TModuleState {
  HWND CaptureWindow = nullptr;
  TWinControl* DisplayPanel = nullptr;  // not owned
  TControl* StatusLabel = nullptr;      // not owned

  int VideoFormatSize = 0;
  std::vector<Byte> VideoFormat;  // the driver's format block
  Byte ConversionCode = 0;
  int FrameHeaderSize = 40;
  std::vector<Byte> FrameHeader;
  std::unique_ptr<TMemoryStream> FrameStream;  // one complete BMP file
  Byte* FramePixels = nullptr;                 // into FrameStream
  std::unique_ptr<TBitmap> CaptureBitmap;      // present while the frame buffer is set up
  // The frame buffer holds a frame that CaptureBitmap has not loaded yet
  // (frames in a layout the encoder reads straight from the frame buffer).
  bool BitmapBehind = false;

  std::size_t JpegSize = 0;  // of the JPEG in JpegBuffer
  bool InFrame = false;      // a frame callback is running (perhaps inside a message pump)
};

TModuleState& State();
// The JPEG send buffer: JpegBufferSize bytes for the whole run.
Byte* JpegBuffer();

// The driver's format header (zeros where the block is shorter).
BITMAPINFOHEADER FormatHeader();
// The image size field of FrameHeader.
std::size_t FrameImageSize();

// When the frame buffer's layout is plain bottom-up 24- or 32-bit rows that
// the picture loader would take over unchanged, the rows for the encoder.
bool DirectRows(TFrameRows& Rows);
// Lets CaptureBitmap load a frame it is behind on.
void SyncCaptureBitmap();

}  // namespace videocap
