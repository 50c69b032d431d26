// Replacing a file whole or not at all, on a file system that fills up and
// in a directory that refuses new files; the file replaced is the one a
// write in place would reach, with its owner, group and mode.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "TempDir.h"
#include "platform/base/WholeFile.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/PermissionBits.h"

namespace {

int EntriesIn(const std::string& Dir) {
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(Dir)) ++entries, (void)e;
  return entries;
}

// Writes Path until the file system refuses more, to its last page.
void FillUp(const std::string& Path) {
  const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const std::string page(4096, 'f');
  while (::write(fd, page.data(), page.size()) == ssize_t(page.size())) {
  }
  ::close(fd);
}

// A small tmpfs of its own, in a mount namespace of this thread's own, that
// holds three files at most.
class TSmallFileSystem {
 public:
  TSmallFileSystem() {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
    FMounted = ::mount("tamblin", FDir.Path().c_str(), "tmpfs", 0, "size=64k,nr_inodes=4") == 0;
  }
  ~TSmallFileSystem() {
    if (FMounted) ::umount2(FDir.Path().c_str(), MNT_DETACH);
  }
  bool Mounted() const { return FMounted; }
  bool SetFiles(int Count) {
    const std::string options = "nr_inodes=" + std::to_string(Count + 1);
    return ::mount(nullptr, FDir.Path().c_str(), nullptr, MS_REMOUNT, options.c_str()) == 0;
  }
  std::string File(const std::string& Name) const { return FDir.File(Name); }
  const std::string& Path() const { return FDir.Path(); }

 private:
  TTempDir FDir;
  bool FMounted = false;
};

TEST(WholeFile, AFullFileSystemLeavesTheOldFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "a tmpfs of its own needs root";
  TSmallFileSystem fs;
  ASSERT_TRUE(fs.Mounted()) << std::strerror(errno);
  const std::string file = fs.File("IPAddress.dat");
  const std::string old(6000, 'o'), longer(20000, 'n');
  WriteBytes(file, old);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(fs.SetFiles(2));
  FillUp(fs.File("filler"));

  // No file can be made beside it: written in place it would be cut.
  EXPECT_FALSE(WriteFileWhole(file, longer));
  EXPECT_EQ(ReadBytes(file), old);

  // One can, but the space runs out midway.
  ASSERT_TRUE(fs.SetFiles(3));
  EXPECT_FALSE(WriteFileWhole(file, longer));
  EXPECT_EQ(ReadBytes(file), old);
  EXPECT_EQ(EntriesIn(fs.Path()), 2);  // nothing left beside it

  std::filesystem::remove(fs.File("filler"));
  EXPECT_TRUE(WriteFileWhole(file, longer));
  EXPECT_EQ(ReadBytes(file), longer);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(fs.Path()), 1);
}

// A writable file in a directory the user may not write is updated where it
// lies, the one way left.
TEST(WholeFile, ADirectoryThatRefusesNewFilesHasItsFileWrittenInPlace) {
  TTempDir dir;
  const std::string file = dir.File("Settings.ini");
  WriteBytes(file, "old");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  {
    TPermissionBitsHold held;
    ASSERT_TRUE(held.Held());
    EXPECT_TRUE(WriteFileWhole(file, "new"));
    EXPECT_FALSE(WriteFileWhole(dir.File("Other.ini"), "x"));
  }
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

struct stat StatOf(const std::string& Path) {
  struct stat info {};
  EXPECT_EQ(::lstat(Path.c_str(), &info), 0) << Path;
  return info;
}

// Through a symlink, to a file the user may not write, and over a file of
// another owner and group.
TEST(WholeFile, TheWriteGoesWhereAWriteInPlaceWouldGoAndKeepsWhatTheFileIs) {
  TTempDir dir;
  std::filesystem::create_directory(dir.File("shared"));
  const std::string real = dir.File("shared/IPAddress.dat");
  WriteBytes(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  const std::string link = dir.File("IPAddress.dat");
  ASSERT_EQ(::symlink("shared/IPAddress.dat", link.c_str()), 0);

  EXPECT_TRUE(WriteFileWhole(link, "new"));
  EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
  EXPECT_EQ(std::filesystem::read_symlink(link), "shared/IPAddress.dat");
  EXPECT_EQ(ReadBytes(real), "new");
  EXPECT_EQ(StatOf(real).st_mode & 07777, 0640u);
  EXPECT_EQ(EntriesIn(dir.File("shared")), 1);

  // A link to a file not yet there makes the file and stays a link.
  const std::string dangling = dir.File("Settings.ini");
  ASSERT_EQ(::symlink(dir.File("shared/Settings.ini").c_str(), dangling.c_str()), 0);
  EXPECT_TRUE(WriteFileWhole(dangling, "[Settings]"));
  EXPECT_TRUE(S_ISLNK(StatOf(dangling).st_mode));
  EXPECT_EQ(ReadBytes(dir.File("shared/Settings.ini")), "[Settings]");

  // A read-only file in a folder anyone may write: replacing it would be
  // allowed, writing it is not, so it stays as it is.
  const std::string readOnly = dir.File("shared/ReadOnly.dat");
  WriteBytes(readOnly, "keep");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir.File("shared").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const struct stat before = StatOf(readOnly);
  ASSERT_TRUE(RunAsOrdinaryUser([&] {
    ASSERT_EQ(ReadBytes(readOnly), "keep") << "the folder is out of the user's reach";
    EXPECT_FALSE(WriteFileWhole(readOnly, "lost"));
  }));
  const struct stat after = StatOf(readOnly);
  EXPECT_EQ(ReadBytes(readOnly), "keep");
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(EntriesIn(dir.File("shared")), 3);  // nothing left beside it

  // Root replaces a file of another owner and group and gives it back to
  // them, with its mode.
  if (::geteuid() != 0) return;
  ASSERT_EQ(::chown(real.c_str(), 4321, 1234), 0);
  ASSERT_EQ(::chmod(real.c_str(), 02640), 0);
  EXPECT_TRUE(WriteFileWhole(link, "newer"));
  EXPECT_EQ(ReadBytes(real), "newer");
  const struct stat replaced = StatOf(real);
  EXPECT_EQ(replaced.st_uid, 4321u);
  EXPECT_EQ(replaced.st_gid, 1234u);
  EXPECT_EQ(replaced.st_mode & 07777, 02640u);
}

}  // namespace
