#include <gtest/gtest.h>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"

namespace {

std::unique_ptr<TBitmap> Filled(int w, int h, TColor color) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp->SetPixel(x, y, color);
  return bmp;
}

TEST(ImageList, AStripBecomesOnePicturePerCellAndTheMaskColourStaysOut) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(2);
  // Two cells: red with a white corner, blue.
  auto strip = Filled(8, 2, clBlue);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y) strip->SetPixel(x, y, clRed);
  strip->SetPixel(0, 0, clWhite);
  EXPECT_EQ(list.AddMasked(strip.get(), clWhite), 0);
  ASSERT_EQ(list.Count(), 2);

  auto target = Filled(10, 4, clLime);
  list.Draw(target->Canvas(), 1, 1, 0);
  EXPECT_EQ(target->Pixel(1, 1), clLime);  // white left out
  EXPECT_EQ(target->Pixel(2, 1), clRed);
  EXPECT_EQ(target->Pixel(4, 2), clRed);
  EXPECT_EQ(target->Pixel(5, 2), clLime);  // beyond the cell
  list.Draw(target->Canvas(), 5, 0, 1);
  EXPECT_EQ(target->Pixel(5, 0), clBlue);
  EXPECT_EQ(target->Pixel(8, 1), clBlue);
  EXPECT_EQ(target->Pixel(9, 1), clLime);
}

TEST(ImageList, BadIndexesDrawNothingAndBadSizesAreRefused) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  auto target = Filled(6, 6, clLime);
  list.Draw(target->Canvas(), 0, 0, 0);
  list.Draw(target->Canvas(), 0, 0, -1);
  EXPECT_EQ(target->Pixel(1, 1), clLime);

  auto narrow = Filled(3, 4, clRed);
  auto tall = Filled(4, 5, clRed);
  EXPECT_THROW(list.AddMasked(narrow.get(), clWhite), EInvalidOperation);
  EXPECT_THROW(list.AddMasked(tall.get(), clWhite), EInvalidOperation);
  EXPECT_THROW(list.AddMasked(nullptr, clWhite), EInvalidOperation);
  EXPECT_EQ(list.Count(), 0);

  auto fits = Filled(4, 4, clRed);
  list.AddMasked(fits.get(), clWhite);
  EXPECT_EQ(list.Count(), 1);
  list.SetWidth(5);  // the pictures no longer fit
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
