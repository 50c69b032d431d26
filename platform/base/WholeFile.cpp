#include "platform/base/WholeFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <vector>

namespace {

// As many links in a row as the kernel follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
constexpr const char* kAccessAcl = "system.posix_acl_access";

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

// The path up to and including its last '/'; empty for a bare name.
std::string DirectoryPart(const std::string& Path) {
  const std::string::size_type slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// The file a write in place would reach: the last part of the name followed
// through every symlink, as an open follows it. Only the last part needs
// it, because a rename follows the directories on its way as an open does,
// but replaces a link it ends at. A missing file, or the missing target of
// a dangling link, is where the new file goes. False with errno set when
// the name cannot be followed.
bool FollowLinks(const std::string& FileName, std::string& Target) {
  Target = FileName;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat info {};
    if (::lstat(Target.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISLNK(info.st_mode)) return true;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(Target.c_str(), link, sizeof link);
    if (n < 0) return false;
    if (size_t(n) == sizeof link) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string named(link, size_t(n));
    Target = named.front() == '/' ? named : DirectoryPart(Target) + named;
  }
  errno = ELOOP;
  return false;
}

// A new, empty file beside FileName: its name with a dot and six random
// letters or digits, made with Mode (less the umask). -1 with errno set
// when none can be made.
int CreateBeside(const std::string& FileName, mode_t Mode, std::string& TempName) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::minstd_rand pick{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    TempName = FileName + ".";
    for (int i = 0; i < 6; ++i) TempName += kChars[pick() % (sizeof kChars - 1)];
    int fd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The directory itself said no to a new file; anything else (a full disk,
// no inodes left, a quota, an I/O error) would fail a write in place just as
// well, after it had cut the old file.
bool DirectoryRefusesNewFiles(int Error) { return Error == EACCES || Error == EPERM; }

// The space is taken before the old bytes are cut, so that a full disk
// fails the write while the file is still whole; where the file system
// cannot reserve space ahead, the write goes on without.
bool WriteInPlace(int Fd, const std::string& Bytes) {
  if (!Bytes.empty() && ::fallocate(Fd, FALLOC_FL_KEEP_SIZE, 0, off_t(Bytes.size())) != 0 &&
      errno != EOPNOTSUPP)
    return false;
  return ::ftruncate(Fd, 0) == 0 && ::lseek(Fd, 0, SEEK_SET) == 0 && WriteAll(Fd, Bytes) && ::fsync(Fd) == 0;
}

// The new file takes over the old one's owner, group, mode and access ACL.
// Owner and group come first, since a change of owner clears the set-ID
// bits that the mode then puts back. Only root may give a file away; any
// owner may still hand it to a group of their own. Where the old group
// cannot be kept, the group bits grant no more than the others get, so
// that no one gains access through the replacement.
bool TakeOverAttributes(int Fd, int OldFd, const struct stat& Old) {
  if (::fchown(Fd, Old.st_uid, Old.st_gid) != 0) (void)::fchown(Fd, uid_t(-1), Old.st_gid);
  struct stat made {};
  if (::fstat(Fd, &made) != 0) return false;
  mode_t mode = Old.st_mode & 07777;
  if (made.st_gid != Old.st_gid) mode &= ~(S_IRWXG & ~((mode & S_IRWXO) << 3));
  if (::fchmod(Fd, mode) != 0) return false;
  // An ACL the file system does not hold, or one the process may not set,
  // leaves the mode alone in charge.
  const ssize_t size = ::fgetxattr(OldFd, kAccessAcl, nullptr, 0);
  if (size > 0) {
    std::vector<char> acl(static_cast<size_t>(size));
    const ssize_t got = ::fgetxattr(OldFd, kAccessAcl, acl.data(), acl.size());
    if (got > 0) (void)::fsetxattr(Fd, kAccessAcl, acl.data(), size_t(got), 0);
  }
  return true;
}

// A directory that cannot be opened to be flushed (no right to read it)
// is none of the user's business; a flush that fails is.
bool FlushDirectoryOf(const std::string& Path) {
  const std::string dir = DirectoryPart(Path);
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

bool ReplaceBeside(const std::string& Target, int OldFd, const struct stat* Old, const std::string& Bytes) {
  std::string temp;
  // Until it has the old file's owner and mode, the new one is its
  // writer's alone; a file that is new is made as an open would make it.
  const int fd = CreateBeside(Target, Old != nullptr ? 0600 : 0666, temp);
  if (fd < 0) return Old != nullptr && DirectoryRefusesNewFiles(errno) && WriteInPlace(OldFd, Bytes);
  bool ok = (Old == nullptr || TakeOverAttributes(fd, OldFd, *Old)) && WriteAll(fd, Bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), Target.c_str()) == 0) return FlushDirectoryOf(Target);
  ::unlink(temp.c_str());
  return false;
}

}  // namespace

bool WriteFileWhole(const std::string& FileName, const std::string& Bytes) {
  std::string target;
  if (!FollowLinks(FileName, target)) return false;
  // Opened for writing, without cutting it, as a write in place would
  // open it: the kernel's answer is the one that counts.
  const int oldFd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (oldFd < 0) return errno == ENOENT && ReplaceBeside(target, -1, nullptr, Bytes);
  struct stat old {};
  bool ok = ::fstat(oldFd, &old) == 0 && S_ISREG(old.st_mode) && ReplaceBeside(target, oldFd, &old, Bytes);
  ok = ::close(oldFd) == 0 && ok;
  return ok;
}
