#include "widgets/gx/AniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "AniTestFiles.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/controls/Dialogs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "widgets/gx/IcoList.h"

using namespace anitest;

namespace {

void Load(TAnimatedCursorImage& Image, const Bytes& File) {
  TMemoryStream stream;
  if (!File.empty()) stream.WriteBuffer(File.data(), int(File.size()));
  stream.SetPosition(0);
  Image.LoadFromStream(&stream);
}

void ExpectReadError(TAnimatedCursorImage& Image, const Bytes& File) {
  try {
    Load(Image, File);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

// A three-frame cursor as a drawing program writes it.
Bytes ThreeFrameFile() {
  Bytes chunks;
  Append(chunks, Anih(3, 3, 10));
  Append(chunks, Fram({Icon32(1), Icon32(2), Icon32(3)}));
  return Riff(chunks);
}

}  // namespace

TEST(AnimatedCursorRead, HeaderFramesGetTheirIconsAtTheDefaultRate) {
  TAnimatedCursorImage image;
  Load(image, ThreeFrameFile());
  ASSERT_EQ(image.FrameCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(image.Frames(i)->IconIndex(), i);
    EXPECT_EQ(image.Frames(i)->RateJiffies(), 10u);
    ASSERT_NE(image.FrameIcons(i), nullptr);
    EXPECT_EQ(image.FrameIcons(i)->Width(), 32);
    EXPECT_TRUE(image.Frames(i)->PlainIcon());
    EXPECT_EQ(image.Frames(i)->HotSpot(), (TPoint{16, 16}));
    EXPECT_EQ(std::string(image.Frames(i)->ChunkHeader().Id.data(), 4), "icon");
  }
  EXPECT_NE(image.FrameIcons(0), image.FrameIcons(1));
  EXPECT_EQ(image.AniHeader().StepCount, 3u);
  EXPECT_EQ(image.ColorCount(), 16);
  EXPECT_THROW(image.Frames(3), EListError);
  EXPECT_THROW(image.FrameIcons(-1), EListError);
}

TEST(AnimatedCursorRead, WithoutHeaderEveryIconIsItsOwnFrame) {
  TAnimatedCursorImage image;
  Load(image, Riff(Fram({Icon32(1), Icon32(2)})));
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.Frames(0)->IconIndex(), -1);
  EXPECT_EQ(image.Frames(1)->RateJiffies(), 0u);
}

TEST(AnimatedCursorRead, RateAndSequenceValuesGoToTheFramesInOrder) {
  Bytes chunks;
  Append(chunks, Anih(2, 3, 10));
  Append(chunks, Values("rate", {5, 7, 9}));  // the third value has no frame
  Append(chunks, Values("seq ", {1, 0, 1}));
  Append(chunks, Fram({Icon32(1), Icon32(2)}));
  TAnimatedCursorImage image;
  Load(image, Riff(chunks));
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.Frames(0)->RateJiffies(), 5u);
  EXPECT_EQ(image.Frames(1)->RateJiffies(), 7u);
  EXPECT_EQ(image.Frames(0)->IconIndex(), 1);
  EXPECT_EQ(image.Frames(1)->IconIndex(), 0);
}

TEST(AnimatedCursorRead, CursorChunkKeepsTheHotSpotOfItsLastEntry) {
  Bytes cursor = IconFile(2, {{32, 4, 1, 3, 4}, {16, 4, 1, 5, 6}});
  TAnimatedCursorImage image;
  Load(image, Riff(Fram({cursor})));
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_FALSE(image.Frames(0)->PlainIcon());
  EXPECT_EQ(image.Frames(0)->HotSpot(), (TPoint{5, 6}));
}

TEST(AnimatedCursorRead, OddSizedChunksAndLongTitlesKeepTheChunkAlignment) {
  Bytes odd = Icon32(1);
  odd.push_back(0xAB);  // odd size: a pad byte follows
  ASSERT_EQ(odd.size() % 2, 1u);
  Bytes info;
  Append(info, Chunk("INAM", Bytes(300, 'a')));
  Append(info, Chunk("IART", Bytes{'m', 'e'}));
  Bytes chunks = List("INFO", info);
  Append(chunks, Fram({odd, Icon32(2)}));
  TAnimatedCursorImage image;
  Load(image, Riff(chunks));
  EXPECT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.TitleText(), std::string(255, 'a'));
  EXPECT_EQ(image.CreatorText(), "me");
}

TEST(AnimatedCursorRead, DamagedFilesRaiseAndEarlyFailuresKeepTheImage) {
  TAnimatedCursorImage image;
  Load(image, ThreeFrameFile());
  ExpectReadError(image, Bytes{'R', 'I', 'F'});
  Bytes lower = ThreeFrameFile();
  lower[8] = 'a';  // "aCON"
  ExpectReadError(image, lower);
  ExpectReadError(image, Riff(Fram({Icon32()}), "ACOM"));
  EXPECT_EQ(image.FrameCount(), 3);  // nothing read yet: the frames stay

  ExpectReadError(image, Riff(Anih(1, 1, 10, 0)));     // frames not icons
  ExpectReadError(image, Riff(Anih(1, 0, 10)));        // no steps
  ExpectReadError(image, Riff(Anih(1, 1, 10)));        // no icon at all
  ExpectReadError(image, Riff(Fram({Bytes(20, 0)})));  // not an icon: no frame left

  // An icon chunk that claims more than the file holds.
  Bytes cut = Riff(Fram({Icon32()}));
  cut.resize(cut.size() - 100);
  ExpectReadError(image, cut);

  // Nothing left to read changes nothing.
  Load(image, ThreeFrameFile());
  Load(image, Bytes{});
  EXPECT_EQ(image.FrameCount(), 3);
}

TEST(AnimatedCursorRead, HeaderCountsBeyondTheDataMakeNoFrames) {
  Bytes chunks;
  Append(chunks, Anih(0xFFFFFFFFu, 0xFFFFFFFFu, 1));
  Append(chunks, Fram({Icon32(), Icon32(2)}));
  TAnimatedCursorImage image;
  Load(image, Riff(chunks));
  EXPECT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.AniHeader().StepCount, 2u);

  // Thousands of headers each claiming four billion frames: the waiting
  // frames stay bounded by the data (this would need billions of frames
  // otherwise), and the one icon still reaches frame 0 of the first header.
  Bytes many;
  for (int i = 0; i < 5000; ++i) Append(many, Anih(0xFFFFFFFFu, 1, 1));
  Append(many, Fram({Icon32()}));
  Load(image, Riff(many));
  EXPECT_EQ(image.FrameCount(), 1);
}

TEST(AnimatedCursorRead, NegativeAndHugeChunkSizesEndTheReadCleanly) {
  Bytes chunks = Fram({Icon32()});
  Bytes bogus;
  PutId(bogus, "junk");
  Put32(bogus, 0x80000000u);
  Append(chunks, bogus);
  TAnimatedCursorImage image;
  Load(image, Riff(chunks));
  EXPECT_EQ(image.FrameCount(), 1);

  Bytes list;
  PutId(list, "LIST");
  Put32(list, 0xFFFFFFF0u);
  PutId(list, "fram");
  ExpectReadError(image, Riff(list));  // no icon read
}

TEST(AnimatedCursorCopy, AssignCopiesFramesAndIconsIndependently) {
  TAnimatedCursorImage source, copy;
  Load(source, ThreeFrameFile());
  copy.Assign(&source);
  ASSERT_EQ(copy.FrameCount(), 3);
  EXPECT_NE(copy.FrameIcons(0), source.FrameIcons(0));
  EXPECT_EQ(copy.FrameIcons(2)->Width(), 32);
  EXPECT_EQ(copy.Frames(1)->IconIndex(), 1);
  source.Clear();
  EXPECT_EQ(copy.FrameCount(), 3);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.FrameCount(), 0);
  TBitmap other;
  EXPECT_THROW(copy.Assign(&other), EConvertError);
}

TEST(AnimatedCursorCopy, AssignsToIconAndIconList) {
  TAnimatedCursorImage image;
  Load(image, ThreeFrameFile());
  TIcon icon;
  icon.Assign(&image);
  EXPECT_EQ(icon.Width(), 32);

  TIconList list;
  int changes = 0;
  list.SetOnChange([&](TObject*) { ++changes; });
  list.Assign(&image);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 1);

  image.Clear();
  icon.Assign(&image);
  EXPECT_TRUE(icon.Empty());
}

TEST(AnimatedCursorCopy, StripIsReducedToTheIconColours) {
  Bytes chunks;
  Append(chunks, Anih(4, 4, 10));
  Bytes see = IconFile(1, {{32, 24, 0x000000, 0, 0, true}});  // true colour, all see-through
  Append(chunks, Fram({see, Icon32(9), Icon32(9), Icon32(9)}));
  TAnimatedCursorImage image;
  Load(image, Riff(chunks));
  ASSERT_EQ(image.FrameCount(), 4);

  TBitmap strip;
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Assign(&image);
  EXPECT_EQ(strip.Width(), 128);
  EXPECT_EQ(strip.Height(), 32);
  EXPECT_EQ(strip.BitsPerPixel(), 4);
  EXPECT_EQ(strip.Pixel(5, 5), clRed);  // the see-through frame shows the brush

  // One 256-colour icon brings the strip to 8 bits.
  Bytes rich;
  Append(rich, Anih(2, 2, 10));
  Append(rich, Fram({Icon32(200, 8), Icon32(3)}));
  Load(image, Riff(rich));
  EXPECT_EQ(image.ColorCount(), 256);
  strip.Assign(&image);
  EXPECT_EQ(strip.Width(), 64);
  EXPECT_EQ(strip.BitsPerPixel(), 8);

  TBitmap vertical;
  image.FramesToStrip(&vertical, clWhite, true, false);
  EXPECT_EQ(vertical.Width(), 32);
  EXPECT_EQ(vertical.Height(), 64);
}

TEST(AnimatedCursorFile, SaveWritesNothingAndLoadFailureEmpties) {
  TAnimatedCursorImage image;
  Load(image, ThreeFrameFile());
  TMemoryStream out;
  {
    TMessageBoxCapture boxes;
    EXPECT_THROW(image.SaveToStream(&out), EAbort);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Function not yet implemented");
  }
  EXPECT_EQ(out.Size(), 0);

  std::string name = ::testing::TempDir() + "gxmisc_bad.ani";
  Bytes bad = Riff(Anih(1, 1, 10));
  std::FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bad.data(), 1, bad.size(), f);
  std::fclose(f);
  EXPECT_THROW(image.LoadFromFile(name), EReadError);
  EXPECT_EQ(image.FrameCount(), 0);
  std::remove(name.c_str());
}
