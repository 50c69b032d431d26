#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "BitmapTestUtil.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegImage.h"

namespace {

void Picture(TBitmap& b, int width, int height) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, PatternColor(x, y));
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("tamblin_gfx_" + name)).string();
}

// A graphic class of the program's own, as an image library would add one.
class TTestGraphic : public TGraphic {
 public:
  int Width() const override { return FSize; }
  int Height() const override { return FSize; }
  void SetWidth(int v) override { FSize = v; }
  void SetHeight(int v) override { FSize = v; }
  bool Empty() const override { return FSize == 0; }
  void LoadFromStream(TStream* s) override {
    Byte b = 0;
    s->ReadBuffer(&b, 1);
    FSize = b;
    Changed(this);
  }
  void SaveToStream(TStream* s) override {
    Byte b = Byte(FSize);
    s->WriteBuffer(&b, 1);
  }
  void SaveToClipboardFormat(TClipboardFormat&, std::vector<Byte>&) override {}
  void LoadFromClipboardFormat(TClipboardFormat, const std::vector<Byte>& d) override { FSize = d.empty() ? 0 : d[0]; }
  void Draw(TCanvas*, const TRect&) override {}
  void Assign(TPersistent* Source) override {
    if (auto* t = dynamic_cast<TTestGraphic*>(Source)) {
      FSize = t->FSize;
      Changed(this);
      return;
    }
    TGraphic::Assign(Source);
  }
  int FSize = 0;
};

}  // namespace

TEST(Graphic, ClassInfoNamesTheClass) {
  EXPECT_EQ(GraphicClassOf<TBitmap>()->ClassName, "TBitmap");
  EXPECT_EQ(GraphicClassOf<TJPEGImage>()->ClassName, "TJPEGImage");
  EXPECT_EQ(GraphicClassOf<TBitmap>(), GraphicClassOf<TBitmap>());
  std::unique_ptr<TGraphic> made(GraphicClassOf<TJPEGImage>()->Create());
  EXPECT_NE(dynamic_cast<TJPEGImage*>(made.get()), nullptr);
}

TEST(Graphic, BuiltInRegistrations) {
  EXPECT_EQ(TPicture::FileFormatClass("BMP"), GraphicClassOf<TBitmap>());
  EXPECT_EQ(TPicture::FileFormatClass("jpg"), GraphicClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FileFormatClass("jpeg"), GraphicClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FileFormatClass("gif"), nullptr);
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
  EXPECT_EQ(TPicture::GraphicClassNamed("TJPEGImage"), GraphicClassOf<TJPEGImage>());
}

TEST(Graphic, ProgramGraphicClassesRegisterAndUnregister) {
  TGraphicClass test = GraphicClassOf<TTestGraphic>();
  TPicture::RegisterFileFormat("TST", "Test Picture", test);
  TClipboardFormat format = 0xC123;
  TPicture::RegisterClipboardFormat(format, test);
  EXPECT_EQ(TPicture::FileFormatClass("tst"), test);
  EXPECT_EQ(TPicture::FileFormatDescription("tst"), "Test Picture");
  EXPECT_EQ(TPicture::ClipboardFormatClass(format), test);
  EXPECT_EQ(TPicture::GraphicFilter(test), "Test Picture (*.tst)|*.tst");
  EXPECT_NE(TPicture::GraphicFilter(nullptr).find("Bitmaps (*.bmp)|*.bmp"), std::string::npos);

  TPicture picture;
  picture.LoadFromClipboardFormat(format, {9});
  EXPECT_EQ(picture.Width(), 9);

  TPicture::UnregisterGraphicClass(test);
  EXPECT_EQ(TPicture::FileFormatClass("tst"), nullptr);
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(format));
  EXPECT_EQ(TPicture::FileFormatClass("bmp"), GraphicClassOf<TBitmap>());
}

TEST(Graphic, PictureLoadsAndSavesFilesByExtension) {
  TBitmap original;
  Picture(original, 5, 4);
  std::string bmp = TempFile("p.bmp");
  original.SaveToFile(bmp);
  TPicture picture;
  int changes = 0;
  picture.SetOnChange([&](TObject*) { ++changes; });
  picture.LoadFromFile(bmp);
  EXPECT_EQ(changes, 1);
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 5);

  std::string jpg = TempFile("p.JPG");
  TJPEGImage jpeg;
  jpeg.Assign(&original);
  jpeg.SaveToFile(jpg);
  picture.LoadFromFile(jpg);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Height(), 4);

  try {
    picture.LoadFromFile(TempFile("p.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);  // unchanged
  std::remove(bmp.c_str());
  std::remove(jpg.c_str());
}

TEST(Graphic, PictureAssignCopiesTheGraphicAndForwardsItsChanges) {
  TBitmap original;
  Picture(original, 3, 2);
  TPicture picture;
  picture.Assign(&original);
  TGraphic* held = picture.Graphic();
  ASSERT_NE(held, nullptr);
  EXPECT_NE(held, &original);

  int changes = 0;
  picture.SetOnChange([&](TObject*) { ++changes; });
  picture.Bitmap()->SetPixel(0, 0, clRed);
  picture.Bitmap()->Modify();
  EXPECT_EQ(changes, 1);
  EXPECT_NE(original.Pixel(0, 0), clRed);

  TPicture other;
  other.Assign(&picture);
  EXPECT_EQ(static_cast<TBitmap*>(other.Graphic())->Pixel(0, 0), clRed);

  // A JPEG in the picture: Bitmap() swaps it for an empty bitmap.
  TJPEGImage jpeg;
  jpeg.Assign(&original);
  picture.Assign(&jpeg);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_TRUE(picture.Bitmap()->Empty());

  picture.Assign(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);

  TTestGraphic unregistered;
  unregistered.FSize = 2;
  try {
    picture.Assign(&unregistered);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Class TTestGraphic not found");
  }
}

TEST(Graphic, PictureLayoutFormNamesTheClass) {
  TBitmap original;
  Picture(original, 4, 3);
  TJPEGImage jpeg;
  jpeg.Assign(&original);
  TPicture picture;
  picture.Assign(&jpeg);
  TMemoryStream stream;
  picture.WriteData(&stream);
  std::vector<Byte> bytes = StreamBytes(stream);
  ASSERT_GT(bytes.size(), 11u);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 11), "TJPEGImage");

  stream.SetPosition(0);
  TPicture loaded;
  loaded.ReadData(&stream);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(loaded.Graphic()), nullptr);
  EXPECT_EQ(loaded.Width(), 4);
  EXPECT_EQ(stream.Position(), stream.Size());

  TMemoryStream unknown;
  std::vector<Byte> data = {4, 'T', 'F', 'O', 'O', 0, 0, 0, 0};
  unknown.WriteBuffer(data.data(), int(data.size()));
  unknown.SetPosition(0);
  try {
    loaded.ReadData(&unknown);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Class TFOO not found");
  }
}

TEST(Graphic, EqualsComparesClassAndContent) {
  TBitmap a, b;
  Picture(a, 3, 3);
  Picture(b, 3, 3);
  EXPECT_TRUE(a.Equals(&b));
  b.SetPixel(1, 1, a.Pixel(1, 1) ^ 0x10);
  EXPECT_FALSE(a.Equals(&b));
  TJPEGImage jpeg;
  EXPECT_FALSE(a.Equals(&jpeg));
  TBitmap e1, e2;
  EXPECT_TRUE(e1.Equals(&e2));
}
