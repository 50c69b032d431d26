#pragma once
// An in-process V4L2 capture device behind the driver's seam: formats with
// discrete or stepwise sizes, padded rows if wanted, mmap buffers that the
// test fills with frames, and a few picture controls.
#include <linux/videodev2.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TFakeFormat {
  std::uint32_t PixelFormat;
  std::vector<std::pair<int, int>> Sizes;  // discrete sizes; empty: stepwise
  v4l2_frmsize_stepwise Range{};           // when Sizes is empty
};

struct TFakeControl {
  v4l2_queryctrl Query;
  int Value;
  std::vector<std::string> Menu;
};

class TFakeV4L2Device {
 public:
  // Installs the device as Path; every other path fails to open.
  explicit TFakeV4L2Device(std::string Path = "/dev/video0");
  ~TFakeV4L2Device();

  // --- what the device is ---
  std::string Card = "Fake Cam";
  std::uint32_t Capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
  std::vector<TFakeFormat> Formats;
  std::uint32_t PixelFormat = V4L2_PIX_FMT_YUYV;
  int Width = 4;
  int Height = 2;
  int ExtraBytesPerLine = 0;  // row padding the device adds
  std::vector<TFakeControl> Controls;
  bool EnumeratesControls = true;  // knows V4L2_CTRL_FLAG_NEXT_CTRL
  int FailDequeueWith = 0;         // errno for DQBUF; 0: works

  // --- what happened ---
  std::vector<std::string> Opened;
  int OpenHandles = 0;
  std::vector<v4l2_format> FormatsSet;
  bool Streaming = false;
  int Mapped = 0;
  std::map<std::uint32_t, int> ControlsSet;

  // Fills the next queued buffer with Frame (as the device writes it) and
  // marks it done; false when no buffer is queued.
  bool Produce(const std::vector<std::uint8_t>& Frame);
  int QueuedBuffers() const;
  // Row length and frame size of the current format, padding included.
  std::uint32_t BytesPerLine() const;
  std::uint32_t SizeImage() const;

 private:
  int Ioctl(unsigned long request, void* arg);
  void FillFormat(v4l2_format& fmt) const;

  struct Buffer {
    std::vector<std::uint8_t> Data;
    bool Queued = false;
    bool Done = false;
    std::uint32_t Used = 0;
    unsigned Sequence = 0;
  };
  std::string FPath;
  std::vector<Buffer> FBuffers;
  unsigned FSequence = 0;
};
