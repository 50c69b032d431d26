// Reading image blocks and decoding their LZW data, checked against GIF
// files of an independent encoder and against hand-packed code streams.
#include "widgets/gx/GxGIFDecode.h"

#include <gtest/gtest.h>

#include "GxClearCodeOracle.h"
#include "GxGIFOracle.h"
#include "GxGIFTestOwner.h"
#include "platform/base/StringList.h"

namespace {

// Positions Stream just after the "," of the first image block of a whole
// GIF file and gives the owner its logical screen and global table.
void OpenFirstImageBlock(const std::vector<std::uint8_t>& Gif, TMemoryStream& Stream,
                         TTestGIFOwner& Owner, TGIFFrame& Frame) {
  LoadBytes(Stream, Gif);
  std::size_t at = 6;
  Owner.Width = Gif[at] | Gif[at + 1] << 8;
  Owner.Height = Gif[at + 2] | Gif[at + 3] << 8;
  const int packed = Gif[at + 4];
  at += 7;
  if (packed & 0x80) {
    TRGBTable& t = Owner.FData->FGlobalColors;
    t.Count = 1 << ((packed & 7) + 1);
    for (int i = 0; i < t.Count; ++i)
      for (int c = 0; c < 3; ++c) t.Entries[i][c] = Gif[at + 3 * i + c];
    at += 3 * t.Count;
    Frame.FShared->FColorDepth = Byte(ColorCountToBits(t.Count));
  }
  while (Gif.at(at) == 0x21) {  // skip extensions
    at += 2;
    while (Gif.at(at) != 0) at += Gif[at] + 1;
    ++at;
  }
  ASSERT_EQ(Gif.at(at), ',');
  Stream.SetPosition(std::int64_t(at + 1));
}

int SmallPixel(int x, int y) { return (x * 3 + y * 5 + (x * y) % 7) % 6; }

std::vector<int> NoisePixels(int Count) {
  std::vector<int> out;
  std::uint32_t v = 1;
  for (int i = 0; i < Count; ++i) {
    v = (v * 1103515245u + 12345u) & 0x7FFFFFFFu;
    out.push_back(int(v >> 16 & 0xFF));
  }
  return out;
}

class GIFDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override { GIFTolerant = true; }
  void TearDown() override { GIFTolerant = true; }

  // Reads Block (after ",") into a fresh frame with a global table of
  // GlobalDepth bits (0: none).
  TGIFFrame& Read(const std::vector<std::uint8_t>& Block, int GlobalDepth = 1) {
    if (GlobalDepth > 0) {
      Owner.FData->FGlobalColors.Count = 1 << GlobalDepth;
      Frame.FShared->FColorDepth = Byte(GlobalDepth);
    }
    LoadBytes(Source, Block);
    ReadFrame(&Frame, &Source);
    return Frame;
  }

  TTestGIFOwner Owner;
  TGIFFrame Frame{&Owner};
  TMemoryStream Source;
  TMemoryStream Bmp;
};

// Clear codes in a row are one clear; a clear right before the end code adds
// no pixel. Pixels as Pillow reads the same files.
TEST_F(GIFDecodeTest, ClearCodesInARowAndBeforeTheEndMatchAnIndependentDecoder) {
  for (const TClearCodeOracle& c : ClearCodeOracles) {
    SCOPED_TRACE(c.Name);
    TTestGIFOwner owner;
    TGIFFrame frame(&owner);
    TMemoryStream stream;
    OpenFirstImageBlock(c.Gif, stream, owner, frame);
    ReadFrame(&frame, &stream);
    TMemoryStream bmp;
    for (bool tolerant : {true, false}) {
      GIFTolerant = tolerant;
      ASSERT_NO_THROW(DecodeFrame(&frame, &bmp));
      EXPECT_FALSE(frame.FDamaged);
      int wrong = 0;
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) wrong += BmpPixel(bmp, x, y) != c.Pixels[std::size_t(y * 13 + x)];
      EXPECT_EQ(wrong, 0) << c.Bits << " bits";
    }
  }
}

TEST_F(GIFDecodeTest, DecodesIndependentEncoderOutput) {
  struct Case {
    const std::vector<std::uint8_t>* Gif;
    bool Interlaced;
  };
  for (Case c : {Case{&OracleSmall, false}, Case{&OracleSmallInterlaced, true}}) {
    TTestGIFOwner owner;
    TGIFFrame frame(&owner);
    TMemoryStream stream;
    OpenFirstImageBlock(*c.Gif, stream, owner, frame);
    ReadFrame(&frame, &stream);
    EXPECT_EQ(frame.FIsInterlaced, c.Interlaced);
    TMemoryStream bmp;
    DecodeFrame(&frame, &bmp);
    EXPECT_FALSE(frame.FDamaged);
    const auto* b = static_cast<const std::uint8_t*>(bmp.Memory());
    EXPECT_EQ(b[28], 4);  // 8-entry table -> 4-bit bitmap
    // Palette entries beyond the table are 128 x 4; entry 0 is red as B, G, R, 0.
    EXPECT_EQ(b[54 + 0] | b[54 + 1] << 8 | b[54 + 2] << 16, 0xFF0000);
    EXPECT_EQ(b[54 + 4 * 8], 128);
    EXPECT_EQ(b[54 + 4 * 15 + 3], 128);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 23; ++x) ASSERT_EQ(BmpPixel(bmp, x, y), SmallPixel(x, y)) << x << "," << y;
  }
}

TEST_F(GIFDecodeTest, DecodesFullTableWithClearCodesFromIndependentEncoder) {
  TMemoryStream stream;
  OpenFirstImageBlock(OracleNoise, stream, Owner, Frame);
  ReadFrame(&Frame, &stream);
  DecodeFrame(&Frame, &Bmp);
  const std::vector<int> expected = NoisePixels(96 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 96; ++x) ASSERT_EQ(BmpPixel(Bmp, x, y), expected[y * 96 + x]) << x << "," << y;
  // Progress: starting, running..., ending with 100.
  ASSERT_GE(Owner.Stages.size(), 3u);
  EXPECT_EQ(Owner.Stages.front(), psStarting);
  EXPECT_EQ(Owner.Stages.back(), psEnding);
  EXPECT_EQ(Owner.LastPercent, 100);
}

TEST_F(GIFDecodeTest, TwoColourImageBecomesOneBitBitmap) {
  // Codes (min size 2, 3 bits): clear, 1, 0, 1, end -> pixels 1 0 1.
  TCodePacker p;
  for (int code : {4, 1, 0, 1}) p.Put(code, 3);
  p.Put(5, 3);
  Read(ImageBlock(3, 1, 0x80, {0, 0, 0, 255, 255, 255}, p.ImageData(2)), 0);
  DecodeFrame(&Frame, &Bmp);
  const auto* b = static_cast<const std::uint8_t*>(Bmp.Memory());
  EXPECT_EQ(b[28], 1);
  EXPECT_EQ(Bmp.Size(), 54 + 8 + 4);
  EXPECT_EQ(BmpPixel(Bmp, 0, 0), 1);
  EXPECT_EQ(BmpPixel(Bmp, 1, 0), 0);
  EXPECT_EQ(BmpPixel(Bmp, 2, 0), 1);
}

TEST_F(GIFDecodeTest, CodeOfTheNextFreeEntryAndSmallMinimumCodeSizeOnLargeTable) {
  // 8-bit colour depth, minimum code size 4: clear 16, end 17, first table code 18.
  // Codes: clear, 3, 18 (= the next free code: "3 3"), 19 ("3 3 3"... as
  // entry 19 = 18 + first of 18), end -> 3 3 3 3 3 3.
  TCodePacker p;
  p.Put(16, 5);
  p.Put(3, 5);
  p.Put(18, 5);
  p.Put(19, 5);
  p.Put(17, 5);
  Read(ImageBlock(6, 1, 0, {}, p.ImageData(4)), 8);
  DecodeFrame(&Frame, &Bmp);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(BmpPixel(Bmp, x, 0), 3) << x;
}

TEST_F(GIFDecodeTest, TableStopsGrowingAtTwelveBitsUntilClear) {
  // 4094 pixel codes of 0/1 fill the table (entries 6..4095); codes then stay
  // 12 bits wide; the rest still decode.
  TCodePacker p;
  const int minSize = 2;
  int size = 3, next = 6;  // first table entry after clear 4, end 5
  std::vector<int> pixels;
  p.Put(4, size);
  bool first = true;
  for (int i = 0; i < 4095; ++i) {
    const int pixel = i % 2;
    p.Put(pixel, size);
    pixels.push_back(pixel);
    if (first) {
      first = false;
      continue;
    }
    if (next < 4096 && ++next >= (1 << size) && size < 12) ++size;
  }
  ASSERT_EQ(size, 12);
  // A table code after the table is full: entry 6 = "0 1".
  p.Put(6, 12);
  pixels.push_back(0);
  pixels.push_back(1);
  p.Put(5, 12);
  const int width = int(pixels.size());
  Read(ImageBlock(width, 1, 0, {}, p.ImageData(minSize)), 1);
  DecodeFrame(&Frame, &Bmp);
  EXPECT_FALSE(Frame.FDamaged);
  for (int x = 0; x < width; ++x) ASSERT_EQ(BmpPixel(Bmp, x, 0), pixels[x]) << x;
}

TEST_F(GIFDecodeTest, InterlacedRowOrder) {
  auto order = [](int height) {
    std::vector<int> rows;
    int pass = 0;
    for (int row = 0; row < height; row = NextInterlacedRow(row, height, pass)) rows.push_back(row);
    return rows;
  };
  EXPECT_EQ(order(5), (std::vector<int>{0, 4, 2, 1, 3}));
  EXPECT_EQ(order(1), (std::vector<int>{0}));
  EXPECT_EQ(order(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST_F(GIFDecodeTest, ZeroSizeTakesTheLogicalScreen) {
  Owner.Width = 2;
  Owner.Height = 2;
  TCodePacker p;
  for (int code : {4, 1, 1, 1, 1, 5}) p.Put(code, 3);
  Read(ImageBlock(0, 0, 0, {}, p.ImageData(2)));
  EXPECT_EQ(Frame.FShared->FExtent, (TSize{2, 2}));
  DecodeFrame(&Frame, &Bmp);
  EXPECT_EQ(BmpPixel(Bmp, 1, 1), 1);
}

TEST_F(GIFDecodeTest, ControlExtensionsGiveLargestDelayAndLastTransparency) {
  auto control = [](int packed, int delay, int index) {
    auto* e = new TExtension;
    e->FKind = ekGraphicControl;
    const Byte fixed[6] = {4, Byte(packed), Byte(delay), Byte(delay >> 8), Byte(index), 0};
    std::copy(fixed, fixed + 6, e->FFixed);
    return e;
  };
  Frame.FExtList = new TExtensionList{control(1 | (2 << 2), 5, 0), control(1 | (3 << 2), 10, 1)};
  TCodePacker p;
  for (int code : {4, 1, 5}) p.Put(code, 3);
  Read(ImageBlock(1, 1, 0x80, {1, 2, 3, 4, 5, 6}, p.ImageData(2)), 0);
  EXPECT_EQ(Frame.FDelayMs, 100);
  EXPECT_EQ(Frame.FTransColor, 0x060504);
  EXPECT_EQ(Frame.FDisposalMethod, 3);
  EXPECT_TRUE(Frame.FOwnColors);

  // An index beyond the table leaves the colour as it was; a clear flag removes it.
  ClearExtensionList(Frame.FExtList);
  Frame.FExtList = new TExtensionList{control(1, 0, 200)};
  Read(ImageBlock(1, 1, 0x80, {1, 2, 3, 4, 5, 6}, p.ImageData(2)), 0);
  EXPECT_EQ(Frame.FTransColor, 0x060504);
  ClearExtensionList(Frame.FExtList);
  Frame.FExtList = new TExtensionList{control(0, 7000, 0)};
  Read(ImageBlock(1, 1, 0x80, {1, 2, 3, 4, 5, 6}, p.ImageData(2)), 0);
  EXPECT_EQ(Frame.FTransColor, clNone);
  EXPECT_EQ(Frame.FDelayMs, 0xFFFF);  // 70000 ms does not fit: held at the most that does
}

TEST_F(GIFDecodeTest, TruncatedSubBlockStrictAndTolerant) {
  TCodePacker p;
  for (int i = 0; i < 40; ++i) p.Put(i % 2, 3);
  std::vector<std::uint8_t> data = p.ImageData(2);
  data.resize(data.size() - 6);  // cut inside the sub-block
  const auto block = ImageBlock(40, 1, 0, {}, data);

  GIFTolerant = false;
  try {
    Read(block);
    FAIL() << "strict read accepted truncated data";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_EQ(Frame.FShared->FEncoded, nullptr);

  GIFTolerant = true;
  Read(block);
  EXPECT_TRUE(Frame.FDamaged);
  EXPECT_EQ(Frame.FShared->FEncoded->Size(), 1);  // only the code size byte
  EXPECT_EQ(Source.Position(), Source.Size());
  EXPECT_THROW(DecodeFrame(&Frame, &Bmp), EInvalidGraphicOperation);
}

TEST_F(GIFDecodeTest, CutDescriptorOrTableIsAReadError) {
  EXPECT_THROW(Read({1, 0, 0, 0, 2}), EReadError);
  EXPECT_THROW(Read(ImageBlock(1, 1, 0x81, {1, 2, 3}, {})), EReadError);
  EXPECT_THROW(Read(ImageBlock(1, 1, 0, {}, {})), EReadError);
}

TEST_F(GIFDecodeTest, CodeSizeOutOfRange) {
  TCodePacker p;
  for (int code : {4, 1, 5}) p.Put(code, 3);
  const auto block = ImageBlock(1, 1, 0, {}, p.ImageData(1));
  Read(block);
  GIFTolerant = false;
  try {
    DecodeFrame(&Frame, &Bmp);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "GIF code size not in range 2 to 9");
  }
  GIFTolerant = true;
  DecodeFrame(&Frame, &Bmp);  // clamped to 2
  EXPECT_TRUE(Frame.FDamaged);
  EXPECT_EQ(BmpPixel(Bmp, 0, 0), 1);
}

TEST_F(GIFDecodeTest, CyclicTableChainIsCorrupt) {
  // A code sent before its entry exists becomes the prefix of the next
  // entry; entry 4095 is then made with that entry as its prefix, so the two
  // point at each other and expanding either never ends.
  TCodePacker p;
  int size = 3, next = 6;
  auto put = [&](int code) {
    p.Put(code, size);
    if (next < 4096 && ++next >= (1 << size) && size < 12) ++size;
  };
  p.Put(4, 3);
  p.Put(1, 3);
  while (next < 2100) put(1);
  const int looped = next + 1;
  put(4095);  // unknown yet: entry `next` from the previous string
  put(1);     // entry `looped` = (4095, 1)
  while (next < 4094) put(1);
  put(looped);
  put(1);     // entry 4095 = (looped, ...): the loop is closed
  put(looped);
  p.Put(5, 12);
  const auto block = ImageBlock(20000, 1, 0, {}, p.ImageData(2));

  Read(block);
  GIFTolerant = false;
  try {
    DecodeFrame(&Frame, &Bmp);
    FAIL() << "strict decoding accepted a looping chain";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "GIF encoded data is corrupt");
  }
  GIFTolerant = true;
  Read(block);
  DecodeFrame(&Frame, &Bmp);
  EXPECT_TRUE(Frame.FDamaged);
  EXPECT_EQ(BmpPixel(Bmp, 19999, 0), 0);  // never reached
}

TEST_F(GIFDecodeTest, AbsurdDeclaredSizeIsRefusedBeforeAllocation) {
  TCodePacker p;
  for (int code : {4, 1, 5}) p.Put(code, 3);
  Read(ImageBlock(65535, 65535, 0, {}, p.ImageData(2)));
  try {
    DecodeFrame(&Frame, &Bmp);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "GIF encoded data is corrupt");
  }
}

TEST_F(GIFDecodeTest, EndCodeBeforeLastRowLeavesZeroPixelsAndMissingDataFails) {
  TCodePacker p;
  for (int code : {4, 1, 1, 5}) p.Put(code, 3);
  Read(ImageBlock(2, 2, 0, {}, p.ImageData(2)));
  DecodeFrame(&Frame, &Bmp);
  EXPECT_EQ(BmpPixel(Bmp, 1, 0), 1);
  EXPECT_EQ(BmpPixel(Bmp, 0, 1), 0);

  TCodePacker q;
  for (int code : {4, 1}) q.Put(code, 3);  // 6 bits: no room for another code
  Read(ImageBlock(2, 2, 0, {}, q.ImageData(2)));
  EXPECT_THROW(DecodeFrame(&Frame, &Bmp), EInvalidGraphicOperation);
  EXPECT_EQ(Owner.Stages.back(), psEnding);
  EXPECT_EQ(Owner.LastMessage, "Stream read error");
}

TEST_F(GIFDecodeTest, FrameWithoutColourTableCannotBeDecoded) {
  TCodePacker p;
  for (int code : {4, 1, 5}) p.Put(code, 3);
  Read(ImageBlock(1, 1, 0, {}, p.ImageData(2)), 0);
  try {
    DecodeFrame(&Frame, &Bmp);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Wrong number of colors; must be a power of 2");
  }
}

}  // namespace
