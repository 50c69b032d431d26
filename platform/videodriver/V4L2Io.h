#pragma once
// The seam between the V4L2 driver and the kernel: every call the driver
// makes on a device goes through this table, so that tests can put an
// in-process fake device behind it. The defaults are libv4l2's calls
// (v4l2_open, v4l2_ioctl, v4l2_mmap, ...) and poll.
#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>

struct TV4L2Io {
  std::function<int(const char* Path, int Flags)> Open;
  std::function<int(int Fd)> Close;
  // Returns -1 and sets errno on failure, as ioctl does.
  std::function<int(int Fd, unsigned long Request, void* Arg)> Ioctl;
  // Returns MAP_FAILED on failure, as mmap does.
  std::function<void*(std::size_t Length, int Fd, off_t Offset)> Map;
  std::function<int(void* Address, std::size_t Length)> Unmap;
  std::function<int(pollfd* Fds, nfds_t Count, int TimeoutMs)> Poll;
};

// The table in force.
const TV4L2Io& V4L2Io();
// Test seam: replaces the table (entries left empty use the default);
// SetV4L2Io({}) restores the defaults.
void SetV4L2Io(TV4L2Io Io);
