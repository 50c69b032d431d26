// The capture window in its panel: creation, the driver search, the
// dialogs' questions, the status label and the two bitmap-header routines.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "CaptureTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "capture/AviCap.h"
#include "capture/VideoCap.h"
#include "platform/controls/Application.h"

namespace {

std::vector<Byte> Rgb24(int w, int h) { return FormatBlock(BI_RGB, w, h, 24, DWord(ScanLineSize(w * 24) * h)); }

// The driver index the window is connected to now (-1: none).
int ConnectedIndex() {
  CAPDRIVERCAPS caps{};
  if (!capDriverGetCaps(CaptureWindowHandle(), &caps, sizeof caps)) return -1;
  return int(caps.wDeviceIndex);
}

}  // namespace

TEST(ScanLineSize, RoundsUpToWholeWords) {
  EXPECT_EQ(ScanLineSize(1), 4);
  EXPECT_EQ(ScanLineSize(32), 4);
  EXPECT_EQ(ScanLineSize(33), 8);
  EXPECT_EQ(ScanLineSize(384 * 24), 1152);
  EXPECT_EQ(ScanLineSize(384 * 32), 1536);
  EXPECT_EQ(ScanLineSize(0), 0);
}

TEST(InitBitmapInfoHeader, FillsTheFortyBytesAsABmpFileHasThem) {
  BITMAPINFOHEADER header;
  std::memset(&header, 0xAB, sizeof header);
  InitBitmapInfoHeader(header, 384, 288, 24);
  const Byte* b = reinterpret_cast<const Byte*>(&header);
  const Byte expected[40] = {40, 0, 0, 0, 0x80, 1, 0, 0, 0x20, 1, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                             0x00, 0x10, 0x05, 0,  // 331776
                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(b, expected, 40), 0);
  InitBitmapInfoHeader(header, 3, 2, 32);
  EXPECT_EQ(header.biSizeImage, 24u);
}

TEST_F(CaptureTest, WithoutAPanelNoWindowIsMade) {
  SetDisplayPanel(nullptr);
  EXPECT_FALSE(OpenCaptureDriver());
  EXPECT_EQ(CaptureWindowHandle(), nullptr);
}

TEST_F(CaptureTest, TheWindowFillsThePanelAsItIsWhenOpened) {
  Driver(0)->Format = Rgb24(8, 8);
  ASSERT_TRUE(Open());
  ASSERT_EQ(Panel->ControlCount(), 1);
  TControl* window = Panel->Controls(0);
  EXPECT_EQ(window->BoundsRect(), Bounds(0, 0, 160, 120));
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Caption(), "Quillory Soft");
  Panel->SetBounds(10, 10, 300, 200);
  EXPECT_EQ(window->Width(), 160);
  CloseCaptureDriver();
  EXPECT_EQ(Panel->ControlCount(), 0);
  EXPECT_EQ(CaptureWindowHandle(), nullptr);
}

TEST_F(CaptureTest, DriverSearchStopsAtTheFirstIndexThatConnects) {
  Driver(0)->Connectable = false;
  auto second = Driver(1);
  auto third = Driver(2);
  ASSERT_TRUE(Open());
  EXPECT_EQ(ConnectedIndex(), 1);
  EXPECT_TRUE(second->Connected);
  EXPECT_EQ(third->ConnectCalls, 0);
}

TEST_F(CaptureTest, ADriverThatRefusesTheParametersIsPassedOver) {
  auto refusing = Driver(0);
  refusing->AcceptsParms = false;
  auto accepting = Driver(3);
  ASSERT_TRUE(Open());
  EXPECT_EQ(ConnectedIndex(), 3);
  EXPECT_FALSE(refusing->Connected);  // replaced on the window
  ASSERT_TRUE(accepting->ParmsSet);
  // The eight fields written, the rest as the driver reported them.
  const CAPTUREPARMS& p = accepting->Parms;
  EXPECT_EQ(p.dwRequestMicroSecPerFrame, 66667u);
  EXPECT_EQ(p.fYield, 1);
  EXPECT_EQ(p.fCaptureAudio, 1);
  EXPECT_EQ(p.vKeyAbort, 27);
  EXPECT_EQ(p.fAbortLeftMouse, 0);
  EXPECT_EQ(p.fAbortRightMouse, 0);
  EXPECT_EQ(p.fLimitEnabled, 0);
  EXPECT_EQ(p.fMCIControl, 0);
}

TEST_F(CaptureTest, ADriverThatCannotReportItsParametersIsUsedWithItsOwn) {
  auto silent = Driver(0);
  silent->ReportsParms = false;
  auto later = Driver(1);
  ASSERT_TRUE(Open());
  EXPECT_EQ(ConnectedIndex(), 0);
  EXPECT_FALSE(silent->ParmsSet);
  EXPECT_EQ(later->ConnectCalls, 0);
}

TEST_F(CaptureTest, WhenEveryDriverRefusesTheLastOneConnectedStays) {
  for (int i : {2, 5}) Driver(i)->AcceptsParms = false;
  ASSERT_TRUE(Open());
  EXPECT_EQ(ConnectedIndex(), 5);
}

TEST_F(CaptureTest, NoDriverAtAllStillGivesAWindowButNoFormat) {
  ASSERT_TRUE(Open());
  EXPECT_NE(CaptureWindowHandle(), nullptr);
  EXPECT_EQ(ConnectedIndex(), -1);
  EXPECT_THROW(InitFrameBuffers(), Exception);
  EXPECT_FALSE(FrameBuffersReady());
}

TEST_F(CaptureTest, OpeningAgainReplacesTheWindowInsteadOfAddingOne) {
  Driver(0)->Format = Rgb24(8, 8);
  ASSERT_TRUE(Open());
  HWND first = CaptureWindowHandle();
  ASSERT_TRUE(Open());
  EXPECT_NE(CaptureWindowHandle(), first);
  EXPECT_EQ(Panel->ControlCount(), 1);
  EXPECT_EQ(SendMessageA(first, WM_CAP_DRIVER_GET_CAPS, 44, 0), 0);
}

TEST_F(CaptureTest, DialogQuestionsWithoutWindowOrDriverAnswerFalse) {
  EXPECT_FALSE(HasVideoFormatDialog());
  EXPECT_FALSE(HasVideoSourceDialog());
  ShowVideoFormatDialog();  // nothing happens
  ShowVideoSourceDialog();
  ASSERT_TRUE(Open());  // a window, but no driver
  EXPECT_FALSE(HasVideoFormatDialog());
  EXPECT_FALSE(HasVideoSourceDialog());
}

TEST_F(CaptureTest, DialogQuestionsFollowTheDriversCapabilities) {
  auto plan = Driver(0);
  plan->SourceDialog = true;
  ASSERT_TRUE(Open());
  EXPECT_TRUE(HasVideoSourceDialog());
  EXPECT_FALSE(HasVideoFormatDialog());
}

TEST_F(CaptureTest, StatusTextsGoToTheLabelAndAnEmptyOneClearsIt) {
  SetStatusLabel(Status);
  EXPECT_EQ(CaptureStatusCallback(nullptr, 0, "Driver busy"), 1);
  EXPECT_EQ(Status->Caption(), "Driver busy");
  EXPECT_EQ(CaptureStatusCallback(nullptr, 7, ""), 1);
  EXPECT_EQ(Status->Caption(), "");
}

TEST_F(CaptureTest, StartPreviewAsksForTheScaledPreviewAndFramesArrive) {
  auto plan = Driver(0);
  plan->Format = Rgb24(4, 2);
  plan->Frame.assign(std::size_t(ScanLineSize(4 * 24) * 2), 0x80);
  Form->Show();
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  StartPreview();
  // Each preview frame reaches the frame callback, which loads it.
  EXPECT_TRUE(PumpUntil([&] { return plan->Grabs >= 12; }));
  ASSERT_NE(FrameBitmap(), nullptr);
  EXPECT_EQ(FrameBitmap()->Width(), 4);
  EXPECT_EQ(FrameBitmap()->Pixel(0, 0), TColor(0x808080));
  // Scaled: the 4 by 2 frame fills the capture window, which fills the panel,
  // down to its far corner.
  const TPoint origin = Panel->ClientOriginInForm();
  std::unique_ptr<TBitmap> shown = Form->GetFormImage();
  EXPECT_EQ(shown->Pixel(origin.X + 1, origin.Y + 1), TColor(0x808080));
  EXPECT_EQ(shown->Pixel(origin.X + Panel->ClientWidth() - 2, origin.Y + Panel->ClientHeight() - 2),
            TColor(0x808080));
  // A frame every 33 ms (the window's own default is twice that): a late
  // tick makes one gap longer, never the typical one shorter.
  std::vector<double> gaps;
  for (size_t i = 1; i < plan->GrabTimes.size(); ++i)
    gaps.push_back(std::chrono::duration<double, std::milli>(plan->GrabTimes[i] - plan->GrabTimes[i - 1]).count());
  ASSERT_GE(gaps.size(), 10u);
  std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
  const double median = gaps[gaps.size() / 2];
  EXPECT_GE(median, 30.0);
  EXPECT_LT(median, 55.0);
}

TEST_F(CaptureTest, EverythingButOpeningDoesNothingWithoutAWindow) {
  StartPreview();
  AbortCapture();
  CloseCaptureDriver();
  InitFrameBuffers();
  ReadVideoFormat();
  EXPECT_FALSE(ConnectCaptureDriver(0));
  EXPECT_FALSE(FrameBuffersReady());
}
