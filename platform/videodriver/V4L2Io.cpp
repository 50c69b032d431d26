#include "platform/videodriver/V4L2Io.h"

#include <libv4l2.h>
#include <sys/mman.h>

#include <cerrno>

namespace {

// libv4l2 stands between the driver and the kernel: it converts the frames
// of formats the program cannot read (MJPEG, JPEG, Bayer, ...) and offers
// the results as emulated formats. Its descriptors are ordinary ones, so
// poll works on them directly.
TV4L2Io SystemIo() {
  TV4L2Io io;
  io.Open = [](const char* path, int flags) { return v4l2_open(path, flags); };
  io.Close = [](int fd) { return v4l2_close(fd); };
  io.Ioctl = [](int fd, unsigned long request, void* arg) {
    int result;
    do result = v4l2_ioctl(fd, request, arg);
    while (result == -1 && errno == EINTR);
    return result;
  };
  io.Map = [](std::size_t length, int fd, off_t offset) {
    return v4l2_mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
  };
  io.Unmap = [](void* address, std::size_t length) { return v4l2_munmap(address, length); };
  io.Poll = [](pollfd* fds, nfds_t count, int timeout) { return ::poll(fds, count, timeout); };
  return io;
}

TV4L2Io& Current() {
  static TV4L2Io io = SystemIo();
  return io;
}

}  // namespace

const TV4L2Io& V4L2Io() { return Current(); }

void SetV4L2Io(TV4L2Io Io) {
  const TV4L2Io system = SystemIo();
  if (!Io.Open) Io.Open = system.Open;
  if (!Io.Close) Io.Close = system.Close;
  if (!Io.Ioctl) Io.Ioctl = system.Ioctl;
  if (!Io.Map) Io.Map = system.Map;
  if (!Io.Unmap) Io.Unmap = system.Unmap;
  if (!Io.Poll) Io.Poll = system.Poll;
  Current() = std::move(Io);
}
