// Replacing a file whole or not at all, on a file system that fills up and
// in a directory that refuses new files.
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

}  // namespace
