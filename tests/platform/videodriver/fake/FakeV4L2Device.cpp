#include "FakeV4L2Device.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <tuple>

#include "platform/videodriver/V4L2Io.h"

namespace {

constexpr std::uint32_t kOffsetStep = 0x100000;

std::vector<TFakeV4L2Device*>& Devices() {
  static std::vector<TFakeV4L2Device*> devices;
  return devices;
}

// Which device made each mapping.
std::map<void*, TFakeV4L2Device*>& Mappings() {
  static std::map<void*, TFakeV4L2Device*> mappings;
  return mappings;
}

int& NextHandle() {
  static int next = 1000;
  return next;
}

int Fail(int error) {
  errno = error;
  return -1;
}

void CopyName(std::uint8_t* to, std::size_t size, const std::string& name) {
  std::memset(to, 0, size);
  std::memcpy(to, name.data(), std::min(name.size(), size - 1));
}

// The seam, dispatching to the device of each path or handle.
TV4L2Io FakeIo() {
  TV4L2Io io;
  io.Open = [](const char* path, int) {
    for (TFakeV4L2Device* d : Devices()) d->Opened.push_back(path);
    TFakeV4L2Device* device = TFakeV4L2Device::AtPath(path);
    return device != nullptr ? device->Open() : Fail(ENOENT);
  };
  io.Close = [](int fd) {
    TFakeV4L2Device* device = TFakeV4L2Device::OfHandle(fd);
    if (device == nullptr) return Fail(EBADF);
    device->Close(fd);
    return 0;
  };
  io.Ioctl = [](int fd, unsigned long request, void* arg) {
    TFakeV4L2Device* device = TFakeV4L2Device::OfHandle(fd);
    return device != nullptr ? device->Ioctl(fd, request, arg) : Fail(EBADF);
  };
  io.Map = [](std::size_t length, int fd, off_t offset) -> void* {
    TFakeV4L2Device* device = TFakeV4L2Device::OfHandle(fd);
    void* address = device != nullptr ? device->Map(length, offset) : MAP_FAILED;
    if (address != MAP_FAILED) Mappings()[address] = device;
    return address;
  };
  io.Unmap = [](void* address, std::size_t) {
    auto it = Mappings().find(address);
    if (it == Mappings().end()) return Fail(EINVAL);
    --it->second->Mapped;
    Mappings().erase(it);
    return 0;
  };
  io.Poll = [](pollfd* fds, nfds_t, int) {
    TFakeV4L2Device* device = TFakeV4L2Device::OfHandle(fds[0].fd);
    fds[0].revents = POLLNVAL;
    if (device != nullptr && !device->Ready(fds[0].fd, fds[0].revents)) fds[0].revents = 0;
    return fds[0].revents != 0 ? 1 : 0;
  };
  return io;
}

}  // namespace

TFakeV4L2Device::TFakeV4L2Device(std::string Path) : FPath(std::move(Path)) {
  if (Devices().empty()) SetV4L2Io(FakeIo());
  Devices().push_back(this);
  Formats = {{V4L2_PIX_FMT_YUYV, {{4, 2}, {8, 4}}, {}}};
}

TFakeV4L2Device::~TFakeV4L2Device() {
  Devices().erase(std::find(Devices().begin(), Devices().end(), this));
  for (auto it = Mappings().begin(); it != Mappings().end();)
    it = it->second == this ? Mappings().erase(it) : std::next(it);
  if (Devices().empty()) SetV4L2Io({});
}

TFakeV4L2Device* TFakeV4L2Device::AtPath(const std::string& Path) {
  for (TFakeV4L2Device* d : Devices())
    if (d->FPath == Path && d->FPresent) return d;
  return nullptr;
}

TFakeV4L2Device* TFakeV4L2Device::OfHandle(int Fd) {
  for (TFakeV4L2Device* d : Devices())
    if (d->FHandles.count(Fd) || d->FHandles.count(-Fd)) return d;
  return nullptr;
}

int TFakeV4L2Device::Open() {
  const int fd = NextHandle()++;
  FHandles.insert(fd);
  ++OpenHandles;
  return fd;
}

void TFakeV4L2Device::Close(int Fd) {
  FHandles.erase(Fd);
  FHandles.erase(-Fd);
  --OpenHandles;
}

void TFakeV4L2Device::Unplug() {
  FPresent = false;
  // Handles stay open but dead: kept as their negatives.
  std::set<int> dead;
  for (int fd : FHandles) dead.insert(fd > 0 ? -fd : fd);
  FHandles = dead;
  Streaming = false;
}

void TFakeV4L2Device::Replug() {
  FPresent = true;
  FBuffers.clear();
  Streaming = false;
}

bool TFakeV4L2Device::Ready(int Fd, short& Events) const {
  if (FHandles.count(Fd) == 0) {
    Events = POLLERR | POLLHUP;  // the device is gone
    return true;
  }
  const bool done = std::any_of(FBuffers.begin(), FBuffers.end(), [](const Buffer& b) { return b.Done; });
  Events = done ? POLLIN : 0;
  return done;
}

void* TFakeV4L2Device::Map(std::size_t Length, off_t Offset) {
  const std::size_t index = std::size_t(Offset) / kOffsetStep;
  if (FailMap || index >= FBuffers.size() || Length > FBuffers[index].Data.size()) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  ++Mapped;
  return FBuffers[index].Data.data();
}

std::uint32_t TFakeV4L2Device::BytesPerLine() const {
  std::uint32_t tight = std::uint32_t(Width);
  switch (PixelFormat) {
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_UYVY: tight *= 2; break;
    case V4L2_PIX_FMT_RGB24:
    case V4L2_PIX_FMT_BGR24: tight *= 3; break;
    case V4L2_PIX_FMT_Y41P: tight = (tight + 7) / 8 * 12; break;
    default: break;  // GREY and the planar layouts: one luma byte per pixel
  }
  return tight + std::uint32_t(ExtraBytesPerLine);
}

std::uint32_t TFakeV4L2Device::SizeImage() const {
  const std::uint32_t bpl = BytesPerLine(), h = std::uint32_t(Height);
  if (PixelFormat == V4L2_PIX_FMT_YUV420) return bpl * h + 2 * (bpl / 2) * ((h + 1) / 2);
  if (PixelFormat == V4L2_PIX_FMT_YVU410) return bpl * h + 2 * (bpl / 4) * ((h + 3) / 4);
  return bpl * h;
}

void TFakeV4L2Device::FillFormat(v4l2_format& fmt) const {
  fmt.fmt.pix.pixelformat = PixelFormat;
  fmt.fmt.pix.width = std::uint32_t(Width);
  fmt.fmt.pix.height = std::uint32_t(Height);
  fmt.fmt.pix.bytesperline = BytesPerLine();
  fmt.fmt.pix.sizeimage = SizeImage();
  fmt.fmt.pix.field = V4L2_FIELD_NONE;
}

const TFakeFormat* TFakeV4L2Device::FormatOf(std::uint32_t pixelFormat) const {
  for (const TFakeFormat& f : Formats)
    if (f.PixelFormat == pixelFormat) return &f;
  return nullptr;
}

int TFakeV4L2Device::QueuedBuffers() const {
  return int(std::count_if(FBuffers.begin(), FBuffers.end(), [](const Buffer& b) { return b.Queued; }));
}

bool TFakeV4L2Device::Produce(const std::vector<std::uint8_t>& Frame, std::uint32_t Flags) {
  for (Buffer& b : FBuffers) {
    if (!b.Queued || b.Done) continue;
    std::memset(b.Data.data(), 0x5A, b.Data.size());
    std::memcpy(b.Data.data(), Frame.data(), std::min(Frame.size(), b.Data.size()));
    b.Used = std::uint32_t(std::min(Frame.size(), b.Data.size()));
    b.Flags = Flags;
    b.Done = true;
    b.Sequence = FSequence++;
    return true;
  }
  return false;
}

int TFakeV4L2Device::Ioctl(int Fd, unsigned long Request, void* Arg) {
  if (FHandles.count(Fd) == 0) return Fail(ENODEV);  // unplugged meanwhile
  auto failure = FailRequest.find(Request);
  const bool asksForBuffers =
      Request != VIDIOC_REQBUFS || static_cast<v4l2_requestbuffers*>(Arg)->count > 0;
  if (failure != FailRequest.end() && asksForBuffers) return Fail(failure->second);
  switch (Request) {
    case VIDIOC_QUERYCAP: {
      auto* cap = static_cast<v4l2_capability*>(Arg);
      std::memset(cap, 0, sizeof *cap);
      CopyName(cap->card, sizeof cap->card, Card);
      cap->version = 0x060102;
      cap->capabilities = Capabilities | V4L2_CAP_DEVICE_CAPS;
      cap->device_caps = Capabilities;
      return 0;
    }
    case VIDIOC_ENUM_FMT: {
      auto* desc = static_cast<v4l2_fmtdesc*>(Arg);
      if (desc->index >= Formats.size()) return Fail(EINVAL);
      desc->pixelformat = Formats[desc->index].PixelFormat;
      desc->flags = Formats[desc->index].Emulated ? V4L2_FMT_FLAG_EMULATED : 0;
      return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
      auto* size = static_cast<v4l2_frmsizeenum*>(Arg);
      const TFakeFormat* f = FormatOf(size->pixel_format);
      if (f == nullptr) return Fail(EINVAL);
      if (f->Sizes.empty()) {
        if (size->index != 0) return Fail(EINVAL);
        size->type = V4L2_FRMSIZE_TYPE_STEPWISE;
        size->stepwise = f->Range;
        return 0;
      }
      if (size->index >= f->Sizes.size()) return Fail(EINVAL);
      size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
      size->discrete.width = std::uint32_t(f->Sizes[size->index].first);
      size->discrete.height = std::uint32_t(f->Sizes[size->index].second);
      return 0;
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
      auto* interval = static_cast<v4l2_frmivalenum*>(Arg);
      const TFakeFormat* f = FormatOf(interval->pixel_format);
      const std::pair<int, int> size(int(interval->width), int(interval->height));
      if (f == nullptr || interval->index >= f->Intervals.size() ||
          (!f->Sizes.empty() && std::find(f->Sizes.begin(), f->Sizes.end(), size) == f->Sizes.end()))
        return Fail(EINVAL);
      interval->type = V4L2_FRMIVAL_TYPE_DISCRETE;
      interval->discrete = f->Intervals[interval->index];
      return 0;
    }
    case VIDIOC_G_PARM:
    case VIDIOC_S_PARM: {
      auto* parm = static_cast<v4l2_streamparm*>(Arg);
      if (Request == VIDIOC_S_PARM) {
        if (!TimePerFrame) return Fail(EINVAL);
        IntervalsSet.push_back(parm->parm.capture.timeperframe);
        Interval = parm->parm.capture.timeperframe;
      }
      parm->parm.capture.capability = TimePerFrame ? V4L2_CAP_TIMEPERFRAME : 0;
      parm->parm.capture.timeperframe = Interval;
      return 0;
    }
    case VIDIOC_G_FMT: FillFormat(*static_cast<v4l2_format*>(Arg)); return 0;
    case VIDIOC_S_FMT: {
      auto* fmt = static_cast<v4l2_format*>(Arg);
      if (Streaming || !FBuffers.empty()) return Fail(EBUSY);
      FormatsSet.push_back(*fmt);
      if (const TFakeFormat* f = FormatOf(fmt->fmt.pix.pixelformat)) {
        PixelFormat = f->PixelFormat;
        const std::pair<int, int> size(int(fmt->fmt.pix.width), int(fmt->fmt.pix.height));
        if (f->Sizes.empty()) {
          Width = std::clamp(size.first, int(f->Range.min_width), int(f->Range.max_width));
          Height = std::clamp(size.second, int(f->Range.min_height), int(f->Range.max_height));
        } else {
          std::tie(Width, Height) =
              std::find(f->Sizes.begin(), f->Sizes.end(), size) != f->Sizes.end() ? size : f->Sizes.front();
        }
      }
      FillFormat(*fmt);
      return 0;
    }
    case VIDIOC_QUERYCTRL:
    case VIDIOC_QUERYMENU:
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: return Control(Request, Arg);
    default: return Buffers(Request, Arg);
  }
}

int TFakeV4L2Device::Buffers(unsigned long request, void* arg) {
  switch (request) {
    case VIDIOC_REQBUFS: {
      auto* req = static_cast<v4l2_requestbuffers*>(arg);
      if (Streaming) return Fail(EBUSY);
      FBuffers.clear();
      req->count = std::min(req->count, MaxBuffers);
      for (std::uint32_t i = 0; i < req->count; ++i) {
        Buffer b;
        b.Data.resize(SizeImage());
        FBuffers.push_back(std::move(b));
      }
      return 0;
    }
    case VIDIOC_QUERYBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= FBuffers.size()) return Fail(EINVAL);
      buf->length = std::uint32_t(FBuffers[buf->index].Data.size());
      buf->m.offset = buf->index * kOffsetStep;
      return 0;
    }
    case VIDIOC_QBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= FBuffers.size() || FBuffers[buf->index].Queued) return Fail(EINVAL);
      FBuffers[buf->index].Queued = true;
      FBuffers[buf->index].Done = false;
      return 0;
    }
    case VIDIOC_DQBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      Buffer* oldest = nullptr;
      for (Buffer& b : FBuffers)
        if (b.Done && (oldest == nullptr || b.Sequence < oldest->Sequence)) oldest = &b;
      if (oldest == nullptr) return Fail(EAGAIN);
      oldest->Queued = oldest->Done = false;
      buf->index = std::uint32_t(oldest - FBuffers.data());
      buf->bytesused = oldest->Used;
      buf->length = std::uint32_t(oldest->Data.size());
      buf->flags = oldest->Flags;
      ++Dequeued;
      return 0;
    }
    case VIDIOC_STREAMON:
      if (FBuffers.empty()) return Fail(EINVAL);
      Streaming = true;
      return 0;
    case VIDIOC_STREAMOFF:
      Streaming = false;
      for (Buffer& b : FBuffers) b.Queued = b.Done = false;
      return 0;
    default: return Fail(ENOTTY);
  }
}

int TFakeV4L2Device::Control(unsigned long request, void* arg) {
  switch (request) {
    case VIDIOC_QUERYCTRL: {
      auto* q = static_cast<v4l2_queryctrl*>(arg);
      const TFakeControl* found = nullptr;
      if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) {
        if (!EnumeratesControls) return Fail(EINVAL);
        const std::uint32_t after = q->id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
        for (const TFakeControl& c : Controls)
          if (c.Query.id > after && (found == nullptr || c.Query.id < found->Query.id)) found = &c;
      } else {
        for (const TFakeControl& c : Controls)
          if (c.Query.id == q->id) found = &c;
      }
      if (found == nullptr) return Fail(EINVAL);
      *q = found->Query;
      return 0;
    }
    case VIDIOC_QUERYMENU: {
      auto* m = static_cast<v4l2_querymenu*>(arg);
      for (const TFakeControl& c : Controls)
        if (c.Query.id == m->id) {
          const std::size_t i = std::size_t(int(m->index) - c.Query.minimum);
          if (i >= c.Menu.size() || c.Menu[i].empty()) return Fail(EINVAL);
          CopyName(m->name, sizeof m->name, c.Menu[i]);
          return 0;
        }
      return Fail(EINVAL);
    }
    default: {  // G_CTRL, S_CTRL
      auto* v = static_cast<v4l2_control*>(arg);
      for (TFakeControl& c : Controls)
        if (c.Query.id == v->id) {
          if (request == VIDIOC_G_CTRL) {
            v->value = c.Value;
          } else {
            c.Value = v->value;
            ControlsSet[v->id] = v->value;
          }
          return 0;
        }
      return Fail(EINVAL);
    }
  }
}
