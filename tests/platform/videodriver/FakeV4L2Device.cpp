#include "FakeV4L2Device.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/videodriver/V4L2Io.h"

namespace {
constexpr int kFd = 1000;
constexpr std::uint32_t kOffsetStep = 0x100000;

void CopyName(std::uint8_t* to, std::size_t size, const std::string& name) {
  std::memset(to, 0, size);
  std::memcpy(to, name.data(), std::min(name.size(), size - 1));
}
}  // namespace

TFakeV4L2Device::TFakeV4L2Device(std::string Path) : FPath(std::move(Path)) {
  TV4L2Io io;
  io.Open = [this](const char* path, int) {
    Opened.push_back(path);
    if (path != FPath) {
      errno = ENOENT;
      return -1;
    }
    ++OpenHandles;
    return kFd;
  };
  io.Close = [this](int) {
    --OpenHandles;
    return 0;
  };
  io.Ioctl = [this](int fd, unsigned long request, void* arg) {
    if (fd != kFd) {
      errno = EBADF;
      return -1;
    }
    return Ioctl(request, arg);
  };
  io.Map = [this](std::size_t length, int, off_t offset) -> void* {
    const std::size_t index = std::size_t(offset) / kOffsetStep;
    if (index >= FBuffers.size() || length > FBuffers[index].Data.size()) return MAP_FAILED;
    ++Mapped;
    return FBuffers[index].Data.data();
  };
  io.Unmap = [this](void*, std::size_t) {
    --Mapped;
    return 0;
  };
  io.Poll = [this](pollfd* fds, nfds_t, int) {
    const bool done = std::any_of(FBuffers.begin(), FBuffers.end(), [](const Buffer& b) { return b.Done; });
    fds[0].revents = done ? POLLIN : 0;
    return done ? 1 : 0;
  };
  SetV4L2Io(io);
  Formats = {{V4L2_PIX_FMT_YUYV, {{4, 2}, {8, 4}}, {}}};
}

TFakeV4L2Device::~TFakeV4L2Device() { SetV4L2Io({}); }

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

int TFakeV4L2Device::QueuedBuffers() const {
  return int(std::count_if(FBuffers.begin(), FBuffers.end(), [](const Buffer& b) { return b.Queued; }));
}

bool TFakeV4L2Device::Produce(const std::vector<std::uint8_t>& Frame) {
  for (Buffer& b : FBuffers) {
    if (!b.Queued || b.Done) continue;
    std::memset(b.Data.data(), 0x5A, b.Data.size());
    std::memcpy(b.Data.data(), Frame.data(), std::min(Frame.size(), b.Data.size()));
    b.Used = std::uint32_t(std::min(Frame.size(), b.Data.size()));
    b.Done = true;
    b.Sequence = FSequence++;
    return true;
  }
  return false;
}

int TFakeV4L2Device::Ioctl(unsigned long request, void* arg) {
  auto fail = [](int error) {
    errno = error;
    return -1;
  };
  switch (request) {
    case VIDIOC_QUERYCAP: {
      auto* cap = static_cast<v4l2_capability*>(arg);
      std::memset(cap, 0, sizeof *cap);
      CopyName(cap->card, sizeof cap->card, Card);
      cap->version = 0x060102;
      cap->capabilities = Capabilities | V4L2_CAP_DEVICE_CAPS;
      cap->device_caps = Capabilities;
      return 0;
    }
    case VIDIOC_ENUM_FMT: {
      auto* desc = static_cast<v4l2_fmtdesc*>(arg);
      if (desc->index >= Formats.size()) return fail(EINVAL);
      desc->pixelformat = Formats[desc->index].PixelFormat;
      return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
      auto* size = static_cast<v4l2_frmsizeenum*>(arg);
      for (const TFakeFormat& f : Formats) {
        if (f.PixelFormat != size->pixel_format) continue;
        if (f.Sizes.empty()) {
          if (size->index != 0) return fail(EINVAL);
          size->type = V4L2_FRMSIZE_TYPE_STEPWISE;
          size->stepwise = f.Range;
          return 0;
        }
        if (size->index >= f.Sizes.size()) return fail(EINVAL);
        size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        size->discrete.width = std::uint32_t(f.Sizes[size->index].first);
        size->discrete.height = std::uint32_t(f.Sizes[size->index].second);
        return 0;
      }
      return fail(EINVAL);
    }
    case VIDIOC_G_FMT: FillFormat(*static_cast<v4l2_format*>(arg)); return 0;
    case VIDIOC_S_FMT: {
      auto* fmt = static_cast<v4l2_format*>(arg);
      if (Streaming || !FBuffers.empty()) return fail(EBUSY);
      FormatsSet.push_back(*fmt);
      for (const TFakeFormat& f : Formats) {
        if (f.PixelFormat != fmt->fmt.pix.pixelformat) continue;
        PixelFormat = f.PixelFormat;
        const int w = int(fmt->fmt.pix.width), h = int(fmt->fmt.pix.height);
        if (f.Sizes.empty()) {
          Width = std::clamp(w, int(f.Range.min_width), int(f.Range.max_width));
          Height = std::clamp(h, int(f.Range.min_height), int(f.Range.max_height));
        } else if (std::find(f.Sizes.begin(), f.Sizes.end(), std::make_pair(w, h)) != f.Sizes.end()) {
          Width = w;
          Height = h;
        } else {
          Width = f.Sizes.front().first;
          Height = f.Sizes.front().second;
        }
      }
      FillFormat(*fmt);
      return 0;
    }
    case VIDIOC_REQBUFS: {
      auto* req = static_cast<v4l2_requestbuffers*>(arg);
      if (Streaming) return fail(EBUSY);
      FBuffers.clear();
      for (std::uint32_t i = 0; i < req->count; ++i) {
        Buffer b;
        b.Data.resize(SizeImage());
        FBuffers.push_back(std::move(b));
      }
      return 0;
    }
    case VIDIOC_QUERYBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= FBuffers.size()) return fail(EINVAL);
      buf->length = std::uint32_t(FBuffers[buf->index].Data.size());
      buf->m.offset = buf->index * kOffsetStep;
      return 0;
    }
    case VIDIOC_QBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= FBuffers.size() || FBuffers[buf->index].Queued) return fail(EINVAL);
      FBuffers[buf->index].Queued = true;
      FBuffers[buf->index].Done = false;
      return 0;
    }
    case VIDIOC_DQBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (FailDequeueWith != 0) return fail(FailDequeueWith);
      Buffer* oldest = nullptr;
      for (Buffer& b : FBuffers)
        if (b.Done && (oldest == nullptr || b.Sequence < oldest->Sequence)) oldest = &b;
      if (oldest == nullptr) return fail(EAGAIN);
      oldest->Queued = oldest->Done = false;
      buf->index = std::uint32_t(oldest - FBuffers.data());
      buf->bytesused = oldest->Used;
      buf->length = std::uint32_t(oldest->Data.size());
      buf->flags = 0;
      return 0;
    }
    case VIDIOC_STREAMON: Streaming = true; return 0;
    case VIDIOC_STREAMOFF:
      Streaming = false;
      for (Buffer& b : FBuffers) b.Queued = b.Done = false;
      return 0;
    case VIDIOC_QUERYCTRL: {
      auto* q = static_cast<v4l2_queryctrl*>(arg);
      const TFakeControl* found = nullptr;
      if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) {
        if (!EnumeratesControls) return fail(EINVAL);
        const std::uint32_t after = q->id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
        for (const TFakeControl& c : Controls)
          if (c.Query.id > after && (found == nullptr || c.Query.id < found->Query.id)) found = &c;
      } else {
        for (const TFakeControl& c : Controls)
          if (c.Query.id == q->id) found = &c;
      }
      if (found == nullptr) return fail(EINVAL);
      *q = found->Query;
      return 0;
    }
    case VIDIOC_QUERYMENU: {
      auto* m = static_cast<v4l2_querymenu*>(arg);
      for (const TFakeControl& c : Controls)
        if (c.Query.id == m->id) {
          const std::size_t i = std::size_t(int(m->index) - c.Query.minimum);
          if (i >= c.Menu.size() || c.Menu[i].empty()) return fail(EINVAL);
          CopyName(m->name, sizeof m->name, c.Menu[i]);
          return 0;
        }
      return fail(EINVAL);
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
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
      return fail(EINVAL);
    }
    default: return fail(ENOTTY);
  }
}
