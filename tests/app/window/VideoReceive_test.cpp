// Video frames to the right slot; what is no JPEG is dropped; snapshots.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/Parlink.h"
#include "platform/base/Streams.h"
#include "platform/controls/Image.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegImage.h"
#include "tests/support/HostileJpeg.h"

namespace {

using std::chrono::milliseconds;

std::string JpegOf(int w, int h, TColor color) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.SetPixel(x, y, color);
  std::vector<Byte> bytes = EncodeJpeg(bmp, 90);
  return std::string(bytes.begin(), bytes.end());
}

bool Near(TColor a, TColor b) {
  return std::abs(GetRValue(a) - GetRValue(b)) < 12 && std::abs(GetGValue(a) - GetGValue(b)) < 12 &&
         std::abs(GetBValue(a) - GetBValue(b)) < 12;
}

class VideoReceive : public MainWindowTest {
 protected:
  // Sends a frame and waits until slot Slot shows a picture of width W.
  bool ShowsFrame(TTestPeer& From, const std::string& Jpeg, int Slot, int W) {
    From.SendTo(VideoPort, Jpeg);
    return PumpUntil([&] { return Form->SlotPicture(Slot)->Width() == W; }, milliseconds(2000));
  }
  TColor CentreOf(int Slot) {
    auto* jpeg = dynamic_cast<TJPEGImage*>(Form->SlotPicture(Slot)->Graphic());
    if (jpeg == nullptr || jpeg->Bitmap() == nullptr) return clNone;
    return jpeg->Bitmap()->Pixel(jpeg->Width() / 2, jpeg->Height() / 2);
  }
};

TEST_P(VideoReceive, AFrameShowsInTheSlotOfTheSendersEntry) {
  Start();
  AddEntry("127.0.0.1", 2);
  TGraphic* placeholder1 = Form->SlotPicture(1)->Graphic();
  ASSERT_TRUE(ShowsFrame(Peer, JpegOf(16, 12, clRed), 2, 16));
  EXPECT_EQ(Form->SlotPicture(2)->Height(), 12);
  EXPECT_TRUE(Near(CentreOf(2), clRed));
  EXPECT_EQ(Form->SlotPicture(1)->Graphic(), placeholder1);  // other slots untouched
}

TEST_P(VideoReceive, FramesFromAddressesWithoutEntryAreDropped) {
  Start();
  TTestPeer stranger("127.0.0.5");
  AddEntry("127.0.0.1", 1);
  EXPECT_FALSE(ShowsFrame(stranger, JpegOf(16, 12, clRed), 1, 16));
  for (int slot = 1; slot <= SlotCount; ++slot) EXPECT_NE(Form->SlotPicture(slot)->Width(), 16);
}

TEST_P(VideoReceive, TwoEntriesOfOneAddressShowInTheFirstOnesSlot) {
  Start();
  AddEntry("127.0.0.1", 4);
  AddEntry("127.0.0.1", 2);
  ASSERT_TRUE(ShowsFrame(Peer, JpegOf(20, 10, clBlue), 4, 20));
  EXPECT_NE(Form->SlotPicture(2)->Width(), 20);
}

TEST_P(VideoReceive, WhatIsNoJpegIsDroppedAndTheSlotKeepsItsPicture) {
  Start();
  AddEntry("127.0.0.1", 3);
  ASSERT_TRUE(ShowsFrame(Peer, JpegOf(16, 12, clRed), 3, 16));
  const std::string good = JpegOf(24, 18, clLime);
  for (const std::string& bad : {std::string("not a picture"), good.substr(0, good.size() / 2),
                                 std::string(), std::string("\xFF\xD8\xFF\xE0", 4),
                                 // legal, but endless scans
                                 hostile::ManyScansProgressive(4096, 2048, hostile::Coding::Huffman)}) {
    SendAndSettle(Peer, VideoPort, bad);
    EXPECT_EQ(Form->SlotPicture(3)->Width(), 16);
    EXPECT_TRUE(Near(CentreOf(3), clRed));
  }
  // The port goes on receiving.
  ASSERT_TRUE(ShowsFrame(Peer, good, 3, 24));
  EXPECT_TRUE(Near(CentreOf(3), clLime));
}

TEST_P(VideoReceive, ASnapshotPutsTheSlotsPictureOnTheClipboardAsABitmap) {
  Start();
  AddEntry("127.0.0.1", 1);
  auto bitmapOnClipboard = [] {
    std::vector<Byte> block = Clipboard()->GetBlock(CF_BITMAP);
    auto bmp = std::make_unique<TBitmap>();
    TMemoryStream stream;
    if (!block.empty()) stream.WriteBuffer(block.data(), int(block.size()));
    stream.SetPosition(0);
    bmp->LoadFromStream(&stream);
    return bmp;
  };
  // Before the first frame: the placeholder.
  Form->btnSnapShot1Click(nullptr);
  auto placeholder = bitmapOnClipboard();
  EXPECT_EQ(placeholder->Width(), Form->SlotPicture(1)->Width());
  EXPECT_EQ(placeholder->Height(), Form->SlotPicture(1)->Height());
  ASSERT_TRUE(ShowsFrame(Peer, JpegOf(32, 24, clBlue), 1, 32));
  Form->btnSnapShot1Click(nullptr);
  auto frame = bitmapOnClipboard();
  EXPECT_EQ(frame->Width(), 32);
  EXPECT_EQ(frame->Height(), 24);
  EXPECT_TRUE(Near(frame->Pixel(16, 12), clBlue));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, VideoReceive, testing::Values(kCompactLayout, kWideLayout),
                         PrintLayout);

}  // namespace
