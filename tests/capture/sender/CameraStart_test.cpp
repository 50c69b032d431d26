// The main window's camera start on V4L2 devices: a camera that cannot
// stream is passed over with its reason on the status label, none at all
// gives the missing-camera box, and an unplugged camera is found again by
// "Refresh All".
#include <gtest/gtest.h>

#include <cerrno>
#include <list>
#include <string>

#include "CaptureTestSupport.h"
#include "FakeV4L2Device.h"
#include "app/Main.h"
#include "app/PeerList.h"
#include "platform/controls/Application.h"

namespace {

constexpr const char* kNoWebcam = "WebCam not found. Please check webcam settings.";

class CameraStartTest : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    SetCaptureDriverFactory(nullptr);  // the real drivers, on fake devices
    Main = new TfrmMain(Application);
    frmMain = Main;
    Main->FPeers = std::make_unique<TPeerList>();
  }
  void TearDown() override {
    delete Main;
    frmMain = nullptr;
    CaptureTest::TearDown();
  }

  int NoWebcamBoxes() const {
    int n = 0;
    for (const TMessageBox& box : Boxes->Boxes()) n += box.Text == kNoWebcam;
    return n;
  }
  // Frames pass from the device through the preview.
  static bool FramesFlow(TFakeV4L2Device& device) {
    const int before = device.Dequeued;
    return PumpUntil([&] {
      device.Produce(std::vector<Byte>(64, 128));
      return device.Dequeued > before + 1;
    });
  }

  // Devices outlive the main window: its tear-down still stops the camera on them.
  TFakeV4L2Device& Device(const std::string& Path) { return FDevices.emplace_back(Path); }

  std::list<TFakeV4L2Device> FDevices;
  TfrmMain* Main = nullptr;
};

}  // namespace

TEST_F(CameraStartTest, WithOnlyABusyCameraTheStartReportsNoWebcamAndWhy) {
  TFakeV4L2Device& busy = Device("/dev/video0");
  busy.FailRequest[VIDIOC_REQBUFS] = EBUSY;
  Main->InitWebcam();
  EXPECT_EQ(NoWebcamBoxes(), 1);
  EXPECT_EQ(Main->FWebcamOk, 0);
  EXPECT_EQ(Main->lblVideo->Caption(), "/dev/video0: Device or resource busy");
  EXPECT_EQ(busy.OpenHandles, 0);
  EXPECT_EQ(busy.AllocatedBuffers(), 0);
}

TEST_F(CameraStartTest, ABusyCameraIsPassedOverForTheNextOne) {
  TFakeV4L2Device& busy = Device("/dev/video0");
  TFakeV4L2Device& free = Device("/dev/video1");
  busy.FailRequest[VIDIOC_REQBUFS] = EBUSY;
  Main->InitWebcam();
  EXPECT_EQ(NoWebcamBoxes(), 0);
  EXPECT_EQ(Main->FWebcamOk, 1);
  EXPECT_TRUE(free.Streaming);
  EXPECT_EQ(free.Width, 8);  // the offered size nearest 384 x 288
  EXPECT_TRUE(FramesFlow(free));
  EXPECT_EQ(Main->lblVideo->Caption(), "");
}

TEST_F(CameraStartTest, AnUnpluggedCameraIsReportedAndRefreshAllFindsItAgain) {
  TFakeV4L2Device& camera = Device("/dev/video0");
  Main->InitWebcam();
  ASSERT_EQ(Main->FWebcamOk, 1);
  ASSERT_TRUE(FramesFlow(camera));
  camera.Unplug();
  EXPECT_TRUE(PumpUntil([&] { return Main->lblVideo->Caption() == "/dev/video0: No such device"; }));
  Main->btnRefreshAllClick(nullptr);
  EXPECT_EQ(NoWebcamBoxes(), 1);
  EXPECT_EQ(Main->FWebcamOk, 0);
  camera.Replug();
  Main->btnRefreshAllClick(nullptr);
  EXPECT_EQ(NoWebcamBoxes(), 1);
  EXPECT_EQ(Main->FWebcamOk, 1);
  EXPECT_TRUE(FramesFlow(camera));
}
