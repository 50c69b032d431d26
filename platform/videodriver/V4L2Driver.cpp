#include "platform/videodriver/V4L2Driver.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/videodriver/FrameLayout.h"
#include "platform/videodriver/V4L2Controls.h"
#include "platform/videodriver/V4L2Io.h"
#include "platform/videodriver/V4L2Offers.h"

namespace {

constexpr unsigned kBufferCount = 4;
constexpr unsigned kMaxBuffers = 32;
// How long a stream that would not start waits before it is tried again.
constexpr auto kRestartAfter = std::chrono::seconds(1);

// Bytes of one tightly packed row of a packed layout (0 for planar ones).
std::size_t TightRow(TFramePixelFormat format, int width) {
  const std::size_t w = std::size_t(width);
  switch (format) {
    case fpYUY2:
    case fpUYVY: return w * 2;
    case fpY41P: return (w + 7) / 8 * 12;
    case fpY8: return w;
    case fpRGB24: return w * 3;
    default: return 0;
  }
}

std::string ErrorText(int error) { return std::strerror(error); }

// Open failures that mean there is no capture device at that path at all
// (libv4l2 refuses to open what is no V4L2 device with ENOTTY).
bool IsAbsence(int error) {
  return error == ENOENT || error == ENODEV || error == ENXIO || error == ENOTTY;
}

class TV4L2Driver : public TCaptureDriver {
 public:
  explicit TV4L2Driver(std::string path) : FPath(std::move(path)) {}
  ~TV4L2Driver() override { Disconnect(); }

  std::string Name() const override { return FCard.empty() ? FPath : FCard; }
  std::string Version() const override { return FVersion; }
  std::string LastError() const override { return FError; }
  bool NotFound() const override { return FNotFound; }

  // Connects only a device that can stream in a readable format: a device
  // that another program holds, or that has no buffers for us, is not a
  // camera the program can use.
  bool Connect() override {
    Disconnect();
    FError.clear();
    FNotFound = false;
    FFd = V4L2Io().Open(FPath.c_str(), O_RDWR | O_NONBLOCK);
    if (FFd < 0) {
      FNotFound = IsAbsence(errno);
      return Fail(ErrorText(errno));
    }
    v4l2_capability cap{};
    if (Io(VIDIOC_QUERYCAP, &cap) < 0) return NotACamera("not a video device");
    const std::uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING))
      return NotACamera("no video capture by streaming");
    FCard.assign(reinterpret_cast<const char*>(cap.card),
                 strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    FVersion = "Version: " + std::to_string((cap.version >> 16) & 0xFF) + "." +
               std::to_string((cap.version >> 8) & 0xFF) + "." + std::to_string(cap.version & 0xFF);
    std::vector<std::string> unreadable;
    FOffers = EnumerateV4L2Offers(FFd, &unreadable);
    if (FOffers.empty()) return FailAndClose(NoReadableFormatText(unreadable));
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Io(VIDIOC_G_FMT, &fmt) < 0) return FailAndClose(ErrorText(errno));
    if (OwnOffer(fmt.fmt.pix.pixelformat) != nullptr) {
      Adopt(fmt);
    } else {
      // The device's own formats come before libv4l2's conversions.
      const TV4L2Offer& first = FOffers.front();
      const auto [w, h] = NearestOfferedSize(first, int(fmt.fmt.pix.width), int(fmt.fmt.pix.height));
      if (!ApplyFormat(first, w, h)) return FailAndClose(FErrorReason);
    }
    ApplyFrameInterval();
    if (!Start()) return FailAndClose(FErrorReason);
    Stop();
    return true;
  }

  void Disconnect() override {
    FWanted = false;
    if (FFd < 0) return;
    Stop();
    Close();
  }

  std::vector<Byte> VideoFormat() const override {
    if (FFd < 0 || FWidth <= 0 || FHeight <= 0) return {};
    const BITMAPINFOHEADER header = MakeFrameHeader(FFormat, FWidth, FHeight);
    const Byte* bytes = reinterpret_cast<const Byte*>(&header);
    return std::vector<Byte>(bytes, bytes + sizeof header);
  }

  // The layout asked for when the device has it as its own, else the one in
  // use; the size the nearest one offered. True when both are as asked.
  bool SetVideoFormat(const BITMAPINFOHEADER& Format) override {
    if (FFd < 0 || Format.biWidth <= 0 || Format.biHeight <= 0) return false;
    const TFrameFormatInfo* info = FindFrameFormat(Format.biCompression, Format.biBitCount);
    const TV4L2Offer* offer = nullptr;
    for (const TV4L2Offer& o : FOffers)
      if (info != nullptr && o.Format == info->Format && !o.Emulated) offer = &o;
    if (offer == nullptr) offer = CurrentOffer();
    if (offer == nullptr) return false;
    const auto [w, h] = NearestOfferedSize(*offer, Format.biWidth, Format.biHeight);
    const TFramePixelFormat layout = offer->Format;
    if (!ApplyFormat(*offer, w, h)) return false;
    return info != nullptr && layout == info->Format && FWidth == Format.biWidth &&
           FHeight == Format.biHeight;
  }

  bool SetCaptureParms(const CAPTUREPARMS& Parms) override {
    FParms = Parms;
    if (FFd < 0) return true;
    Stop();
    ApplyFrameInterval();
    if (FWanted) Start();
    return true;
  }

  std::vector<TVideoFormatChoice> FormatChoices() override {
    std::vector<TVideoFormatChoice> choices;
    for (const TV4L2Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes)
        choices.push_back({FrameFormatInfo(offer.Format).Name, w, h, offer.Emulated});
    return choices;
  }

  int CurrentFormatChoice() override {
    int index = 0;
    for (const TV4L2Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes) {
        if (offer.PixelFormat == FPixelFormat && w == FWidth && h == FHeight) return index;
        ++index;
      }
    return -1;
  }

  bool SelectFormatChoice(int Index) override {
    int index = 0;
    for (const TV4L2Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes)
        if (index++ == Index) return ApplyFormat(offer, w, h);
    return false;
  }

  std::vector<TVideoSourceControl> SourceControls() override { return ReadV4L2Controls(FFd); }
  void SetSourceControl(std::uint32_t Id, int Value) override { SetV4L2Control(FFd, Id, Value); }

  bool StartStreaming() override {
    FWanted = true;
    return Start();
  }

  void StopStreaming() override {
    FWanted = false;
    Stop();
  }

  bool GrabFrame(TCapturedFrame& Frame) override {
    // A stream that would not start (re)starts later by itself.
    if (!FStreaming && FWanted && std::chrono::steady_clock::now() - FStartTried >= kRestartAfter)
      Start();
    if (!FStreaming) return false;
    pollfd fds{FFd, POLLIN, 0};
    if (V4L2Io().Poll(&fds, 1, 0) <= 0 || !(fds.revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)))
      return false;
    // Take the newest good frame; older ones and damaged ones go straight
    // back to the device.
    int newest = -1;
    std::size_t used = 0;
    for (unsigned n = 0; n <= FBuffers.size(); ++n) {
      v4l2_buffer buf = MakeBuffer(0);
      if (Io(VIDIOC_DQBUF, &buf) < 0) {
        if (errno == ENODEV) return LoseDevice();
        if (errno != EAGAIN) Fail(ErrorText(errno));
        break;
      }
      if (buf.index >= FBuffers.size()) continue;
      if (buf.flags & V4L2_BUF_FLAG_ERROR) {
        Requeue(buf.index);
        continue;
      }
      if (newest >= 0) Requeue(unsigned(newest));
      newest = int(buf.index);
      used = std::min<std::size_t>(buf.bytesused ? buf.bytesused : buf.length,
                                   FBuffers[buf.index].Length);
    }
    if (newest < 0) return false;
    const Byte* data = FBuffers[std::size_t(newest)].Start;
    const std::size_t frameSize = FrameImageSize(FFormat, FWidth, FHeight);
    if (IsTight() && used >= frameSize) {
      Frame.Data = FBuffers[std::size_t(newest)].Start;
      Frame.Size = frameSize;
      Frame.Buffer = newest;
      FHandedOut = FGeneration;
      return true;
    }
    std::vector<Byte> staging = TakeStaging(frameSize);
    const bool ok = Repack(data, used, staging.data());
    Requeue(unsigned(newest));
    if (!ok) {
      FFree.push_back(std::move(staging));
      return false;
    }
    FInUse.push_back(std::move(staging));
    Frame.Data = FInUse.back().data();
    Frame.Size = FInUse.back().size();
    Frame.Buffer = -1;
    return true;
  }

  void ReleaseFrame(TCapturedFrame& Frame) override {
    if (Frame.Buffer >= 0) {
      // Buffers of an earlier streaming run are gone already.
      if (FStreaming && FHandedOut == FGeneration && std::size_t(Frame.Buffer) < FBuffers.size())
        Requeue(unsigned(Frame.Buffer));
    } else {
      for (auto it = FInUse.begin(); it != FInUse.end(); ++it)
        if (it->data() == Frame.Data) {
          FFree.push_back(std::move(*it));
          FInUse.erase(it);
          break;
        }
    }
    Frame = TCapturedFrame{};
  }

 private:
  struct Mapped {
    Byte* Start;
    std::size_t Length;
  };

  int Io(unsigned long request, void* arg) const { return V4L2Io().Ioctl(FFd, request, arg); }

  // Every error path gives back whatever the device has allocated.
  bool Start() {
    if (FFd < 0) return false;
    if (FStreaming) return true;
    FStartTried = std::chrono::steady_clock::now();
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (Io(VIDIOC_REQBUFS, &request) < 0) return FailStreaming(ErrorText(errno));
    FRequested = true;
    if (request.count < 2 || request.count > kMaxBuffers)
      return FailStreaming("too few streaming buffers");
    for (unsigned i = 0; i < request.count; ++i) {
      v4l2_buffer buf = MakeBuffer(i);
      if (Io(VIDIOC_QUERYBUF, &buf) < 0) return FailStreaming(ErrorText(errno));
      void* start = V4L2Io().Map(buf.length, FFd, off_t(buf.m.offset));
      if (start == MAP_FAILED) return FailStreaming(ErrorText(errno));
      FBuffers.push_back({static_cast<Byte*>(start), buf.length});
    }
    for (unsigned i = 0; i < FBuffers.size(); ++i) {
      v4l2_buffer buf = MakeBuffer(i);
      if (Io(VIDIOC_QBUF, &buf) < 0) return FailStreaming(ErrorText(errno));
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Io(VIDIOC_STREAMON, &type) < 0) return FailStreaming(ErrorText(errno));
    FStreaming = true;
    ++FGeneration;
    return true;
  }

  void Stop() {
    if (FStreaming) {
      int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      Io(VIDIOC_STREAMOFF, &type);
      FStreaming = false;
    }
    ReleaseBuffers();
  }

  bool Fail(const std::string& reason) {
    FErrorReason = reason;
    FError = FPath + ": " + reason;
    return false;
  }
  void Close() {
    V4L2Io().Close(FFd);
    FFd = -1;
    FOffers.clear();
  }
  bool FailAndClose(const std::string& reason) {
    Fail(reason);
    Close();
    return false;
  }
  // A device node that is no camera (a metadata or output node, or no
  // video device at all) is nothing to tell the user about.
  bool NotACamera(const std::string& reason) {
    FNotFound = true;
    return FailAndClose(reason);
  }
  bool FailStreaming(const std::string& reason) {
    Fail(reason);
    ReleaseBuffers();
    return false;
  }
  // The device went away (unplugged): nothing of it can be used any more.
  bool LoseDevice() {
    Fail(ErrorText(ENODEV));
    FStreaming = false;
    FWanted = false;
    ReleaseBuffers();
    Close();
    return false;
  }

  std::string NoReadableFormatText(const std::vector<std::string>& unreadable) const {
    std::string text = "no picture format the program can read";
    for (std::size_t i = 0; i < unreadable.size(); ++i)
      text += (i == 0 ? " (the camera offers " : ", ") + unreadable[i];
    return unreadable.empty() ? text : text + ")";
  }

  static v4l2_buffer MakeBuffer(unsigned index) {
    v4l2_buffer buf{};
    buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buf.memory = V4L2_MEMORY_MMAP;
    buf.index = index;
    return buf;
  }

  void Requeue(unsigned index) {
    v4l2_buffer buf = MakeBuffer(index);
    Io(VIDIOC_QBUF, &buf);
  }

  void ReleaseBuffers() {
    for (const Mapped& m : FBuffers) V4L2Io().Unmap(m.Start, m.Length);
    FBuffers.clear();
    if (FRequested && FFd >= 0) {
      v4l2_requestbuffers request{};
      request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      request.memory = V4L2_MEMORY_MMAP;
      Io(VIDIOC_REQBUFS, &request);
    }
    FRequested = false;
  }

  const TV4L2Offer* OwnOffer(std::uint32_t pixelFormat) const {
    for (const TV4L2Offer& o : FOffers)
      if (o.PixelFormat == pixelFormat && !o.Emulated) return &o;
    return nullptr;
  }
  const TV4L2Offer* CurrentOffer() const {
    for (const TV4L2Offer& o : FOffers)
      if (o.PixelFormat == FPixelFormat) return &o;
    return nullptr;
  }

  // Sets a format, restarting the stream around it when one is wanted.
  bool ApplyFormat(const TV4L2Offer& offer, int width, int height) {
    Stop();
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.pixelformat = offer.PixelFormat;
    fmt.fmt.pix.width = std::uint32_t(width);
    fmt.fmt.pix.height = std::uint32_t(height);
    fmt.fmt.pix.field = V4L2_FIELD_NONE;
    int error = 0;
    bool ok = false;
    if (Io(VIDIOC_S_FMT, &fmt) < 0)
      error = errno;
    else
      ok = FrameLayoutOf(fmt.fmt.pix.pixelformat) != nullptr;
    if (ok) {
      Adopt(fmt);
      ApplyFrameInterval();  // a new format may come with its own rate
    } else {
      Fail(error != 0 ? ErrorText(error) : "the format cannot be set");
      v4l2_format current{};
      current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      if (Io(VIDIOC_G_FMT, &current) == 0 && FrameLayoutOf(current.fmt.pix.pixelformat))
        Adopt(current);
    }
    if (FWanted) Start();
    return ok;
  }

  void Adopt(const v4l2_format& fmt) {
    const TFramePixelFormat* layout = FrameLayoutOf(fmt.fmt.pix.pixelformat);
    FPixelFormat = fmt.fmt.pix.pixelformat;
    FFormat = layout ? *layout : fpYUY2;
    FWidth = int(std::min<std::uint32_t>(fmt.fmt.pix.width, 8192));
    FHeight = int(std::min<std::uint32_t>(fmt.fmt.pix.height, 8192));
    const std::size_t tight = FFormat == fpI420 || FFormat == fpYVU9 ? std::size_t(FWidth)
                                                                     : TightRow(FFormat, FWidth);
    FBytesPerLine = std::max<std::size_t>(fmt.fmt.pix.bytesperline, tight);
  }

  // Asks for the frame interval nearest the requested frame time, where the
  // device lets it be set, and keeps the one it grants.
  void ApplyFrameInterval() {
    if (FFd < 0 || FParms.dwRequestMicroSecPerFrame == 0) return;
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Io(VIDIOC_G_PARM, &parm) < 0 || !(parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME))
      return;
    const TV4L2Intervals offered = EnumerateV4L2Intervals(FFd, FPixelFormat, FWidth, FHeight);
    parm.parm.capture.timeperframe = NearestFrameInterval(offered, FParms.dwRequestMicroSecPerFrame);
    if (Io(VIDIOC_S_PARM, &parm) < 0) return;
    const std::uint32_t granted = IntervalMicroseconds(parm.parm.capture.timeperframe);
    if (granted > 0) FParms.dwRequestMicroSecPerFrame = granted;
  }

  // Frames the program can use as the device wrote them.
  bool IsTight() const {
    if (FFormat == fpRGB24) return false;  // rows must turn bottom-up
    if (FFormat == fpI420 || FFormat == fpYVU9) {
      const int block = FFormat == fpYVU9 ? 4 : 2;
      return FBytesPerLine == std::size_t(FWidth) && FWidth % block == 0 && FHeight % block == 0;
    }
    return FBytesPerLine == TightRow(FFormat, FWidth);
  }

  std::vector<Byte> TakeStaging(std::size_t size) {
    std::vector<Byte> buffer;
    if (!FFree.empty()) {
      buffer = std::move(FFree.back());
      FFree.pop_back();
    }
    buffer.resize(size);
    return buffer;
  }

  // Copies a frame with padded rows (or RGB rows) into the packed layout.
  bool Repack(const Byte* from, std::size_t used, Byte* to) const {
    const std::size_t w = std::size_t(FWidth), h = std::size_t(FHeight);
    const std::size_t stride = FBytesPerLine;
    if (FFormat == fpRGB24) {
      if (used < stride * (h - 1) + w * 3) return false;
      const std::size_t outStride = (w * 24 + 31) / 32 * 4;
      const bool swap = FPixelFormat == V4L2_PIX_FMT_RGB24;
      for (std::size_t y = 0; y < h; ++y) {
        const Byte* s = from + y * stride;
        Byte* d = to + (h - 1 - y) * outStride;
        for (std::size_t x = 0; x < w; ++x, s += 3, d += 3) {
          d[0] = swap ? s[2] : s[0];
          d[1] = s[1];
          d[2] = swap ? s[0] : s[2];
        }
        std::memset(d, 0, outStride - w * 3);
      }
      return true;
    }
    if (FFormat == fpI420 || FFormat == fpYVU9) {
      const std::size_t block = FFormat == fpYVU9 ? 4 : 2;
      const std::size_t cw = (w + block - 1) / block, ch = (h + block - 1) / block;
      const std::size_t cstride = std::max(stride / block, cw);
      const std::size_t lumaBytes = stride * h;
      if (used < lumaBytes + cstride * ch * 2 - (cstride - cw)) return false;
      for (std::size_t y = 0; y < h; ++y) std::memcpy(to + y * w, from + y * stride, w);
      for (std::size_t plane = 0; plane < 2; ++plane) {
        const Byte* s = from + lumaBytes + plane * cstride * ch;
        Byte* d = to + w * h + plane * cw * ch;
        for (std::size_t y = 0; y < ch; ++y) std::memcpy(d + y * cw, s + y * cstride, cw);
      }
      return true;
    }
    const std::size_t row = TightRow(FFormat, FWidth);
    if (used < stride * (h - 1) + row) return false;
    for (std::size_t y = 0; y < h; ++y) std::memcpy(to + y * row, from + y * stride, row);
    return true;
  }

  std::string FPath;
  int FFd = -1;
  std::string FCard;
  std::string FVersion;
  std::string FError;
  std::string FErrorReason;  // FError without the path
  bool FNotFound = false;
  std::vector<TV4L2Offer> FOffers;
  std::uint32_t FPixelFormat = 0;
  TFramePixelFormat FFormat = fpYUY2;
  int FWidth = 0;
  int FHeight = 0;
  std::size_t FBytesPerLine = 0;
  std::vector<Mapped> FBuffers;
  bool FRequested = false;  // the device holds buffers for us
  bool FStreaming = false;
  bool FWanted = false;  // between StartStreaming and StopStreaming
  std::chrono::steady_clock::time_point FStartTried;
  unsigned FGeneration = 0;
  unsigned FHandedOut = 0;
  std::vector<std::vector<Byte>> FInUse;
  std::vector<std::vector<Byte>> FFree;
};

}  // namespace

std::unique_ptr<TCaptureDriver> CreateV4L2Driver(const std::string& DevicePath) {
  return std::make_unique<TV4L2Driver>(DevicePath);
}
