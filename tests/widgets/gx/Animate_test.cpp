// The image-control base (painting over the parent, painting from another
// thread) and the shared drawing and memory routines.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Form.h"
#include "platform/controls/Panel.h"
#include "platform/graphics/Canvas.h"
#include "widgets/gx/Animate.h"

namespace {

std::unique_ptr<TForm> ShownForm(TColor Color) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 200, 150);
  form->SetColor(Color);
  form->Show();
  Application->ProcessMessages();
  return form;
}

// Records what lies under it at a few points once the background is painted.
class TProbe : public TGxImageControl {
 public:
  using TGxImageControl::TGxImageControl;
  bool PaintBackground = false;
  std::vector<TPoint> Probes;
  std::vector<TColor> Seen;
  std::atomic<int> Paints{0};
  std::atomic<bool> PaintedOffMain{false};

 protected:
  void DrawContent() override {
    if (!IsMainThread()) PaintedOffMain = true;
    if (PaintBackground) PaintParentBackground(this, Canvas());
    Seen.clear();
    for (TPoint p : Probes) Seen.push_back(Canvas()->Pixels(p.X, p.Y));
    ++Paints;
  }
};

class TBlock : public TGraphicControl {
 public:
  TBlock(TComponent* Owner, TColor Fill) : TGraphicControl(Owner), FFill(Fill) {}
  // Per paint: whether it and its parent were marked as painted as a copy.
  std::vector<std::pair<bool, bool>> CopyMarks;

 protected:
  void Paint() override {
    CopyMarks.emplace_back(ControlState() & csPaintCopy, Parent()->ControlState() & csPaintCopy);
    Canvas()->Brush()->SetColor(FFill);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }

 private:
  TColor FFill;
};

std::unique_ptr<TBitmap> Bitmap24(int W, int H, TColor Fill) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) bmp->SetPixel(x, y, Fill);
  return bmp;
}

}  // namespace

TEST(GxMemoryRoutines, BlocksComparisonsAndMinMax) {
  EXPECT_EQ(IntMax(-3, 2), 2);
  EXPECT_EQ(IntMin(-3, 2), -3);
  EXPECT_EQ(IntMax(5, 5), 5);

  EXPECT_EQ(AllocGlobalBlock(0), nullptr);
  EXPECT_EQ(AllocGlobalBlock(-8), nullptr);
  void* block = AllocGlobalBlock(37);
  ASSERT_NE(block, nullptr);
  const std::vector<Byte> zeros(37, 0);
  EXPECT_EQ(std::memcmp(block, zeros.data(), 37), 0);
  FreeGlobalBlock(block);
  EXPECT_EQ(block, nullptr);
  FreeGlobalBlock(block);  // nothing for a null block

  const Byte a[] = {1, 2, 3, 4, 5, 6, 7, 9};
  const Byte b[] = {1, 2, 3, 4, 5, 6, 8, 9};
  EXPECT_TRUE(MemoryEqual(a, b, 0));
  EXPECT_TRUE(MemoryEqual(a, b, 6));
  EXPECT_FALSE(MemoryEqual(a, b, 7));  // the difference is in the 1-3 byte tail
  EXPECT_FALSE(MemoryEqual(a + 4, b + 4, 3));
  EXPECT_TRUE(MemoryEqual(a + 4, b + 4, 2));
  EXPECT_FALSE(MemoryEqual(a, a + 1, 8 - 1));

  Byte copy[8] = {};
  CopyMemoryBlock(copy, OffsetPointer(a, 2), 5);
  EXPECT_EQ(copy[0], 3);
  EXPECT_EQ(copy[4], 7);
  EXPECT_EQ(copy[5], 0);
}

TEST(GxMemoryRoutines, ShowNotImplementedShowsItsBoxAndAbortsSilently) {
  TMessageBoxCapture boxes;
  EXPECT_THROW(ShowNotImplemented(), EAbort);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Text, "Function not yet implemented");
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtInformation);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Information");
}

TEST(GxStretchBitmapMasked, SizesDefaultsAndTransparentColours) {
  auto source = Bitmap24(4, 3, clRed);
  source->SetPixel(0, 2, clBlue);  // bottom-left
  source->SetPixel(3, 0, clBlue);

  // Destination and source of 0 or less: the whole bitmap at its own size.
  auto dest = Bitmap24(10, 10, clWhite);
  StretchBitmapMasked(dest->Canvas(), source.get(), clNone, 2, 2, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(2, 2), clRed);
  EXPECT_EQ(dest->Pixel(2, 4), clBlue);  // opaque: blue copied
  EXPECT_EQ(dest->Pixel(5, 2), clBlue);
  EXPECT_EQ(dest->Pixel(6, 2), clWhite);
  EXPECT_EQ(dest->Pixel(2, 5), clWhite);

  // clDefault: the bottom-left colour is left out.
  dest = Bitmap24(10, 10, clWhite);
  StretchBitmapMasked(dest->Canvas(), source.get(), clDefault, 0, 0, 8, 6, 0, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(0, 0), clRed);
  EXPECT_EQ(dest->Pixel(0, 5), clWhite);
  EXPECT_EQ(dest->Pixel(7, 0), clWhite);  // stretched twice: both blue pixels out
  EXPECT_EQ(dest->Pixel(7, 2), clRed);

  // A source rectangle through the rectangle form.
  dest = Bitmap24(10, 10, clWhite);
  StretchBitmapRectMasked(dest->Canvas(), 0, 0, 2, 2, Rect(2, 0, 4, 2), source.get(), clRed);
  EXPECT_EQ(dest->Pixel(0, 0), clWhite);
  EXPECT_EQ(dest->Pixel(1, 0), clBlue);

  // A monochrome bitmap always leaves out white.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.SetPixel(0, 0, clBlack);
  mono.SetPixel(1, 0, clWhite);
  dest = Bitmap24(4, 4, clLime);
  StretchBitmapMasked(dest->Canvas(), &mono, clBlack, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(dest->Pixel(0, 0), clBlack);
  EXPECT_EQ(dest->Pixel(1, 0), clLime);
}

TEST(GxStretchBitmapMasked, HoldsTheBitmapCanvasAndKeepsItsChangeEvent) {
  auto source = Bitmap24(2, 2, clRed);
  int changes = 0;
  source->SetOnChange([&](TObject*) { ++changes; });
  auto dest = Bitmap24(4, 4, clWhite);
  StretchBitmapMasked(dest->Canvas(), source.get(), clNone, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(source->Canvas()->LockCount(), 0);
  ASSERT_TRUE(bool(source->OnChange()));
  source->Modify();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(PaletteRelativeColor(clRed), TColor(0x020000FF));
  EXPECT_EQ(PaletteRelativeColor(clWindow), TColor(0x02FFFFFF));
}

TEST(GxImageControl, DefaultsAndAnEmptyControlPaintsItsParentsColour) {
  auto form = ShownForm(clYellow);
  auto* red = new TBlock(form.get(), clRed);
  red->SetParent(form.get());
  red->SetBounds(10, 10, 10, 10);
  auto* probe = new TProbe(form.get());
  EXPECT_EQ(probe->Width(), 105);
  EXPECT_EQ(probe->Height(), 105);
  EXPECT_TRUE(probe->ParentColor());
  EXPECT_TRUE(probe->ControlStyle() & csOpaque);
  probe->SetParent(form.get());
  probe->SetBounds(15, 15, 30, 30);
  Application->ProcessMessages();
  auto image = form->GetFormImage();
  EXPECT_EQ(image->Pixel(16, 16), clYellow);  // the sibling below is covered
  EXPECT_EQ(image->Pixel(12, 12), clRed);
  EXPECT_EQ(image->Pixel(44, 44), clYellow);
  EXPECT_GT(probe->Paints.load(), 0);
}

TEST(GxImageControl, ParentBackgroundShowsTheParentAndWindowlessSiblingsBelowOnly) {
  auto form = ShownForm(clYellow);
  auto* below = new TBlock(form.get(), clRed);
  below->SetParent(form.get());
  below->SetBounds(10, 10, 10, 10);
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(15, 40, 10, 10);
  panel->SetColor(clGreen);
  auto* probe = new TProbe(form.get());
  probe->PaintBackground = true;
  probe->Probes = {{0, 0}, {10, 10}, {20, 20}, {2, 27}};
  probe->SetParent(form.get());
  probe->SetBounds(15, 15, 30, 30);
  auto* above = new TBlock(form.get(), clBlue);
  above->SetParent(form.get());
  above->SetBounds(30, 30, 10, 10);
  probe->Invalidate();
  Application->ProcessMessages();
  ASSERT_EQ(probe->Seen.size(), 4u);
  EXPECT_EQ(probe->Seen[0], clRed);     // sibling below
  EXPECT_EQ(probe->Seen[1], clYellow);  // the form
  EXPECT_EQ(probe->Seen[2], clYellow);  // the sibling above is not under it
  EXPECT_EQ(probe->Seen[3], clYellow);  // nor the windowed panel
  auto image = form->GetFormImage();
  EXPECT_EQ(image->Pixel(16, 16), clRed);  // shows through the control
  EXPECT_EQ(image->Pixel(35, 35), clBlue);
  EXPECT_EQ(image->Pixel(60, 60), clYellow);  // nothing painted outside the form's own
  // Painted under the probe, the sibling and the form carry the copy mark;
  // painted as themselves, and afterwards, neither does.
  EXPECT_NE(std::count(below->CopyMarks.begin(), below->CopyMarks.end(), std::make_pair(true, true)), 0);
  for (const auto& [own, parent] : below->CopyMarks) EXPECT_EQ(own, parent);
  EXPECT_EQ(below->ControlState() & csPaintCopy, 0u);
  EXPECT_EQ(form->ControlState() & csPaintCopy, 0u);
}

TEST(GxImageControl, RepaintFromAnotherThreadIsPaintedOnTheUserInterfaceThread) {
  auto form = ShownForm(clWhite);
  auto* probe = new TProbe(form.get());
  probe->SetParent(form.get());
  probe->SetBounds(5, 5, 20, 20);
  Application->ProcessMessages();
  const int before = probe->Paints;
  std::thread worker([&] { probe->RepaintFromAnyThread(); });
  worker.join();  // returns without the user-interface thread's help
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (probe->Paints == before && std::chrono::steady_clock::now() < end)
    Application->ProcessMessages();
  EXPECT_GT(probe->Paints.load(), before);
  EXPECT_FALSE(probe->PaintedOffMain.load());
  probe->RepaintFromAnyThread();  // on this thread: painted at once
  EXPECT_EQ(probe->Paints.load(), before + 2);
}
