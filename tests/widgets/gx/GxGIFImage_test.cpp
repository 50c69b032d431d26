#include "widgets/gx/GxGIFImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Streams.h"
#include "platform/base/StringList.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Clipboard.h"
#include "widgets/gx/AniFile.h"
#include "AniTestFiles.h"

namespace {

using Bytes = std::vector<Byte>;

void Append(Bytes& b, std::initializer_list<int> v) {
  for (int x : v) b.push_back(Byte(x));
}
void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// Header, 2 x 2 logical screen, 4-entry global table (red, green, blue,
// white) with colour resolution 2 (as the writer puts it), background index 1.
Bytes Head(const std::string& signature = "GIF89a") {
  Bytes b;
  Append(b, signature);
  Append(b, {2, 0, 2, 0, 0x91, 1, 0});
  Append(b, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  return b;
}

// One 2 x 2 image block: pixels 0 1 / 2 3 (codes clear, 0, 1, 2, 3, end).
void Frame(Bytes& b) {
  Append(b, {',', 0, 0, 0, 0, 2, 0, 2, 0, 0});
  Append(b, {2, 3, 0x44, 0x34, 0x05, 0});
}

// An image block whose codes run out after one pixel (clear, 0).
void BrokenFrame(Bytes& b) {
  Append(b, {',', 0, 0, 0, 0, 2, 0, 2, 0, 0});
  Append(b, {2, 1, 0x04, 0});
}

void GraphicControl(Bytes& b, int delay, bool transparent, int index, int disposal = 1) {
  Append(b, {'!', 0xF9, 4, (disposal << 2) | (transparent ? 1 : 0), delay & 0xFF, delay >> 8, index, 0});
}

void LoopBlock(Bytes& b, int count) {
  Append(b, {'!', 0xFF, 11});
  Append(b, "NETSCAPE2.0");
  Append(b, {3, 1, count & 0xFF, count >> 8, 0});
}

void Comment(Bytes& b, const std::vector<std::string>& blocks) {
  Append(b, {'!', 0xFE});
  for (const std::string& s : blocks) {
    b.push_back(Byte(s.size()));
    Append(b, s);
  }
  b.push_back(0);
}

void Load(TGIFImage& image, const Bytes& gif) {
  TMemoryStream stream;
  if (!gif.empty()) stream.WriteBuffer(gif.data(), int(gif.size()));
  stream.SetPosition(0);
  image.LoadFromStream(&stream);
}

Bytes Save(TGIFImage& image, bool withLength = false) {
  TMemoryStream stream;
  if (withLength)
    image.WriteData(&stream);
  else
    image.SaveToStream(&stream);
  const Byte* p = static_cast<const Byte*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

struct ChangeCounter {
  int Count = 0;
  void Attach(TGraphic& g) {
    g.SetOnChange([this](TObject*) { ++Count; });
  }
};

template <class E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

TBitmap* Solid(TBitmap& bitmap, int w, int h, TColor color) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap.SetPixel(x, y, color);
  return &bitmap;
}

}  // namespace

TEST(GxGIFImage, EmptyImageHasNoSizeDrawsAndWritesNothing) {
  TGIFImage image;
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 0);
  EXPECT_EQ(image.LogicalWidth(), 0);
  EXPECT_EQ(image.LogicalHeight(), 0);
  EXPECT_TRUE(image.Palette().empty());
  EXPECT_EQ(image.CurrentIndex(), -1);
  TClipboardFormat format = 0;
  Bytes data;
  image.SaveToClipboardFormat(format, data);
  EXPECT_EQ(format, 0);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { Save(image); }), "No GIF Data to write");
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { image.SetWidth(3); }),
            "Cannot change the Size of a GIF image");
  EXPECT_EQ(MessageOf<EListError>([&] { image.FrameAt(5); }), "List index out of bounds (5)");
}

TEST(GxGIFImage, ReadsScreenTableExtensionsLoopAndFrame) {
  Bytes gif = Head("gif89A");  // case does not matter
  LoopBlock(gif, 65535);
  GraphicControl(gif, 5, true, 0);
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  std::vector<TGIFProgressStage> stages;
  image.SetOnProgress([&](TObject* sender, TGIFProgressStage stage, Byte, bool, const TRect&,
                          const std::string&) {
    EXPECT_EQ(sender, &image);
    stages.push_back(stage);
  });
  Load(image, gif);

  EXPECT_EQ(changes.Count, 1);
  ASSERT_FALSE(stages.empty());  // frame 0 was decoded, and said so
  EXPECT_EQ(stages.front(), psStarting);
  EXPECT_EQ(stages.back(), psEnding);
  EXPECT_EQ(image.GifVersion(), 2);
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.CurrentIndex(), 0);
  EXPECT_EQ(image.LogicalWidth(), 2);
  EXPECT_EQ(image.LogicalHeight(), 2);
  EXPECT_EQ(image.BackColor(), RGB(0, 255, 0));
  EXPECT_TRUE(image.LoopAnimation());
  EXPECT_EQ(image.LoopCount(), 30000);
  EXPECT_TRUE(image.PaletteModified());
  TGIFFrame* frame = image.FrameAt(0);
  EXPECT_EQ(frame->FDelayMs, 50);
  EXPECT_EQ(frame->FTransColor, RGB(255, 0, 0));
  EXPECT_EQ(frame->FDisposalMethod, 1);
  EXPECT_TRUE(image.Transparent());
  ASSERT_NE(frame->FDecoded, nullptr);  // frame 0 is decoded at load
  TBitmap* bitmap = image.CurrentBitmap();
  EXPECT_EQ(bitmap->Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(bitmap->Pixel(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(bitmap->Pixel(0, 1), RGB(0, 0, 255));
  EXPECT_EQ(bitmap->Pixel(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(image.Width(), 2);
}

TEST(GxGIFImage, SignatureAndVersionAreChecked) {
  for (const char* signature : {"GIF88a", "GIT89a"}) {
    Bytes gif = Head(signature);
    Frame(gif);
    TGIFImage image;
    ChangeCounter changes;
    changes.Attach(image);
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { Load(image, gif); }), "Unknown GIF version")
        << signature;
    EXPECT_EQ(image.FrameCount(), 0);
    EXPECT_EQ(changes.Count, 0);
  }
  Bytes old = Head("GIF87a");
  Frame(old);
  TGIFImage image;
  Load(image, old);
  EXPECT_EQ(image.GifVersion(), 1);
}

TEST(GxGIFImage, BlockStructureIsTolerant) {
  // Zero bytes between blocks, loop count 0, no trailer.
  Bytes gif = Head();
  gif.push_back(0);
  LoopBlock(gif, 0);
  Append(gif, {0, 0});
  Frame(gif);
  gif.push_back(0);
  Frame(gif);
  TGIFImage image;
  Load(image, gif);
  EXPECT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.LoopCount(), 0);

  // Bytes after the trailer are ignored.
  Bytes trailing = Head();
  Frame(trailing);
  Append(trailing, {';', 'x', 'y', ','});
  Load(image, trailing);
  EXPECT_EQ(image.FrameCount(), 1);
}

TEST(GxGIFImage, CommentsAfterLastFrameBecomeTheImageComment) {
  Bytes gif = Head();
  Comment(gif, {"frame note"});
  Frame(gif);
  Comment(gif, {"one", "two"});
  Comment(gif, {"three"});
  gif.push_back(';');
  TGIFImage image;
  Load(image, gif);
  TStringList* comment = image.GlobalData()->FCommentLines;
  ASSERT_EQ(comment->Count(), 4);
  EXPECT_EQ(comment->Strings(0), "one");
  EXPECT_EQ(comment->Strings(1), "two");
  EXPECT_EQ(comment->Strings(2), "\r\n\r\n");
  EXPECT_EQ(comment->Strings(3), "three");
  TStrings* frameComment = image.FrameAt(0)->FrameCommentList(false);
  ASSERT_NE(frameComment, nullptr);
  EXPECT_EQ(frameComment->Strings(0), "frame note");
}

TEST(GxGIFImage, PlainTextCancelsTheControlBlockBeforeIt) {
  Bytes gif = Head();
  GraphicControl(gif, 20, true, 0);
  Append(gif, {'!', 0x01, 12, 0, 0, 0, 0, 2, 0, 2, 0, 1, 1, 0, 0, 2, 'h', 'i', 0});
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  Load(image, gif);
  EXPECT_EQ(image.FrameAt(0)->FDelayMs, 0);
  EXPECT_EQ(image.FrameAt(0)->FTransColor, clNone);
}

TEST(GxGIFImage, BadBlocksRaiseAndKeepEarlierFrames) {
  Bytes unknown = Head();
  Frame(unknown);
  Append(unknown, {'!', 0x02, 0});
  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { Load(image, unknown); }),
            "Unrecognized extension block: 02");
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.CurrentIndex(), -1);

  Bytes junk = Head();
  Append(junk, {'x'});
  Frame(junk);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { Load(image, junk); }), "Stream read error");
  EXPECT_EQ(changes.Count, 0);

  Bytes cut = Head();
  cut.resize(cut.size() - 2);  // global table cut off
  EXPECT_EQ(MessageOf<EReadError>([&] { Load(image, cut); }), "Stream read error");
  EXPECT_EQ(image.FrameCount(), 0);
}

TEST(GxGIFImage, UndecodableFirstFrameIsDropped) {
  Bytes gif = Head();
  BrokenFrame(gif);
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  EXPECT_THROW(Load(image, gif), EInvalidGraphicOperation);
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.CurrentIndex(), 0);
  EXPECT_EQ(changes.Count, 0);
}

TEST(GxGIFImage, LayoutValueCarriesItsLength) {
  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  TMemoryStream zero;
  Byte none[4] = {0, 0, 0, 0};
  zero.WriteBuffer(none, 4);
  zero.SetPosition(0);
  image.ReadData(&zero);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(changes.Count, 1);

  // A length beyond the data is a read error, and nothing is allocated for it.
  TMemoryStream lying;
  Byte huge[6] = {0xFF, 0xFF, 0xFF, 0x7F, 'G', 'I'};
  lying.WriteBuffer(huge, 6);
  lying.SetPosition(0);
  EXPECT_THROW(image.ReadData(&lying), EReadError);
  EXPECT_TRUE(image.Empty());

  Bytes gif = Head();
  Frame(gif);
  gif.push_back(';');
  Load(image, gif);
  Bytes stored = Save(image, true);
  ASSERT_GE(stored.size(), 4u);
  std::uint32_t length = stored[0] | stored[1] << 8 | stored[2] << 16 | stored[3] << 24;
  EXPECT_EQ(length, stored.size() - 4);
  TMemoryStream back;
  back.WriteBuffer(stored.data(), int(stored.size()));
  back.SetPosition(0);
  TGIFImage copy;
  copy.ReadData(&back);
  EXPECT_EQ(copy.CurrentBitmap()->Pixel(1, 1), RGB(255, 255, 255));
}

TEST(GxGIFImage, WritingKeepsReadDataAndDropsLoneLoopBlock) {
  Bytes gif = Head();
  LoopBlock(gif, 3);
  GraphicControl(gif, 10, true, 2);
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  Load(image, gif);
  Bytes written = Save(image);
  // A one-frame image loses its loop block; the rest comes back as read.
  Bytes expected = Head();
  GraphicControl(expected, 10, true, 2);
  Frame(expected);
  expected.push_back(';');
  EXPECT_EQ(written, expected);

  Bytes two = Head();
  LoopBlock(two, 3);
  Frame(two);
  Frame(two);
  two.push_back(';');
  Load(image, two);
  EXPECT_EQ(Save(image), two);
}

TEST(GxGIFImage, VersionFollowsFramesAndComment) {
  TBitmap bitmap;
  TGIFImage image;
  image.Assign(Solid(bitmap, 3, 2, clRed));
  EXPECT_EQ(image.GifVersion(), 1);
  Bytes one = Save(image);
  EXPECT_EQ(std::string(one.begin(), one.begin() + 6), "GIF87a");
  EXPECT_EQ(image.LogicalWidth(), 3);
  EXPECT_EQ(image.LogicalHeight(), 2);

  image.GlobalData()->FCommentLines->Add(std::string(300, 'c'));
  image.GlobalData()->FCommentLines->Add("");
  image.GlobalData()->FCommentLines->Add("end");
  Bytes commented = Save(image);
  EXPECT_EQ(std::string(commented.begin(), commented.begin() + 6), "GIF89a");
  TGIFImage reread;
  Load(reread, commented);
  TStringList* comment = reread.GlobalData()->FCommentLines;
  ASSERT_EQ(comment->Count(), 2);
  EXPECT_EQ(comment->Strings(0), std::string(255, 'c'));
  EXPECT_EQ(comment->Strings(1), "end");
  EXPECT_EQ(reread.CurrentBitmap()->Pixel(2, 1), clRed);

  TGIFImage multi;
  multi.Assign(&bitmap);
  EXPECT_EQ(multi.AppendFrame(&bitmap), 1);
  EXPECT_EQ(multi.GifVersion(), 2);
}

TEST(GxGIFImage, AssignSharesGlobalDataAndSelfAssignDoesNothing) {
  Bytes gif = Head();
  Frame(gif);
  Frame(gif);
  gif.push_back(';');
  TGIFImage a, b, c;
  Load(a, gif);
  Load(c, gif);
  ChangeCounter changes;
  changes.Attach(a);
  a.Assign(&a);
  EXPECT_EQ(changes.Count, 0);
  EXPECT_EQ(a.FrameCount(), 2);

  b.Assign(&a);
  EXPECT_TRUE(b.Equals(&a));
  EXPECT_FALSE(c.Equals(&a));  // equal contents in another object do not count
  EXPECT_EQ(b.FrameCount(), 2);
  EXPECT_EQ(b.GlobalData(), a.GlobalData());
  EXPECT_EQ(b.GlobalData()->RefCount(), 2);
  EXPECT_EQ(b.CurrentBitmap()->Pixel(0, 1), RGB(0, 0, 255));

  // The image's own frame as source: copied before the image is emptied.
  a.Assign(a.FrameAt(1));
  EXPECT_EQ(a.FrameCount(), 1);
  EXPECT_EQ(a.CurrentBitmap()->Pixel(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(a.GlobalData()->FGlobalColors.Count, 4);
}

TEST(GxGIFImage, AssignToOtherGraphicsGivesTheCurrentFrame) {
  Bytes gif = Head();
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  Load(image, gif);
  TBitmap bitmap;
  bitmap.Assign(&image);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.Pixel(0, 1), RGB(0, 0, 255));

  TGIFImage empty;
  bitmap.Assign(&empty);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(GxGIFImage, CurrentBitmapOfEmptyImageAddsOneFrame) {
  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  TBitmap* bitmap = image.CurrentBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(bitmap->Empty());
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_FALSE(image.Empty());  // its frame has a bitmap, even an empty one
}

TEST(GxGIFImage, ClipboardCarriesGIFOnlyForEncodedFrames) {
  RegisterGIFGraphic();
  TClipboard* clipboard = Clipboard();
  clipboard->Clear();
  TBitmap bitmap;
  TGIFImage fromBitmap;
  fromBitmap.Assign(Solid(bitmap, 2, 2, clBlue));
  TClipboardFormat format = 0;
  Bytes data;
  fromBitmap.SaveToClipboardFormat(format, data);
  EXPECT_EQ(format, CF_BITMAP);
  EXPECT_FALSE(data.empty());
  EXPECT_FALSE(clipboard->HasFormat(GIFClipboardFormat()));

  Bytes gif = Head();
  Frame(gif);
  Frame(gif);
  gif.push_back(';');
  TGIFImage loaded;
  Load(loaded, gif);
  format = 0;
  loaded.SaveToClipboardFormat(format, data);
  EXPECT_EQ(format, CF_BITMAP);
  ASSERT_TRUE(clipboard->HasFormat(GIFClipboardFormat()));
  Bytes block = clipboard->GetBlock(GIFClipboardFormat());
  EXPECT_EQ(Bytes(block.begin() + 4, block.end()), gif);

  // Both present: the frames come from the GIF, frame 0's picture from the bitmap.
  clipboard->Open();
  TBitmap marker;
  Solid(marker, 2, 2, clYellow)->SaveToClipboardFormat(format, data);
  clipboard->SetBlock(CF_BITMAP, data);
  clipboard->SetBlock(GIFClipboardFormat(), block);
  clipboard->Close();
  TGIFImage pasted;
  pasted.LoadFromClipboardFormat(GIFClipboardFormat(), block);
  EXPECT_EQ(pasted.FrameCount(), 2);
  EXPECT_EQ(pasted.CurrentBitmap()->Pixel(0, 0), clYellow);
  EXPECT_EQ(pasted.FrameAt(1)->FrameBitmap()->Pixel(0, 0), RGB(255, 0, 0));
  clipboard->Clear();
}

TEST(GxGIFImage, RegisteredForFilesClipboardAndLayouts) {
  RegisterGIFGraphic();
  RegisterGIFImageLayout();
  RegisterGIFImageLayout();
  EXPECT_EQ(TPicture::FileFormatClass("GIF"), GraphicClassOf<TGIFImage>());
  EXPECT_EQ(TPicture::FileFormatDescription("gif"), "CompuServe GIF Image");
  EXPECT_EQ(ClipboardFormatName(GIFClipboardFormat()), "GIF Image");
  EXPECT_EQ(TPicture::ClipboardFormatClass(GIFClipboardFormat()), GraphicClassOf<TGIFImage>());
}

TEST(GxGIFImage, CursorFramesBecomeFramesWithTheirRates) {
  using namespace anitest;
  Bytes chunks = Anih(2, 2, 10);
  Append(chunks, Values("rate", {10, 6}));
  Append(chunks, Fram({Icon32(1), Icon32(2)}));
  Bytes file = Riff(chunks);
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), int(file.size()));
  stream.SetPosition(0);
  TAnimatedCursorImage cursor;
  cursor.LoadFromStream(&stream);
  ASSERT_EQ(cursor.FrameCount(), 2);

  TGIFImage image;
  ChangeCounter changes;
  changes.Attach(image);
  image.Assign(&cursor);
  EXPECT_EQ(changes.Count, 1);
  ASSERT_EQ(image.FrameCount(), 2);
  EXPECT_EQ(image.FrameAt(0)->FDelayMs, 166);
  EXPECT_EQ(image.FrameAt(1)->FDelayMs, 100);
  EXPECT_EQ(image.BackColor(), clWindow);
  EXPECT_EQ(image.GifVersion(), 2);
  EXPECT_EQ(image.LogicalWidth(), 32);
  // And it can be written and read back as a GIF.
  TGIFImage reread;
  Load(reread, Save(image));
  EXPECT_EQ(reread.FrameCount(), 2);
  EXPECT_EQ(reread.FrameAt(0)->FDelayMs, 160);
}

TEST(GxGIFImage, DrawLeavesTheTransparentColourOut) {
  Bytes gif = Head();
  GraphicControl(gif, 0, true, 0);  // red is transparent
  Frame(gif);
  gif.push_back(';');
  TGIFImage image;
  Load(image, gif);
  TBitmap target;
  Solid(target, 2, 2, clBlack);
  image.Draw(target.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(target.Pixel(0, 0), clBlack);
  EXPECT_EQ(target.Pixel(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(target.Pixel(1, 1), RGB(255, 255, 255));

  image.SetTransparent(false);
  image.Draw(target.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(target.Pixel(0, 0), RGB(255, 0, 0));
}
