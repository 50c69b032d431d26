#pragma once
// A scope in which the calling thread is held to the files' permission bits,
// root included: the effective capabilities that override them (reading and
// searching what the bits forbid, writing what they forbid) are set aside
// and taken up again at the end. A file of mode 000 cannot be opened then,
// nor a file made in a directory of mode 0555, as for any other user.
// Capabilities belong to a thread: the file work must run on this one.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class TPermissionBitsHold {
 public:
  TPermissionBitsHold() {
    FOk = ::syscall(SYS_capget, &FHeader, FSaved) == 0;
    if (!FOk) return;
    __user_cap_data_struct held[2] = {FSaved[0], FSaved[1]};
    for (unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) held[cap / 32].effective &= ~(1u << (cap % 32));
    FOk = ::syscall(SYS_capset, &FHeader, held) == 0;
  }
  ~TPermissionBitsHold() {
    if (FOk) ::syscall(SYS_capset, &FHeader, FSaved);
  }
  TPermissionBitsHold(const TPermissionBitsHold&) = delete;
  TPermissionBitsHold& operator=(const TPermissionBitsHold&) = delete;

  // False when the capabilities could not be set aside.
  bool Held() const { return FOk; }

 private:
  __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct FSaved[2]{};
  bool FOk = false;
};
