// The video options window: its layout, which of the driver's dialogs it
// offers, and the frame buffer following a new format.
#include <gtest/gtest.h>

#include "CaptureTestSupport.h"
#include "capture/VideoCap.h"
#include "capture/VideoOptions.h"
#include "platform/base/Streams.h"
#include "platform/controls/Application.h"
#include "platform/controls/GroupBox.h"
#include "platform/controls/Label.h"
#include "platform/videodriver/DriverDialogs.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

class VideoOptionsTest : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    Options = new TfrmVideoOptions(Application);
  }
  void TearDown() override {
    delete Options;
    SetDriverDialogHook(nullptr);
    CaptureTest::TearDown();
  }
  // Shows the window as its caller does and closes it again by its close box.
  void ShowAndLeave() {
    Options->Show();
    Options->Hide();
  }
  TfrmVideoOptions* Options = nullptr;
};

}  // namespace

TEST_F(VideoOptionsTest, TheLayoutIsTheDialogsLook) {
  EXPECT_EQ(Options->Caption(), "Video Display Options");
  EXPECT_EQ(Options->ClientWidth(), 298);
  EXPECT_EQ(Options->ClientHeight(), 206);
  EXPECT_EQ(Options->GroupBox1->Caption(), " General Video Settings ");
  EXPECT_EQ(Options->GroupBox1->BoundsRect(), Bounds(16, 16, 265, 129));
  EXPECT_EQ(Options->Label1->Caption(), "Start the WebCam to change these settings");
  EXPECT_EQ(Options->btnSource->Caption(), "Video Source");
  EXPECT_EQ(Options->btnSource->BoundsRect(), Bounds(43, 50, 94, 63));
  EXPECT_EQ(Options->btnFormat->BoundsRect(), Bounds(160, 50, 94, 63));
  EXPECT_EQ(Options->btnClose->BoundsRect(), Bounds(205, 162, 75, 25));
  EXPECT_EQ(Options->btnClose->TabOrder(), 0);
  EXPECT_EQ(Options->btnFormat->TabOrder(), 3);
  EXPECT_EQ(Options->SkPanel1->CornerWidth(), 25);
  EXPECT_EQ(Options->btnSource->Layout(), blGlyphTop);
  EXPECT_EQ(Options->btnClose->Layout(), blGlyphLeft);
  EXPECT_FALSE(Options->btnSource->Enabled());
  EXPECT_FALSE(Options->btnFormat->Enabled());
  EXPECT_TRUE(Options->btnClose->Enabled());
}

TEST_F(VideoOptionsTest, WithoutACameraOnlyCloseIsOffered) {
  ShowAndLeave();
  EXPECT_FALSE(Options->btnSource->Enabled());
  EXPECT_FALSE(Options->btnFormat->Enabled());
  ASSERT_TRUE(Open());  // a window but no driver
  ShowAndLeave();
  EXPECT_FALSE(Options->btnSource->Enabled());
  EXPECT_FALSE(Options->btnFormat->Enabled());
}

TEST_F(VideoOptionsTest, ADriverWithOnlyASourceDialogEnablesOnlyThatButton) {
  auto plan = Driver(0);
  plan->SourceDialog = true;
  plan->Format = FormatBlock(BI_RGB, 4, 4, 24, 48);
  ASSERT_TRUE(Open());
  ShowAndLeave();
  EXPECT_TRUE(Options->btnSource->Enabled());
  EXPECT_FALSE(Options->btnFormat->Enabled());
}

TEST_F(VideoOptionsTest, ButtonsStayEnabledUntilClose) {
  auto plan = Driver(0);
  plan->SourceDialog = plan->FormatDialog = true;
  plan->Format = FormatBlock(BI_RGB, 4, 4, 24, 48);
  ASSERT_TRUE(Open());
  ShowAndLeave();
  CloseCaptureDriver();
  ShowAndLeave();  // no camera now, but the buttons keep their state
  EXPECT_TRUE(Options->btnSource->Enabled());
  EXPECT_TRUE(Options->btnFormat->Enabled());
  Options->btnFormat->PerformClick();  // nothing to do without a window
  Options->btnSource->PerformClick();
  Options->Show();
  Options->btnClose->PerformClick();
  EXPECT_FALSE(Options->btnSource->Enabled());
  EXPECT_FALSE(Options->btnFormat->Enabled());
  EXPECT_FALSE(Options->Visible());
}

TEST_F(VideoOptionsTest, ANewFormatLaysTheFrameBufferOutAgain) {
  auto plan = Driver(0);
  plan->FormatDialog = true;
  plan->Format = FormatBlock(FourCC('Y', 'U', 'Y', '2'), 160, 120, 16, 160 * 120 * 2);
  plan->FormatAfterDialog = FormatBlock(FourCC('Y', 'U', 'Y', '2'), 640, 480, 16, 640 * 480 * 2);
  ASSERT_TRUE(Open());
  InitFrameBuffers();
  EXPECT_EQ(const_cast<TMemoryStream*>(FrameBuffer())->Size(), 14 + 40 + 160 * 120 * 4);
  ShowAndLeave();
  SetDriverDialogHook([](TDriverDialogRequest& request) {
    request.Selected = 1;
    return true;
  });
  Options->btnFormat->PerformClick();
  EXPECT_EQ(plan->FormatDialogs, 1);
  EXPECT_EQ(const_cast<TMemoryStream*>(FrameBuffer())->Size(), 14 + 40 + 640 * 480 * 4);
}
