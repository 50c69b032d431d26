#include "platform/base/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace {

bool WriteAll(int Fd, const std::string& Bytes) {
  size_t done = 0;
  while (done < Bytes.size()) {
    ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// A new, empty file beside FileName: its name with a dot and six random
// letters or digits. Made with the mode a new file gets (0666 less the
// umask), so that a file that did not exist before is made as an open with
// O_CREAT would make it. -1 with errno set when none can be made.
int CreateBeside(const std::string& FileName, std::string& TempName) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::minstd_rand pick{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    TempName = FileName + ".";
    for (int i = 0; i < 6; ++i) TempName += kChars[pick() % (sizeof kChars - 1)];
    int fd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The directory itself said no to a new file; anything else (a full disk,
// no inodes left, a quota, an I/O error) would fail a write in place just as
// well, after it had cut the old file.
bool DirectoryRefusesNewFiles(int Error) { return Error == EACCES || Error == EPERM || Error == EROFS; }

bool WriteInPlace(const std::string& FileName, const std::string& Bytes) {
  int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, Bytes);
  return ::close(fd) == 0 && ok;
}

}  // namespace

bool WriteFileWhole(const std::string& FileName, const std::string& Bytes) {
  struct stat old {};
  const bool exists = ::stat(FileName.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  std::string temp;
  int fd = CreateBeside(FileName, temp);
  if (fd < 0) return DirectoryRefusesNewFiles(errno) && WriteInPlace(FileName, Bytes);
  bool ok = (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && WriteAll(fd, Bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), FileName.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}
