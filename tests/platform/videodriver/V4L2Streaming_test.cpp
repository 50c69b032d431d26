// The V4L2 driver's stream when things go wrong: a camera that cannot
// stream does not connect, no device buffer outlives a failing step, and a
// damaged frame does not cost the good one before it.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "FakeV4L2Device.h"
#include "platform/videodriver/V4L2Driver.h"

TEST(V4L2Streaming, ABusyCameraDoesNotConnect) {
  TFakeV4L2Device device;
  device.FailRequest[VIDIOC_REQBUFS] = EBUSY;
  auto driver = CreateV4L2Driver("/dev/video0");
  EXPECT_FALSE(driver->Connect());
  EXPECT_EQ(driver->LastError(), "/dev/video0: Device or resource busy");
  EXPECT_FALSE(driver->NotFound());
  EXPECT_EQ(device.OpenHandles, 0);
  EXPECT_TRUE(driver->VideoFormat().empty());
}

TEST(V4L2Streaming, NoBufferIsLeftAllocatedAfterAFailingStep) {
  struct Fault {
    unsigned long Request;
    int Error;
    bool MapFails;
    std::uint32_t MaxBuffers;
    const char* Text;
  };
  const Fault faults[] = {
      {VIDIOC_QUERYBUF, EINVAL, false, 32, "Invalid argument"},
      {0, 0, true, 32, "Invalid argument"},
      {VIDIOC_QBUF, EIO, false, 32, "Input/output error"},
      {VIDIOC_STREAMON, ENOSPC, false, 32, "No space left on device"},
      {0, 0, false, 1, "too few streaming buffers"},
  };
  for (const Fault& f : faults) {
    for (bool atConnect : {true, false}) {
      SCOPED_TRACE(std::string(f.Text) + (atConnect ? " at connect" : " at start"));
      TFakeV4L2Device device;
      auto driver = CreateV4L2Driver("/dev/video0");
      auto inject = [&] {
        if (f.Request != 0) device.FailRequest[f.Request] = f.Error;
        device.FailMap = f.MapFails;
        device.MaxBuffers = f.MaxBuffers;
      };
      if (atConnect) {
        inject();
        EXPECT_FALSE(driver->Connect());
        EXPECT_EQ(device.OpenHandles, 0);
      } else {
        ASSERT_TRUE(driver->Connect());
        inject();
        EXPECT_FALSE(driver->StartStreaming());
      }
      EXPECT_EQ(driver->LastError(), std::string("/dev/video0: ") + f.Text);
      EXPECT_EQ(device.AllocatedBuffers(), 0);
      EXPECT_EQ(device.Mapped, 0);
      EXPECT_FALSE(device.Streaming);
    }
  }
}

TEST(V4L2Streaming, ADamagedFrameAfterAGoodOneKeepsTheGoodOne) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  ASSERT_TRUE(driver->StartStreaming());
  ASSERT_TRUE(device.Produce(std::vector<Byte>(16, 7)));
  ASSERT_TRUE(device.Produce(std::vector<Byte>(16, 8), V4L2_BUF_FLAG_ERROR));
  TCapturedFrame frame;
  ASSERT_TRUE(driver->GrabFrame(frame));
  EXPECT_EQ(frame.Data[0], 7);
  EXPECT_EQ(device.QueuedBuffers(), 3);  // the damaged one went back
  driver->ReleaseFrame(frame);
  EXPECT_EQ(device.QueuedBuffers(), 4);
  ASSERT_TRUE(device.Produce(std::vector<Byte>(16, 9), V4L2_BUF_FLAG_ERROR));
  EXPECT_FALSE(driver->GrabFrame(frame));  // only damage: nothing
  EXPECT_EQ(device.QueuedBuffers(), 4);
}

TEST(V4L2Streaming, AStreamThatWouldNotStartIsTriedAgainAfterASecond) {
  TFakeV4L2Device device;
  auto driver = CreateV4L2Driver("/dev/video0");
  ASSERT_TRUE(driver->Connect());
  device.FailRequest[VIDIOC_REQBUFS] = EBUSY;
  EXPECT_FALSE(driver->StartStreaming());
  device.FailRequest.clear();
  TCapturedFrame frame;
  EXPECT_FALSE(driver->GrabFrame(frame));
  EXPECT_FALSE(device.Streaming);  // not at every frame
  std::this_thread::sleep_for(std::chrono::milliseconds(1050));
  EXPECT_FALSE(driver->GrabFrame(frame));
  EXPECT_TRUE(device.Streaming);
  ASSERT_TRUE(device.Produce(std::vector<Byte>(16, 5)));
  ASSERT_TRUE(driver->GrabFrame(frame));
  driver->ReleaseFrame(frame);
}
