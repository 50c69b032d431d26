// The GIF data model: colour tables, extensions, frame sharing and the
// graphic control extension as it is brought in line before writing.
#include "widgets/gx/GxGIFTypes.h"

#include <gtest/gtest.h>

#include <cstring>

#include "GxGIFTestOwner.h"
#include "platform/base/StringList.h"
#include "platform/graphics/Bitmap.h"
#include "widgets/gx/GxGIFDecode.h"

namespace {

TEST(GIFModelTest, ColorCountToBits) {
  EXPECT_EQ(ColorCountToBits(2), 1);
  EXPECT_EQ(ColorCountToBits(256), 8);
  EXPECT_EQ(ColorCountToBits(0x10000 + 16), 4);  // only the low 16 bits count
  for (int bad : {0, 1, 3, 512}) {
    try {
      ColorCountToBits(bad);
      FAIL() << bad;
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "Wrong number of colors; must be a power of 2");
    }
  }
}

TEST(GIFModelTest, IndexOfTableColorLooksOnlyBelowCount) {
  TRGBTable t;
  t.Count = 2;
  t.Entries[1][0] = 0x10;
  t.Entries[2][0] = 0x20;
  EXPECT_EQ(IndexOfTableColor(t, 0x000010), 1);
  EXPECT_EQ(IndexOfTableColor(t, 0x000020), -1);
  EXPECT_EQ(IndexOfTableColor(t, clNone), -1);
}

TEST(GIFModelTest, LoopBlockRecognition) {
  TExtension e;
  e.FKind = ekApplication;
  e.FFixed[0] = 11;
  std::memcpy(e.FFixed + 1, "NETSCAPE2.0", 11);
  EXPECT_FALSE(e.IsLoopBlock());  // no sub-blocks
  e.FSubBlocks = new TStringList;
  e.FSubBlocks->Add(std::string("\x01\x05\x00", 3));
  EXPECT_TRUE(e.IsLoopBlock());
  std::memcpy(e.FFixed + 1, "ANIMEXTS1.0", 11);
  EXPECT_TRUE(e.IsLoopBlock());
  e.FSubBlocks->SetStrings(0, std::string("\x01\x05", 2));
  EXPECT_FALSE(e.IsLoopBlock());
  e.FSubBlocks->SetStrings(0, std::string("\x02\x05\x00", 3));
  EXPECT_FALSE(e.IsLoopBlock());
  e.FSubBlocks->SetStrings(0, std::string("\x01\x05\x00", 3));
  std::memcpy(e.FFixed + 1, "XETSCAPE2.0", 11);
  EXPECT_FALSE(e.IsLoopBlock());
}

TEST(GIFModelTest, ExtensionAssignKeepsOwnSubBlocksWhenSourceHasNone) {
  TExtension source, copy;
  source.FKind = ekComment;
  copy.FSubBlocks = new TStringList;
  copy.FSubBlocks->Add("kept");
  copy.Assign(&source);
  EXPECT_EQ(copy.FKind, ekComment);
  EXPECT_EQ(copy.FSubBlocks->Strings(0), "kept");
  source.FSubBlocks = new TStringList;
  source.FSubBlocks->Add("new");
  copy.Assign(&source);
  EXPECT_EQ(copy.FSubBlocks->Strings(0), "new");
}

class GIFFrameTest : public ::testing::Test {
 protected:
  TTestGIFOwner Owner;
  TGIFFrame Frame{&Owner};
};

TEST_F(GIFFrameTest, EmptyFrameHasNoSize) {
  EXPECT_EQ(Frame.FrameWidth(), 0);
  EXPECT_EQ(Frame.FrameHeight(), 0);
  EXPECT_TRUE(Frame.FrameBitmap()->Empty());
}

TEST_F(GIFFrameTest, CopiesShareEncodedDataAndOwnColoursFollowTheOwner) {
  Frame.FShared->FEncoded = new TMemoryStream;
  Frame.FShared->FEncoded->WriteBuffer("\x02\x01\x44\x00", 4);
  Frame.FOwnColors = false;
  auto* same = new TGIFFrame(&Owner);
  same->Assign(&Frame);
  EXPECT_EQ(same->FShared, Frame.FShared);
  EXPECT_FALSE(same->FOwnColors);
  EXPECT_EQ(Owner.Recalcs, 1);

  TTestGIFOwner other;
  TGIFFrame foreign(&other);
  foreign.Assign(same);
  EXPECT_TRUE(foreign.FOwnColors);
  delete same;  // the others keep the data
  EXPECT_EQ(Frame.FShared->RefCount(), 2);
  EXPECT_EQ(foreign.FShared->FEncoded->Size(), 4);
}

TEST_F(GIFFrameTest, CommentLinesAreCopiedOtherExtensionsAreNot) {
  TGIFFrame source(&Owner);
  TStringList lines;
  lines.Add("hello");
  source.AssignFrameComment(&lines);
  source.FExtList->push_back(new TExtension);  // a graphic control extension
  Frame.Assign(&source);
  ASSERT_NE(Frame.FrameCommentList(false), nullptr);
  EXPECT_EQ(Frame.FrameCommentList(false)->Strings(0), "hello");
  EXPECT_EQ(ExtensionOfKind(Frame.FExtList, ekGraphicControl), nullptr);
}

TEST_F(GIFFrameTest, SyncControlExtension) {
  Frame.SyncControlExtension();
  EXPECT_EQ(Frame.FExtList, nullptr);  // defaults need none
  EXPECT_EQ(Owner.Version, 0);

  Frame.FShared->FColors.Count = 2;
  Frame.FShared->FColors.Entries[1][2] = 0xFF;  // blue
  Frame.FDelayMs = 15;
  Frame.FTransColor = clBlue;
  Frame.FDisposalMethod = 2;
  Frame.SyncControlExtension();
  TExtension* e = ExtensionOfKind(Frame.FExtList, ekGraphicControl);
  ASSERT_NE(e, nullptr);
  const Byte expected[6] = {4, 1 | (2 << 2), 1, 0, 1, 0};
  EXPECT_EQ(std::memcmp(e->FFixed, expected, 6), 0);
  EXPECT_EQ(Owner.Version, 2);

  Frame.FTransColor = clRed;  // not in the table: the flag goes, the old index stays
  Frame.SyncControlExtension();
  EXPECT_EQ(e->FFixed[1] & 1, 0);
  EXPECT_EQ(e->FFixed[4], 1);
}

TEST_F(GIFFrameTest, EmptyCommentIsRemovedBeforeWriting) {
  Frame.FrameComment();
  ASSERT_EQ(Frame.FExtList->size(), 1u);
  Frame.SyncControlExtension();
  EXPECT_TRUE(Frame.FExtList->empty());
  EXPECT_EQ(Owner.Version, 0);
}

TEST_F(GIFFrameTest, FrameBitmapDecodesOnFirstUseAndRetriesAfterFailure) {
  TCodePacker p;
  for (int code : {4, 1, 0, 0}) p.Put(code, 3);
  p.Put(1, 4);  // the table reached 8 entries: codes are 4 bits wide now
  p.Put(5, 4);
  TMemoryStream block;
  LoadBytes(block, ImageBlock(2, 2, 0x80, {0, 0, 0, 255, 255, 255}, p.ImageData(2)));
  ReadFrame(&Frame, &block);
  TBitmap* bitmap = Frame.FrameBitmap();
  EXPECT_EQ(Frame.FrameWidth(), 2);
  EXPECT_EQ(bitmap->Pixel(0, 0), clWhite);
  EXPECT_EQ(bitmap->Pixel(1, 0), clBlack);
  EXPECT_EQ(bitmap->Pixel(1, 1), clWhite);
  EXPECT_EQ(Frame.FrameBitmap(), bitmap);  // kept

  TGIFFrame broken(&Owner);
  broken.FShared->FEncoded = new TMemoryStream;  // data but no colour depth
  EXPECT_THROW(broken.FrameBitmap(), EInvalidGraphicOperation);
  ASSERT_NE(broken.FDecoded, nullptr);
  EXPECT_TRUE(broken.FDecoded->Empty());
  EXPECT_THROW(broken.FrameBitmap(), EInvalidGraphicOperation);
}

TEST_F(GIFFrameTest, StretchDrawFrameMasksAsTheMaskedBitmapDrawingDoes) {
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.SetPixel(0, 0, clBlack);
  mono.SetPixel(1, 0, clWhite);
  Frame.Assign(&mono);
  ASSERT_TRUE(Frame.FrameBitmap()->Monochrome());
  Frame.FTransColor = clBlack;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(4, 1);
  for (int x = 0; x < 4; ++x) target.SetPixel(x, 0, clRed);
  // A monochrome frame leaves its white out, whatever its transparent colour.
  Frame.StretchDrawFrame(target.Canvas(), Rect(0, 0, 4, 1), true);
  EXPECT_EQ(target.Pixel(1, 0), clBlack);
  EXPECT_EQ(target.Pixel(2, 0), clRed);
  Frame.StretchDrawFrame(target.Canvas(), Rect(0, 0, 4, 1), false);
  EXPECT_EQ(target.Pixel(2, 0), clWhite);
}

TEST_F(GIFFrameTest, AssigningABitmapKeepsItsTransparentColour) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.SetTransparentColor(clLime);
  bitmap.SetTransparent(true);
  Frame.Assign(&bitmap);
  EXPECT_EQ(Frame.FrameWidth(), 3);
  EXPECT_EQ(Frame.FTransColor, clLime);
  EXPECT_EQ(Frame.FShared->FEncoded, nullptr);

  TBitmap out;
  Frame.FTransColor = clRed;
  Frame.FrameBitmap();
  static_cast<TPersistent&>(out).Assign(&Frame);
  EXPECT_TRUE(out.Transparent());
  EXPECT_EQ(out.Width(), 3);

  Frame.Assign(nullptr);
  EXPECT_EQ(Frame.FDecoded, nullptr);
  EXPECT_EQ(Frame.FTransColor, clNone);
}

}  // namespace
