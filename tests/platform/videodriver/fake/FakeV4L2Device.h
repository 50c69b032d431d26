#pragma once
// In-process V4L2 capture devices behind the driver's seam, as libv4l2
// presents them: formats of the device's own and formats libv4l2 converts
// to (flagged emulated; the test produces their frames ready converted),
// discrete or stepwise sizes, frame intervals, padded rows if wanted, mmap
// buffers that the test fills with frames, a few picture controls, and
// faults: any request failing with an errno, fewer buffers than asked for,
// damaged frames, unplugging and plugging in again. Several devices may
// exist at once, each at its own path; every other path does not exist.
#include <linux/videodev2.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TFakeFormat {
  std::uint32_t PixelFormat;
  std::vector<std::pair<int, int>> Sizes;  // discrete sizes; empty: stepwise
  v4l2_frmsize_stepwise Range{};           // when Sizes is empty
  bool Emulated = false;                   // converted by libv4l2
  std::vector<v4l2_fract> Intervals = {};  // of every size; empty: not told
};

struct TFakeControl {
  v4l2_queryctrl Query;
  int Value;
  std::vector<std::string> Menu;
};

class TFakeV4L2Device {
 public:
  // Installs the device as Path.
  explicit TFakeV4L2Device(std::string Path = "/dev/video0");
  ~TFakeV4L2Device();
  TFakeV4L2Device(const TFakeV4L2Device&) = delete;
  TFakeV4L2Device& operator=(const TFakeV4L2Device&) = delete;

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
  bool TimePerFrame = true;        // the frame interval can be set
  v4l2_fract Interval{1, 30};
  // errno with which a request fails (REQBUFS only when asking for buffers).
  std::map<unsigned long, int> FailRequest;
  bool FailMap = false;
  std::uint32_t MaxBuffers = 32;  // REQBUFS grants at most this many

  // --- what happened ---
  std::vector<std::string> Opened;  // every path any device was asked for
  int OpenHandles = 0;
  std::vector<v4l2_format> FormatsSet;
  std::vector<v4l2_fract> IntervalsSet;
  bool Streaming = false;
  int Mapped = 0;
  int Dequeued = 0;
  std::map<std::uint32_t, int> ControlsSet;

  // Fills the next queued buffer with Frame (as the device writes it) and
  // marks it done with Flags; false when no buffer is queued.
  bool Produce(const std::vector<std::uint8_t>& Frame, std::uint32_t Flags = 0);
  int QueuedBuffers() const;
  // Buffers the device holds for its user (from REQBUFS until freed).
  int AllocatedBuffers() const { return int(FBuffers.size()); }
  // Row length and frame size of the current format, padding included.
  std::uint32_t BytesPerLine() const;
  std::uint32_t SizeImage() const;

  // Unplugged, the path is gone and every open handle answers ENODEV; plugged
  // in again, the path opens anew (old handles stay dead).
  void Unplug();
  void Replug();

  // For the seam: the device of a path or handle (nullptr when none).
  static TFakeV4L2Device* AtPath(const std::string& Path);
  static TFakeV4L2Device* OfHandle(int Fd);
  int Open();
  void Close(int Fd);
  int Ioctl(int Fd, unsigned long Request, void* Arg);
  void* Map(std::size_t Length, off_t Offset);
  bool Ready(int Fd, short& Events) const;

 private:
  int Control(unsigned long request, void* arg);
  int Buffers(unsigned long request, void* arg);
  void FillFormat(v4l2_format& fmt) const;
  const TFakeFormat* FormatOf(std::uint32_t pixelFormat) const;

  struct Buffer {
    std::vector<std::uint8_t> Data;
    bool Queued = false;
    bool Done = false;
    std::uint32_t Used = 0;
    std::uint32_t Flags = 0;
    unsigned Sequence = 0;
  };
  std::string FPath;
  bool FPresent = true;
  std::set<int> FHandles;  // open and alive
  std::vector<Buffer> FBuffers;
  unsigned FSequence = 0;
};
