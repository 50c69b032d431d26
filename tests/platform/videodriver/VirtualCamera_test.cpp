// The virtual camera: its setting, its picture in every layout, its hooks
// and its dialogs' data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/videodriver/FrameLayout.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

BITMAPINFOHEADER Header(TCaptureDriver& driver) {
  BITMAPINFOHEADER h{};
  std::vector<Byte> block = driver.VideoFormat();
  std::memcpy(&h, block.data(), std::min(block.size(), sizeof h));
  return h;
}

struct VirtualCameraEnvironment : testing::Test {
  void TearDown() override {
    unsetenv(VirtualCameraVariable);
    SetVirtualCameraOverride(std::nullopt);
  }
};

}  // namespace

TEST(VirtualCameraSetting, ParsesLayoutSizeAndOptions) {
  TVirtualCameraSettings s;
  ASSERT_TRUE(ParseVirtualCameraSettings("YUY2:384x288", s));
  EXPECT_EQ(s.Format, fpYUY2);
  EXPECT_EQ(s.Width, 384);
  EXPECT_EQ(s.Height, 288);
  EXPECT_FALSE(s.RefuseCaptureParms || s.NoCaptureParms || s.Noise);
  ASSERT_TRUE(ParseVirtualCameraSettings("rgb24:1280x720:refuse-parms,noise", s));
  EXPECT_EQ(s.Format, fpRGB24);
  EXPECT_EQ(s.Width, 1280);
  EXPECT_TRUE(s.RefuseCaptureParms);
  EXPECT_TRUE(s.Noise);
  EXPECT_FALSE(s.NoCaptureParms);
  ASSERT_TRUE(ParseVirtualCameraSettings("Y8:7x3:no-parms", s));
  EXPECT_EQ(s.Format, fpY8);
  EXPECT_TRUE(s.NoCaptureParms);
}

TEST(VirtualCameraSetting, RefusesWhatItDoesNotKnow) {
  TVirtualCameraSettings s;
  s.Width = 99;
  for (const char* text : {"", "YUY2", "MJPG:64x64", "YUY2:64", "YUY2:0x10", "YUY2:64x-1",
                           "YUY2:5000x10", "YUY2:64x64:loud", "YUY2:64x64:noise:x", "YUY2:6 4x64",
                           "YUY2:99999999999x1"})
    EXPECT_FALSE(ParseVirtualCameraSettings(text, s)) << text;
  EXPECT_EQ(s.Width, 99);
}

TEST_F(VirtualCameraEnvironment, IsOnlyOnWhenTheVariableSaysSo) {
  TVirtualCameraSettings s;
  unsetenv(VirtualCameraVariable);
  EXPECT_FALSE(VirtualCameraSettings(s));
  setenv(VirtualCameraVariable, "UYVY:32x16", 1);
  ASSERT_TRUE(VirtualCameraSettings(s));
  EXPECT_EQ(s.Format, fpUYVY);
  setenv(VirtualCameraVariable, "nonsense", 1);
  EXPECT_FALSE(VirtualCameraSettings(s));
  TVirtualCameraSettings forced;
  forced.Format = fpY211;
  SetVirtualCameraOverride(forced);
  ASSERT_TRUE(VirtualCameraSettings(s));
  EXPECT_EQ(s.Format, fpY211);
}

TEST(VirtualCamera, DeliversMovingFramesOfItsLayoutAndSize) {
  int count = 0;
  const TFrameFormatInfo* formats = FrameFormats(count);
  ASSERT_EQ(count, 8);
  for (int f = 0; f < count; ++f) {
    TVirtualCameraSettings s;
    s.Format = formats[f].Format;
    s.Width = 37;  // no layout's group fits evenly
    s.Height = 21;
    auto camera = CreateVirtualCamera(s);
    ASSERT_TRUE(camera->Connect());
    const BITMAPINFOHEADER h = Header(*camera);
    EXPECT_EQ(h.biCompression, formats[f].Compression);
    EXPECT_EQ(h.biBitCount, formats[f].BitCount);
    EXPECT_EQ(h.biSizeImage, FrameImageSize(s.Format, 37, 21));
    TCapturedFrame frame;
    EXPECT_FALSE(camera->GrabFrame(frame));  // not streaming yet
    ASSERT_TRUE(camera->StartStreaming());
    ASSERT_TRUE(camera->GrabFrame(frame));
    ASSERT_EQ(frame.Size, FrameImageSize(s.Format, 37, 21)) << formats[f].Name;
    const std::vector<Byte> first(frame.Data, frame.Data + frame.Size);
    camera->ReleaseFrame(frame);
    ASSERT_TRUE(camera->GrabFrame(frame));
    EXPECT_NE(std::vector<Byte>(frame.Data, frame.Data + frame.Size), first) << formats[f].Name;
    camera->ReleaseFrame(frame);
  }
}

TEST(VirtualCamera, FramesHandedOutStayValidUntilReleased) {
  TVirtualCameraSettings s;
  s.Width = 16;
  s.Height = 8;
  auto camera = CreateVirtualCamera(s);
  ASSERT_TRUE(camera->Connect());
  ASSERT_TRUE(camera->StartStreaming());
  TCapturedFrame a, b;
  ASSERT_TRUE(camera->GrabFrame(a));
  const std::vector<Byte> copy(a.Data, a.Data + a.Size);
  ASSERT_TRUE(camera->GrabFrame(b));
  EXPECT_NE(a.Data, b.Data);
  EXPECT_EQ(std::vector<Byte>(a.Data, a.Data + a.Size), copy);
  camera->ReleaseFrame(b);
  camera->ReleaseFrame(a);
}

TEST(VirtualCamera, KeepsItsOwnFormatWhenAskedForAnother) {
  TVirtualCameraSettings s;
  s.Format = fpRGB24;
  s.Width = 640;
  s.Height = 480;
  auto camera = CreateVirtualCamera(s);
  ASSERT_TRUE(camera->Connect());
  EXPECT_FALSE(camera->SetVideoFormat(MakeFrameHeader(fpRGB24, 384, 288)));
  EXPECT_FALSE(camera->SetVideoFormat(MakeFrameHeader(fpYUY2, 640, 480)));
  EXPECT_TRUE(camera->SetVideoFormat(MakeFrameHeader(fpRGB24, 640, 480)));
  EXPECT_EQ(Header(*camera).biWidth, 640);
}

TEST(VirtualCamera, HooksRefuseOrHideTheCaptureParameters) {
  TVirtualCameraSettings s;
  CAPTUREPARMS parms{};
  auto plain = CreateVirtualCamera(s);
  EXPECT_TRUE(plain->GetCaptureParms(parms));
  EXPECT_TRUE(plain->SetCaptureParms(parms));
  s.RefuseCaptureParms = true;
  auto refusing = CreateVirtualCamera(s);
  EXPECT_TRUE(refusing->GetCaptureParms(parms));
  EXPECT_FALSE(refusing->SetCaptureParms(parms));
  s = TVirtualCameraSettings{};
  s.NoCaptureParms = true;
  auto silent = CreateVirtualCamera(s);
  EXPECT_FALSE(silent->GetCaptureParms(parms));
}

TEST(VirtualCamera, ItsFormatDialogSwitchesLayoutAndSize) {
  TVirtualCameraSettings s;
  s.Width = 100;
  s.Height = 50;
  auto camera = CreateVirtualCamera(s);
  ASSERT_TRUE(camera->Connect());
  const std::vector<TVideoFormatChoice> choices = camera->FormatChoices();
  // Eight layouts at the common sizes and its own.
  EXPECT_EQ(choices.size(), 8u * 7u);
  const int current = camera->CurrentFormatChoice();
  ASSERT_GE(current, 0);
  EXPECT_EQ(choices[std::size_t(current)].PixelFormat, "YUY2");
  EXPECT_EQ(choices[std::size_t(current)].Width, 100);
  int wanted = -1;
  for (std::size_t i = 0; i < choices.size(); ++i)
    if (choices[i].PixelFormat == "I420" && choices[i].Width == 320) wanted = int(i);
  ASSERT_TRUE(camera->SelectFormatChoice(wanted));
  const BITMAPINFOHEADER h = Header(*camera);
  EXPECT_EQ(h.biCompression, MakeFourCC('I', '4', '2', '0'));
  EXPECT_EQ(h.biWidth, 320);
  EXPECT_EQ(h.biHeight, 240);
  EXPECT_FALSE(camera->SelectFormatChoice(int(choices.size())));
}

TEST(VirtualCamera, ItsSourceControlsChangeThePicture) {
  TVirtualCameraSettings s;
  s.Format = fpY8;
  s.Width = 16;
  s.Height = 16;
  auto camera = CreateVirtualCamera(s);
  ASSERT_TRUE(camera->Connect());
  ASSERT_TRUE(camera->StartStreaming());
  const std::vector<TVideoSourceControl> controls = camera->SourceControls();
  ASSERT_EQ(controls.size(), 2u);
  EXPECT_EQ(controls[0].Name, "Brightness");
  EXPECT_EQ(controls[1].Name, "Contrast");
  TCapturedFrame frame;
  ASSERT_TRUE(camera->GrabFrame(frame));
  const int before = frame.Data[16 * 15];  // bottom row: the grey ramp's dark end
  camera->ReleaseFrame(frame);
  camera->SetSourceControl(controls[0].Id, 100);
  EXPECT_EQ(camera->SourceControls()[0].Value, 100);
  ASSERT_TRUE(camera->GrabFrame(frame));
  EXPECT_GT(int(frame.Data[16 * 15]), before + 50);
  camera->ReleaseFrame(frame);
}
