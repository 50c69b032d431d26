// The driver on the real libv4l2 calls: paths that are no camera give the
// plain "not found" answer and leave no descriptor open.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/videodriver/V4L2Driver.h"
#include "platform/videodriver/V4L2Io.h"

namespace {

auto OpenDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return std::distance(begin(fds), end(fds));
}

}  // namespace

TEST(V4L2Library, PathsThatAreNoCameraAreNotFoundThroughLibv4l2) {
  SetV4L2Io({});
  ASSERT_NE(dlsym(RTLD_DEFAULT, "v4l2_open"), nullptr);
  const std::string file = testing::TempDir() + "not-a-camera";
  std::ofstream(file) << "plain bytes";
  const int before = OpenDescriptors();
  for (const std::string& path : {std::string("/nonexistent/video0"), file, std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    auto driver = CreateV4L2Driver(path);
    EXPECT_FALSE(driver->Connect());
    EXPECT_TRUE(driver->NotFound());
    EXPECT_EQ(driver->LastError().rfind(path + ": ", 0), 0u) << driver->LastError();
    EXPECT_TRUE(driver->VideoFormat().empty());
    EXPECT_FALSE(driver->StartStreaming());
  }
  EXPECT_EQ(OpenDescriptors(), before);
  std::remove(file.c_str());
}
