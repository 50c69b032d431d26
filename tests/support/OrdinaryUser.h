#pragma once
// Work run as an ordinary user would run it, also when the tests run as
// root: on a thread of its own whose user and groups are nobody's (65534),
// so the kernel judges its file access without root's overrides. The ids
// are changed by raw system calls, which change the calling thread alone
// (the C library's calls would change every thread of the process). Run by
// an ordinary user, Work runs as that user.
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>
#include <thread>

// False when the thread could not become an ordinary user (Work not run).
inline bool RunAsOrdinaryUser(const std::function<void()>& Work) {
  constexpr long kNobody = 65534;
  bool ok = true;
  std::thread thread([&] {
    if (::geteuid() == 0)
      ok = ::syscall(SYS_setgroups, 0, nullptr) == 0 &&
           ::syscall(SYS_setresgid, kNobody, kNobody, kNobody) == 0 &&
           ::syscall(SYS_setresuid, kNobody, kNobody, kNobody) == 0;
    if (ok) Work();
  });
  thread.join();
  return ok;
}
