#pragma once
// A capture driver as the capture window uses it: a device that connects,
// reports and changes its video format, keeps capture parameters, offers a
// format dialog (its pixel formats and sizes) and a source dialog (its
// picture controls), and streams frames. Drivers 0 to 9 come from
// CreateCaptureDriver; tests may install a factory of their own.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/videodriver/CaptureApi.h"

// One entry of a format dialog: a pixel format at one size.
struct TVideoFormatChoice {
  std::string PixelFormat;  // "YUY2", "RGB 24", ...
  int Width = 0;
  int Height = 0;
  bool Emulated = false;  // converted from a format of the camera's own
};

// One picture control of a source dialog (brightness, contrast, ...).
enum TSourceControlKind { sckInteger, sckBoolean, sckMenu };
struct TVideoSourceControl {
  std::uint32_t Id = 0;
  std::string Name;
  TSourceControlKind Kind = sckInteger;
  int Minimum = 0;
  int Maximum = 0;
  int Step = 1;
  int Default = 0;
  int Value = 0;
  std::vector<std::string> MenuItems;  // sckMenu: names of Minimum, Minimum + 1, ...
};

// A frame handed out by GrabFrame; valid until ReleaseFrame.
struct TCapturedFrame {
  Byte* Data = nullptr;
  std::size_t Size = 0;
  int Buffer = -1;  // the driver's own bookkeeping
};

class TCaptureDriver {
 public:
  virtual ~TCaptureDriver() = default;

  virtual std::string Name() const = 0;
  virtual std::string Version() const = 0;

  // Opens the device; false when it is not there or cannot capture.
  // Streaming already works once it has connected.
  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;

  // The format block: a BITMAPINFOHEADER with the frame's width, height, bit
  // count, compression and image size, as the frames are delivered (RGB rows
  // bottom-up, padded to 32 bits; YUV frames tightly packed). Empty when the
  // driver has no format.
  virtual std::vector<Byte> VideoFormat() const = 0;
  // Asks for Format; false when refused (the driver keeps its own).
  virtual bool SetVideoFormat(const BITMAPINFOHEADER& Format) = 0;

  // Capture parameters. The default keeps a record for the caller.
  virtual bool GetCaptureParms(CAPTUREPARMS& Parms);
  virtual bool SetCaptureParms(const CAPTUREPARMS& Parms);

  // Format dialog: every pixel format and size the driver offers, and the
  // index of the current one (-1 when none matches).
  virtual std::vector<TVideoFormatChoice> FormatChoices() = 0;
  virtual int CurrentFormatChoice() = 0;
  virtual bool SelectFormatChoice(int Index) = 0;
  // Source dialog: the driver's picture controls with their current values.
  virtual std::vector<TVideoSourceControl> SourceControls() = 0;
  virtual void SetSourceControl(std::uint32_t Id, int Value) = 0;
  virtual bool HasFormatDialog() { return !FormatChoices().empty(); }
  virtual bool HasSourceDialog() { return !SourceControls().empty(); }

  // Frames. GrabFrame never blocks: false when no new frame is ready. A
  // driver may start a stream that would not start later by itself.
  virtual bool StartStreaming() = 0;
  virtual void StopStreaming() = 0;
  virtual bool GrabFrame(TCapturedFrame& Frame) = 0;
  virtual void ReleaseFrame(TCapturedFrame& Frame) = 0;

  // Why the last operation failed ("" when it did not).
  virtual std::string LastError() const { return {}; }
  // The last Connect found no capture device at all (nothing to tell the
  // user about, unlike a camera that is there but cannot be used).
  virtual bool NotFound() const { return false; }

 protected:
  CAPTUREPARMS FParms{66667, 1, 0, 27, 0, 0, 0, 0};
};

// The driver of index 0 to 9 (see CaptureApi.h), or nullptr outside that range.
std::unique_ptr<TCaptureDriver> CreateCaptureDriver(int Index);

// Test seam: while set, CreateCaptureDriver asks Factory (which may answer
// nullptr: no driver of that index). An empty function restores the devices.
using TCaptureDriverFactory = std::function<std::unique_ptr<TCaptureDriver>(int Index)>;
void SetCaptureDriverFactory(TCaptureDriverFactory Factory);
