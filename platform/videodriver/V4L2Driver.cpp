#include "platform/videodriver/V4L2Driver.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "platform/videodriver/FrameLayout.h"
#include "platform/videodriver/V4L2Io.h"

namespace {

constexpr unsigned kBufferCount = 4;
constexpr unsigned kMaxEnumerations = 64;

// Pixel formats the program reads, in order of preference for RGB.
struct PixelMapping {
  std::uint32_t PixelFormat;
  TFramePixelFormat Format;
};
const PixelMapping kMappings[] = {
    {V4L2_PIX_FMT_YUYV, fpYUY2},  {V4L2_PIX_FMT_UYVY, fpUYVY},   {V4L2_PIX_FMT_YUV420, fpI420},
    {V4L2_PIX_FMT_GREY, fpY8},    {V4L2_PIX_FMT_Y41P, fpY41P},   {V4L2_PIX_FMT_YVU410, fpYVU9},
    {V4L2_PIX_FMT_BGR24, fpRGB24}, {V4L2_PIX_FMT_RGB24, fpRGB24},
};

const PixelMapping* MappingOf(std::uint32_t pixelFormat) {
  for (const PixelMapping& m : kMappings)
    if (m.PixelFormat == pixelFormat) return &m;
  return nullptr;
}

// Sizes offered for a stepwise or continuous range.
const int kCommonSizes[][2] = {{160, 120}, {176, 144}, {320, 240},  {352, 288},  {384, 288},
                               {640, 480}, {800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}};

struct Offer {
  std::uint32_t PixelFormat;
  TFramePixelFormat Format;
  std::vector<std::pair<int, int>> Sizes;
};

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

class TV4L2Driver : public TCaptureDriver {
 public:
  explicit TV4L2Driver(std::string path) : FPath(std::move(path)) {}
  ~TV4L2Driver() override { Disconnect(); }

  std::string Name() const override { return FCard.empty() ? FPath : FCard; }
  std::string Version() const override { return FVersion; }
  std::string LastError() const override { return FError; }

  bool Connect() override {
    Disconnect();
    FError.clear();
    FFd = V4L2Io().Open(FPath.c_str(), O_RDWR | O_NONBLOCK);
    if (FFd < 0) return Fail(FPath + ": " + std::strerror(errno));
    v4l2_capability cap{};
    if (Io(VIDIOC_QUERYCAP, &cap) < 0) return FailAndClose("not a video device");
    const std::uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING))
      return FailAndClose("no video capture by streaming");
    FCard.assign(reinterpret_cast<const char*>(cap.card),
                 strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    FVersion = "Version: " + std::to_string((cap.version >> 16) & 0xFF) + "." +
               std::to_string((cap.version >> 8) & 0xFF) + "." + std::to_string(cap.version & 0xFF);
    EnumerateOffers();
    if (FOffers.empty()) return FailAndClose("no pixel format the program can read");
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Io(VIDIOC_G_FMT, &fmt) < 0) return FailAndClose("the format cannot be read");
    if (MappingOf(fmt.fmt.pix.pixelformat) == nullptr) {
      const Offer& first = FOffers.front();
      int w = int(fmt.fmt.pix.width), h = int(fmt.fmt.pix.height);
      if (!first.Sizes.empty()) std::tie(w, h) = first.Sizes.front();
      if (!ApplyFormat(first.PixelFormat, w, h)) return FailAndClose("no readable format can be set");
    } else {
      Adopt(fmt);
    }
    return true;
  }

  void Disconnect() override {
    if (FFd < 0) return;
    StopStreaming();
    V4L2Io().Close(FFd);
    FFd = -1;
    FOffers.clear();
  }

  std::vector<Byte> VideoFormat() const override {
    if (FFd < 0 || FWidth <= 0 || FHeight <= 0) return {};
    const BITMAPINFOHEADER header = MakeFrameHeader(FFormat, FWidth, FHeight);
    const Byte* bytes = reinterpret_cast<const Byte*>(&header);
    return std::vector<Byte>(bytes, bytes + sizeof header);
  }

  bool SetVideoFormat(const BITMAPINFOHEADER& Format) override {
    if (FFd < 0 || Format.biWidth <= 0 || Format.biHeight <= 0) return false;
    const TFrameFormatInfo* info = FindFrameFormat(Format.biCompression, Format.biBitCount);
    if (info == nullptr) return false;
    for (const Offer& offer : FOffers)
      if (offer.Format == info->Format)
        return ApplyFormat(offer.PixelFormat, Format.biWidth, Format.biHeight);
    return false;
  }

  std::vector<TVideoFormatChoice> FormatChoices() override {
    std::vector<TVideoFormatChoice> choices;
    for (const Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes)
        choices.push_back({FrameFormatInfo(offer.Format).Name, w, h});
    return choices;
  }

  int CurrentFormatChoice() override {
    int index = 0;
    for (const Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes) {
        if (offer.PixelFormat == FPixelFormat && w == FWidth && h == FHeight) return index;
        ++index;
      }
    return -1;
  }

  bool SelectFormatChoice(int Index) override {
    int index = 0;
    for (const Offer& offer : FOffers)
      for (const auto& [w, h] : offer.Sizes)
        if (index++ == Index) return ApplyFormat(offer.PixelFormat, w, h);
    return false;
  }

  std::vector<TVideoSourceControl> SourceControls() override {
    std::vector<TVideoSourceControl> controls;
    if (FFd < 0) return controls;
    v4l2_queryctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    bool enumerates = false;
    for (unsigned n = 0; n < kMaxEnumerations && Io(VIDIOC_QUERYCTRL, &query) == 0; ++n) {
      enumerates = true;
      AddControl(query, controls);
      query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    if (!enumerates) {  // older drivers: ask for the user controls one by one
      for (std::uint32_t id = V4L2_CID_BASE; id < V4L2_CID_LASTP1; ++id) {
        query = v4l2_queryctrl{};
        query.id = id;
        if (Io(VIDIOC_QUERYCTRL, &query) == 0) AddControl(query, controls);
      }
    }
    return controls;
  }

  void SetSourceControl(std::uint32_t Id, int Value) override {
    if (FFd < 0) return;
    v4l2_control control{Id, Value};
    Io(VIDIOC_S_CTRL, &control);
  }

  bool StartStreaming() override {
    if (FFd < 0) return false;
    if (FStreaming) return true;
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (Io(VIDIOC_REQBUFS, &request) < 0) return Fail("no streaming buffers");
    if (request.count < 2 || request.count > 32) {
      ReleaseBuffers();
      return Fail("too few streaming buffers");
    }
    for (unsigned i = 0; i < request.count; ++i) {
      v4l2_buffer buf = MakeBuffer(i);
      if (Io(VIDIOC_QUERYBUF, &buf) < 0) return FailStreaming("a streaming buffer cannot be found");
      void* start = V4L2Io().Map(buf.length, FFd, off_t(buf.m.offset));
      if (start == MAP_FAILED) return FailStreaming("a streaming buffer cannot be mapped");
      FBuffers.push_back({static_cast<Byte*>(start), buf.length});
    }
    for (unsigned i = 0; i < FBuffers.size(); ++i) {
      v4l2_buffer buf = MakeBuffer(i);
      if (Io(VIDIOC_QBUF, &buf) < 0) return FailStreaming("a streaming buffer cannot be queued");
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Io(VIDIOC_STREAMON, &type) < 0) return FailStreaming("streaming cannot start");
    FStreaming = true;
    ++FGeneration;
    return true;
  }

  void StopStreaming() override {
    if (FStreaming) {
      int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      Io(VIDIOC_STREAMOFF, &type);
      FStreaming = false;
    }
    ReleaseBuffers();
  }

  bool GrabFrame(TCapturedFrame& Frame) override {
    if (!FStreaming) return false;
    pollfd fds{FFd, POLLIN, 0};
    if (V4L2Io().Poll(&fds, 1, 0) <= 0 || !(fds.revents & POLLIN)) {
      if (fds.revents & (POLLERR | POLLHUP | POLLNVAL)) Fail("the device stopped delivering frames");
      return false;
    }
    // Take the newest frame; older ones go straight back to the device.
    int newest = -1;
    std::size_t used = 0;
    for (unsigned n = 0; n <= FBuffers.size(); ++n) {
      v4l2_buffer buf = MakeBuffer(0);
      if (Io(VIDIOC_DQBUF, &buf) < 0) {
        if (errno != EAGAIN) Fail(std::string("frames cannot be read: ") + std::strerror(errno));
        break;
      }
      if (buf.index >= FBuffers.size()) continue;
      if (newest >= 0) Requeue(unsigned(newest));
      if (buf.flags & V4L2_BUF_FLAG_ERROR) {
        Requeue(buf.index);
        newest = -1;
        continue;
      }
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

  bool Fail(const std::string& text) {
    FError = FPath + ": " + text;
    return false;
  }
  bool FailAndClose(const std::string& text) {
    Fail(text);
    V4L2Io().Close(FFd);
    FFd = -1;
    FOffers.clear();
    return false;
  }
  bool FailStreaming(const std::string& text) {
    Fail(text);
    ReleaseBuffers();
    return false;
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
    const bool had = !FBuffers.empty();
    FBuffers.clear();
    if (had && FFd >= 0) {
      v4l2_requestbuffers request{};
      request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      request.memory = V4L2_MEMORY_MMAP;
      Io(VIDIOC_REQBUFS, &request);
    }
  }

  void EnumerateOffers() {
    FOffers.clear();
    for (unsigned index = 0; index < kMaxEnumerations; ++index) {
      v4l2_fmtdesc desc{};
      desc.index = index;
      desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      if (Io(VIDIOC_ENUM_FMT, &desc) < 0) break;
      const PixelMapping* mapping = MappingOf(desc.pixelformat);
      if (mapping == nullptr) continue;
      // BGR24 and RGB24 are one choice for the user: keep the first offered.
      const bool duplicate = std::any_of(FOffers.begin(), FOffers.end(),
                                         [&](const Offer& o) { return o.Format == mapping->Format; });
      if (duplicate) continue;
      FOffers.push_back({desc.pixelformat, mapping->Format, EnumerateSizes(desc.pixelformat)});
    }
  }

  std::vector<std::pair<int, int>> EnumerateSizes(std::uint32_t pixelFormat) {
    std::vector<std::pair<int, int>> sizes;
    for (unsigned index = 0; index < kMaxEnumerations; ++index) {
      v4l2_frmsizeenum size{};
      size.index = index;
      size.pixel_format = pixelFormat;
      if (Io(VIDIOC_ENUM_FRAMESIZES, &size) < 0) break;
      if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
        const int w = int(size.discrete.width), h = int(size.discrete.height);
        if (w > 0 && h > 0 && w <= 8192 && h <= 8192) sizes.emplace_back(w, h);
        continue;
      }
      const v4l2_frmsize_stepwise& s = size.stepwise;
      const std::uint32_t stepW = s.step_width ? s.step_width : 1;
      const std::uint32_t stepH = s.step_height ? s.step_height : 1;
      for (const auto& common : kCommonSizes) {
        const std::uint32_t w = std::uint32_t(common[0]), h = std::uint32_t(common[1]);
        if (w >= s.min_width && w <= s.max_width && h >= s.min_height && h <= s.max_height &&
            (w - s.min_width) % stepW == 0 && (h - s.min_height) % stepH == 0)
          sizes.emplace_back(int(w), int(h));
      }
      break;  // a range is the only entry
    }
    return sizes;
  }

  void AddControl(const v4l2_queryctrl& query, std::vector<TVideoSourceControl>& controls) {
    if (query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) return;
    TVideoSourceControl control;
    switch (query.type) {
      case V4L2_CTRL_TYPE_INTEGER: control.Kind = sckInteger; break;
      case V4L2_CTRL_TYPE_BOOLEAN: control.Kind = sckBoolean; break;
      case V4L2_CTRL_TYPE_MENU: control.Kind = sckMenu; break;
      default: return;
    }
    control.Id = query.id;
    control.Name.assign(reinterpret_cast<const char*>(query.name),
                        strnlen(reinterpret_cast<const char*>(query.name), sizeof query.name));
    control.Minimum = query.minimum;
    control.Maximum = std::max(query.minimum, query.maximum);
    control.Step = query.step > 0 ? query.step : 1;
    control.Default = query.default_value;
    v4l2_control value{query.id, query.default_value};
    Io(VIDIOC_G_CTRL, &value);
    control.Value = value.value;
    if (control.Kind == sckMenu) {
      const int last = std::min(control.Maximum, control.Minimum + int(kMaxEnumerations) - 1);
      for (int i = control.Minimum; i <= last; ++i) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = std::uint32_t(i);
        if (Io(VIDIOC_QUERYMENU, &item) == 0)
          control.MenuItems.emplace_back(
              reinterpret_cast<const char*>(item.name),
              strnlen(reinterpret_cast<const char*>(item.name), sizeof item.name));
        else
          control.MenuItems.push_back(std::to_string(i));
      }
      control.Maximum = last;
    }
    controls.push_back(std::move(control));
  }

  // Sets a format, restarting the stream around it when one runs.
  bool ApplyFormat(std::uint32_t pixelFormat, int width, int height) {
    const bool streaming = FStreaming;
    if (streaming) StopStreaming();
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.pixelformat = pixelFormat;
    fmt.fmt.pix.width = std::uint32_t(width);
    fmt.fmt.pix.height = std::uint32_t(height);
    fmt.fmt.pix.field = V4L2_FIELD_NONE;
    bool ok = Io(VIDIOC_S_FMT, &fmt) == 0 && MappingOf(fmt.fmt.pix.pixelformat) != nullptr;
    if (ok) {
      Adopt(fmt);
    } else {
      Fail("the format cannot be set");
      v4l2_format current{};
      current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
      if (Io(VIDIOC_G_FMT, &current) == 0 && MappingOf(current.fmt.pix.pixelformat)) Adopt(current);
    }
    if (streaming) StartStreaming();
    return ok;
  }

  void Adopt(const v4l2_format& fmt) {
    const PixelMapping* mapping = MappingOf(fmt.fmt.pix.pixelformat);
    FPixelFormat = fmt.fmt.pix.pixelformat;
    FFormat = mapping ? mapping->Format : fpYUY2;
    FWidth = int(std::min<std::uint32_t>(fmt.fmt.pix.width, 8192));
    FHeight = int(std::min<std::uint32_t>(fmt.fmt.pix.height, 8192));
    const std::size_t tight = FFormat == fpI420 || FFormat == fpYVU9 ? std::size_t(FWidth)
                                                                     : TightRow(FFormat, FWidth);
    FBytesPerLine = std::max<std::size_t>(fmt.fmt.pix.bytesperline, tight);
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
  std::vector<Offer> FOffers;
  std::uint32_t FPixelFormat = 0;
  TFramePixelFormat FFormat = fpYUY2;
  int FWidth = 0;
  int FHeight = 0;
  std::size_t FBytesPerLine = 0;
  std::vector<Mapped> FBuffers;
  bool FStreaming = false;
  unsigned FGeneration = 0;
  unsigned FHandedOut = 0;
  std::vector<std::vector<Byte>> FInUse;
  std::vector<std::vector<Byte>> FFree;
};

}  // namespace

std::unique_ptr<TCaptureDriver> CreateV4L2Driver(const std::string& DevicePath) {
  return std::make_unique<TV4L2Driver>(DevicePath);
}
