// The capture window: its messages, the drivers behind the indexes, the
// preview that feeds the frame callback and paints the panel, the dialogs
// and destruction from inside a callback.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FakeV4L2Device.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/Panel.h"
#include "platform/graphics/Bitmap.h"
#include "platform/videodriver/CaptureApi.h"
#include "platform/videodriver/DriverDialogs.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

bool PumpUntil(const std::function<bool()>& Done, int Milliseconds = 30000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  for (;;) {
    Application->ProcessMessages();
    if (Done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// What the callbacks saw; plain functions need a place to put it.
struct TSeen {
  int Frames = 0;
  bool OnMainThread = true;
  DWord Bytes = 0;
  std::vector<Byte> First;
  std::vector<std::string> Statuses;
  HWND DestroyInCallback = nullptr;
};
TSeen* Seen = nullptr;

LRESULT OnFrame(HWND, VIDEOHDR* header) {
  ++Seen->Frames;
  Seen->OnMainThread = Seen->OnMainThread && IsMainThread();
  Seen->Bytes = header->dwBytesUsed;
  if (Seen->First.empty()) Seen->First.assign(header->lpData, header->lpData + header->dwBytesUsed);
  if (Seen->DestroyInCallback != nullptr) {
    DestroyWindow(Seen->DestroyInCallback);
    Application->ProcessMessages();  // the program's callback pumps too
  }
  return 1;
}

LRESULT OnStatus(HWND, int, const char* text) {
  Seen->Statuses.push_back(text);
  return 1;
}

class CaptureWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    Seen = &FSeen;
    Form = new TForm(Application);
    Form->SetBounds(0, 0, 300, 200);
    Panel = new TPanel(Form);
    Panel->SetParent(Form);
    Panel->SetBevelOuter(bvNone);
    Panel->SetBounds(20, 20, 200, 150);
  }
  void TearDown() override {
    if (Window != nullptr) DestroyWindow(Window);
    delete Form;
    Application->ProcessMessages();
    SetVirtualCameraOverride(std::nullopt);
    SetDriverDialogHook(nullptr);
    Seen = nullptr;
  }

  void Camera(TFramePixelFormat Format, int Width, int Height) {
    TVirtualCameraSettings s;
    s.Format = Format;
    s.Width = Width;
    s.Height = Height;
    SetVirtualCameraOverride(s);
  }
  HWND Create(int Width = 160, int Height = 120) {
    Window = capCreateCaptureWindowA("cap", WS_CHILD | WS_VISIBLE, 0, 0, Width, Height, Panel, 0);
    return Window;
  }
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(Window, message, w, l); }
  BITMAPINFOHEADER Format() {
    BITMAPINFOHEADER h{};
    Send(WM_CAP_GET_VIDEOFORMAT, sizeof h, reinterpret_cast<LPARAM>(&h));
    return h;
  }
  void Preview(int RateMs) {
    Send(WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(&OnFrame));
    Send(WM_CAP_SET_CALLBACK_STATUSA, 0, reinterpret_cast<LPARAM>(&OnStatus));
    Send(WM_CAP_SET_PREVIEWRATE, WPARAM(RateMs));
    Send(WM_CAP_SET_PREVIEW, 1);
  }

  // Devices outlive the window: tear-down still stops its stream on them.
  TFakeV4L2Device& Device(const std::string& Path = "/dev/video0") { return FDevices.emplace_back(Path); }

  std::list<TFakeV4L2Device> FDevices;
  TSeen FSeen;
  TForm* Form = nullptr;
  TPanel* Panel = nullptr;
  HWND Window = nullptr;
};

}  // namespace

TEST_F(CaptureWindowTest, IsAChildOfItsParentOrNothing) {
  EXPECT_EQ(capCreateCaptureWindowA("x", WS_CHILD, 0, 0, 10, 10, nullptr, 0), nullptr);
  EXPECT_EQ(capCreateCaptureWindowA("x", WS_VISIBLE, 0, 0, 10, 10, Panel, 0), nullptr);
  ASSERT_NE(Create(), nullptr);
  ASSERT_EQ(Panel->ControlCount(), 1);
  EXPECT_EQ(Panel->Controls(0)->BoundsRect(), Bounds(0, 0, 160, 120));
  EXPECT_TRUE(DestroyWindow(Window));
  EXPECT_EQ(Panel->ControlCount(), 0);
  EXPECT_FALSE(DestroyWindow(Window));
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 0);
  Window = nullptr;
}

TEST_F(CaptureWindowTest, TheVirtualCameraIsDriverZeroAndDevicesFollowIt) {
  TFakeV4L2Device& device = Device();
  char name[80], version[80];
  ASSERT_TRUE(capGetDriverDescriptionA(0, name, sizeof name, version, sizeof version));
  EXPECT_STREQ(name, "Fake Cam");
  EXPECT_FALSE(capGetDriverDescriptionA(1, name, sizeof name, version, sizeof version));
  Camera(fpYUY2, 32, 16);
  ASSERT_TRUE(capGetDriverDescriptionA(0, name, sizeof name, version, sizeof version));
  EXPECT_STREQ(name, "Tamblin Virtual Camera");
  ASSERT_TRUE(capGetDriverDescriptionA(1, name, 5, version, sizeof version));
  EXPECT_STREQ(name, "Fake");  // cut to the buffer
  EXPECT_EQ(device.Opened.back(), "/dev/video0");
  EXPECT_FALSE(capGetDriverDescriptionA(10, name, sizeof name, version, sizeof version));
}

TEST_F(CaptureWindowTest, AnswersTheMessagesOfItsDriver) {
  Camera(fpI420, 32, 16);
  Create();
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 0);  // no driver yet
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  CAPDRIVERCAPS caps{};
  EXPECT_EQ(Send(WM_CAP_DRIVER_GET_CAPS, 20, reinterpret_cast<LPARAM>(&caps)), 0);
  ASSERT_EQ(Send(WM_CAP_DRIVER_GET_CAPS, sizeof caps, reinterpret_cast<LPARAM>(&caps)), 1);
  EXPECT_NE(caps.fHasDlgVideoFormat, 0);
  EXPECT_NE(caps.fHasDlgVideoSource, 0);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 40);
  const BITMAPINFOHEADER h = Format();
  EXPECT_EQ(h.biCompression, MakeFourCC('I', '4', '2', '0'));
  EXPECT_EQ(h.biWidth, 32);
  CAPTUREPARMS parms{};
  EXPECT_EQ(Send(WM_CAP_GET_SEQUENCE_SETUP, sizeof parms - 1, reinterpret_cast<LPARAM>(&parms)), 0);
  ASSERT_EQ(Send(WM_CAP_GET_SEQUENCE_SETUP, sizeof parms, reinterpret_cast<LPARAM>(&parms)), 1);
  parms.vKeyAbort = 42;
  EXPECT_EQ(Send(WM_CAP_SET_SEQUENCE_SETUP, sizeof parms, reinterpret_cast<LPARAM>(&parms)), 1);
  CAPTUREPARMS back{};
  Send(WM_CAP_GET_SEQUENCE_SETUP, sizeof back, reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(back.vKeyAbort, 42);
  EXPECT_EQ(Send(0x7777), 0);
  EXPECT_EQ(Send(WM_CAP_DRIVER_DISCONNECT), 1);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 0);
  EXPECT_EQ(Send(WM_CAP_DRIVER_GET_CAPS, sizeof caps, reinterpret_cast<LPARAM>(&caps)), 0);
}

TEST_F(CaptureWindowTest, AnIndexThatDoesNotConnectKeepsTheConnectedDriver) {
  Camera(fpY8, 8, 8);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 7), 0);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 40);
}

TEST_F(CaptureWindowTest, PreviewCallsTheFrameCallbackOnTheUiThreadWithTheFrame) {
  Camera(fpYUY2, 32, 16);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Preview(10);
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= 3; }));
  EXPECT_TRUE(FSeen.OnMainThread);
  EXPECT_EQ(FSeen.Bytes, 32u * 16u * 2u);
  TVirtualCameraSettings s;
  s.Width = 32;
  s.Height = 16;
  EXPECT_EQ(FSeen.First, MakeVirtualCameraFrame(s, 0));
  ASSERT_FALSE(FSeen.Statuses.empty());
  EXPECT_EQ(FSeen.Statuses.front(), "");  // the preview starts with a clear status
  Send(WM_CAP_SET_PREVIEW, 0);
  Application->ProcessMessages();
  const int frames = FSeen.Frames;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(FSeen.Frames, frames);
}

TEST_F(CaptureWindowTest, ThePreviewShowsThePictureStretchedOrAtItsOwnSize) {
  Camera(fpRGB24, 64, 48);
  Create();
  Form->Show();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Send(WM_CAP_SET_SCALE, 1);
  Preview(10);
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= 2; }));
  Application->ProcessMessages();
  std::unique_ptr<TBitmap> shot = Form->GetFormImage();
  // Panel at (20, 20); eight colour bars of 20 pixels each when stretched.
  EXPECT_EQ(shot->Pixel(20 + 10, 20 + 10), TColor(0xFFFFFF));  // white
  EXPECT_EQ(shot->Pixel(20 + 30, 20 + 10), TColor(0x00FFFF));  // yellow
  EXPECT_EQ(shot->Pixel(20 + 150, 20 + 10), TColor(0x000000));  // black, the last bar

  Send(WM_CAP_SET_SCALE, 0);
  const int frames = FSeen.Frames;
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= frames + 2; }));
  Application->ProcessMessages();
  shot = Form->GetFormImage();
  EXPECT_EQ(shot->Pixel(20 + 10, 20 + 10), TColor(0x00FFFF));  // bars of 8 pixels: yellow
  EXPECT_EQ(shot->Pixel(20 + 100, 20 + 10), TColor(0x000000));  // beyond the picture
}

TEST_F(CaptureWindowTest, DestroyedFromInsideTheFrameCallbackItGoesAwayAfterwards) {
  Camera(fpYUY2, 16, 16);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  FSeen.DestroyInCallback = Window;
  Preview(5);
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= 1; }));
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(FSeen.Frames, 1);
  EXPECT_EQ(Panel->ControlCount(), 0);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 0);
  Window = nullptr;
}

TEST_F(CaptureWindowTest, AFailingDeviceIsReportedOnceAndClearedWhenFramesFlowAgain) {
  TFakeV4L2Device& device = Device();
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Preview(5);
  ASSERT_TRUE(device.Produce(std::vector<Byte>(16, 1)));
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= 1; }));
  device.Produce(std::vector<Byte>(16, 2));
  device.FailRequest[VIDIOC_DQBUF] = EIO;
  PumpUntil([] { return false; }, 60);
  EXPECT_EQ(FSeen.Statuses, (std::vector<std::string>{"", "/dev/video0: Input/output error"}));
  device.FailRequest.clear();
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Frames >= 2; }));
  EXPECT_EQ(FSeen.Statuses.back(), "");
}

TEST_F(CaptureWindowTest, AnUnpluggedCameraIsReportedAndFoundAgainByANewSearch) {
  TFakeV4L2Device& device = Device();
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Preview(5);
  device.Unplug();
  ASSERT_TRUE(PumpUntil([&] { return FSeen.Statuses.back() == "/dev/video0: No such device"; }));
  PumpUntil([] { return false; }, 30);
  EXPECT_EQ(FSeen.Statuses.size(), 2u);  // once
  EXPECT_EQ(device.OpenHandles, 0);
  device.Replug();
  DestroyWindow(Window);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Preview(5);
  const int before = FSeen.Frames;
  ASSERT_TRUE(PumpUntil([&] {
    device.Produce(std::vector<Byte>(16, 3));
    return FSeen.Frames > before;
  }));
}

TEST_F(CaptureWindowTest, ACameraThatCannotStreamIsPassedOverWithItsReason) {
  TFakeV4L2Device& busy = Device("/dev/video0");
  Device("/dev/video2");
  busy.FailRequest[VIDIOC_REQBUFS] = EBUSY;
  Create();
  Send(WM_CAP_SET_CALLBACK_STATUSA, 0, reinterpret_cast<LPARAM>(&OnStatus));
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 0);
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 1), 0);  // nothing there: nothing to tell
  EXPECT_EQ(FSeen.Statuses, (std::vector<std::string>{"/dev/video0: Device or resource busy"}));
  EXPECT_EQ(busy.OpenHandles, 0);
  EXPECT_EQ(busy.AllocatedBuffers(), 0);
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 2), 1);
  Preview(5);
  EXPECT_EQ(FSeen.Statuses.back(), "");  // a camera runs
}

TEST_F(CaptureWindowTest, TheFormatDialogChangesTheDriversFormat) {
  Camera(fpYUY2, 32, 16);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  std::vector<TVideoFormatChoice> offered;
  int selected = -1;
  SetDriverDialogHook([&](TDriverDialogRequest& request) {
    EXPECT_EQ(request.Kind, ddkFormat);
    offered = request.Formats;
    selected = request.Selected;
    return false;  // cancelled
  });
  EXPECT_EQ(Send(WM_CAP_DLG_VIDEOFORMAT), 0);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(offered[std::size_t(selected)].PixelFormat, "YUY2");
  EXPECT_EQ(Format().biWidth, 32);
  SetDriverDialogHook([&](TDriverDialogRequest& request) {
    for (std::size_t i = 0; i < request.Formats.size(); ++i)
      if (request.Formats[i].PixelFormat == "UYVY" && request.Formats[i].Width == 640)
        request.Selected = int(i);
    return true;
  });
  EXPECT_EQ(Send(WM_CAP_DLG_VIDEOFORMAT), 1);
  EXPECT_EQ(Format().biCompression, MakeFourCC('U', 'Y', 'V', 'Y'));
  EXPECT_EQ(Format().biWidth, 640);
}

TEST_F(CaptureWindowTest, TheSourceDialogAppliesChangesAndCancelPutsThemBack) {
  Camera(fpY8, 16, 16);
  Create();
  ASSERT_EQ(Send(WM_CAP_DRIVER_CONNECT, 0), 1);
  Send(WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(&OnFrame));
  Send(WM_CAP_SET_PREVIEWRATE, 5);
  Send(WM_CAP_SET_PREVIEW, 1);
  auto grey = [&] {
    FSeen.First.clear();
    PumpUntil([&] { return !FSeen.First.empty(); });
    return int(FSeen.First[16 * 15]);
  };
  const int plain = grey();
  SetDriverDialogHook([](TDriverDialogRequest& request) {
    EXPECT_EQ(request.Kind, ddkSource);
    request.Apply(request.Controls[0].Id, 100);
    return false;
  });
  EXPECT_EQ(Send(WM_CAP_DLG_VIDEOSOURCE), 1);
  EXPECT_EQ(grey(), plain);
  SetDriverDialogHook([](TDriverDialogRequest& request) {
    request.Apply(request.Controls[0].Id, 100);
    return true;
  });
  Send(WM_CAP_DLG_VIDEOSOURCE);
  EXPECT_GT(grey(), plain + 50);
}
