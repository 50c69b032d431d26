// The GIF animator: frame selection and timing, composition by disposal
// method, placement, and playing on the timer's worker thread while the
// user-interface thread is blocked.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "PumpMessages.h"
#include "Watchdog.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/StdRegistration.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "platform/graphics/Canvas.h"
#include "widgets/gx/GxRegistration.h"
#include "widgets/gx/GIFCtrl.h"
#include "widgets/gx/GxGIFTypes.h"

// The wait window's root class as its layout names it.
class TfrmExport : public TForm {
 public:
  using TForm::TForm;
};

namespace {

using Clock = std::chrono::steady_clock;

struct TFrameSpec {
  TRect Bounds;
  TColor Fill;
  Word DelayMs = 100;
  Byte Disposal = 1;
  TColor Trans = clNone;
  std::vector<std::pair<TPoint, TColor>> Dots = {};
};

std::unique_ptr<TGIFImage> MakeGif(int W, int H, const std::vector<TFrameSpec>& Frames) {
  auto gif = std::make_unique<TGIFImage>();
  for (const TFrameSpec& spec : Frames) {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(spec.Bounds.Width(), spec.Bounds.Height());
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) bmp.SetPixel(x, y, spec.Fill);
    for (const auto& [p, c] : spec.Dots) bmp.SetPixel(p.X, p.Y, c);
    TGIFFrame* frame = gif->FrameAt(gif->AppendFrame(&bmp));
    frame->FOrigin = TPoint{spec.Bounds.Left, spec.Bounds.Top};
    frame->FDelayMs = spec.DelayMs;
    frame->FDisposalMethod = spec.Disposal;
    frame->FTransColor = spec.Trans;
  }
  gif->SetLogicalSize(W, H);
  return gif;
}

// Three whole-screen frames of 4 by 4 in red, green and blue.
std::unique_ptr<TGIFImage> ThreeFrames(Word DelayMs) {
  return MakeGif(4, 4, {{Rect(0, 0, 4, 4), clRed, DelayMs},
                        {Rect(0, 0, 4, 4), clLime, DelayMs},
                        {Rect(0, 0, 4, 4), clBlue, DelayMs}});
}

std::unique_ptr<TForm> ShownForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 200, 150);
  form->SetColor(clYellow);
  form->Show();
  Application->ProcessMessages();
  return form;
}

TGxGIFAnimator* PlaceAnimator(TForm* Form, int Left = 10, int Top = 10) {
  auto* animator = new TGxGIFAnimator(Form);
  animator->SetParent(Form);
  animator->SetBounds(Left, Top, 20, 20);
  return animator;
}

// A GIF89a stream of 2 by 2 pixels, looping forever, with one frame for
// each entry of FrameColours (an index of the colour table black, red,
// lime, blue) and 100 ms each.
std::vector<Byte> SpinnerGif(const std::vector<int>& FrameColours) {
  std::vector<Byte> g = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0};
  const Byte table[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  g.insert(g.end(), table, table + 12);
  const Byte loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                       3, 1, 0, 0, 0};
  g.insert(g.end(), loop, loop + sizeof loop);
  for (int colour : FrameColours) {
    const Byte control[] = {0x21, 0xF9, 4, 1 << 2, 10, 0, 0, 0};
    g.insert(g.end(), control, control + sizeof control);
    const Byte descriptor[] = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0};
    g.insert(g.end(), descriptor, descriptor + sizeof descriptor);
    // Code size 2, 3-bit codes: a clear code before every pixel keeps the
    // width from growing; then the end code.
    std::vector<int> codes;
    for (int i = 0; i < 4; ++i) {
      codes.push_back(4);
      codes.push_back(colour);
    }
    codes.push_back(5);
    std::vector<Byte> data;
    unsigned bits = 0, count = 0;
    for (int code : codes) {
      bits |= unsigned(code) << count;
      count += 3;
      while (count >= 8) {
        data.push_back(Byte(bits & 0xFF));
        bits >>= 8;
        count -= 8;
      }
    }
    if (count > 0) data.push_back(Byte(bits & 0xFF));
    g.push_back(2);
    g.push_back(Byte(data.size()));
    g.insert(g.end(), data.begin(), data.end());
    g.push_back(0);
  }
  g.push_back(0x3B);
  return g;
}

std::string HexOf(const std::vector<Byte>& Bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (Byte b : Bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

}  // namespace

TEST(GxGIFAnimator, DefaultsAndLoadingAnImage) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  EXPECT_FALSE(a->AsyncDrawing());
  EXPECT_FALSE(a->Animate());
  EXPECT_TRUE(a->AutoSize());
  EXPECT_FALSE(a->Center());
  EXPECT_TRUE(a->Loop());
  EXPECT_FALSE(a->Stretch());
  EXPECT_TRUE(a->Transparent());
  EXPECT_EQ(a->FrameIndex(), 0);
  EXPECT_TRUE(a->FrameTimer()->SyncEvent());
  EXPECT_EQ(a->FrameCacheIndex(), -1);

  int changes = 0;
  a->SetOnChange([&](TObject* Sender) {
    EXPECT_EQ(Sender, a);
    ++changes;
  });
  auto gif = ThreeFrames(70);
  a->SetImage(gif.get());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a->Image()->FrameCount(), 3);
  EXPECT_EQ(a->FrameIndex(), a->Image()->CurrentIndex());
  EXPECT_EQ(a->Width(), 4);  // sized to the logical screen
  EXPECT_EQ(a->Height(), 4);
  EXPECT_EQ(a->FrameTimer()->Interval(), 70u);
}

TEST(GxGIFAnimator, FrameIndexOutOfRangeOrUnchangedIsIgnored) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  auto gif = ThreeFrames(100);
  a->SetImage(gif.get());
  a->SetFrameIndex(0);
  int events = 0;
  a->SetOnFrameChanged([&](TObject*) { ++events; });
  a->SetFrameIndex(-1);
  a->SetFrameIndex(3);
  a->SetFrameIndex(0);
  EXPECT_EQ(a->FrameIndex(), 0);
  EXPECT_EQ(events, 0);
  a->SetFrameIndex(2);
  EXPECT_EQ(a->FrameIndex(), 2);
  EXPECT_EQ(events, 1);
}

TEST(GxGIFAnimator, FrameDelaysAreClampedAndOneFrameNeverAdvances) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  auto gif = MakeGif(2, 2, {{Rect(0, 0, 2, 2), clRed, 0},
                            {Rect(0, 0, 2, 2), clLime, 49},
                            {Rect(0, 0, 2, 2), clBlue, 20000},
                            {Rect(0, 0, 2, 2), clBlack, 120}});
  a->SetImage(gif.get());
  const Cardinal expected[] = {50, 50, 10000, 120};
  for (int i = 0; i < 4; ++i) {
    a->SetFrameIndex(i);
    EXPECT_EQ(a->FrameDelayMs(), expected[i]) << i;
    EXPECT_EQ(a->FrameTimer()->Interval(), expected[i]) << i;
  }

  auto single = MakeGif(2, 2, {{Rect(0, 0, 2, 2), clRed, 60}});
  a->SetImage(single.get());
  EXPECT_EQ(a->FrameDelayMs(), 0u);
  a->SetAnimate(true);
  EXPECT_TRUE(a->Animate());
  EXPECT_EQ(a->FrameTimer()->Interval(), 0u);
  PumpUntil([] { return false; }, 150);
  EXPECT_EQ(a->FrameIndex(), 0);
}

TEST(GxGIFAnimator, AnimatesOnTheUserInterfaceThreadAndStopsAfterOneRunWithoutLoop) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  auto gif = ThreeFrames(50);
  a->SetImage(gif.get());
  a->SetFrameIndex(0);
  std::vector<int> seen;
  std::atomic<int> offMain{0};
  int starts = 0, stops = 0;
  a->SetOnFrameChanged([&](TObject*) {
    if (!IsMainThread()) ++offMain;
    seen.push_back(a->FrameIndex());
  });
  a->SetOnStart([&](TObject*) { ++starts; });
  a->SetOnStop([&](TObject*) { ++stops; });
  a->SetLoop(false);
  a->SetAnimate(true);
  EXPECT_EQ(starts, 1);
  ASSERT_TRUE(PumpUntil([&] { return stops > 0; }, EventWaitMs));
  EXPECT_FALSE(a->Animate());
  EXPECT_EQ(a->FrameIndex(), 0);  // wrapped and painted, then stopped
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(offMain.load(), 0);
  PumpUntil([] { return false; }, 150);
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(a->FrameIndex(), 0);
  EXPECT_EQ(form->GetFormImage()->Pixel(11, 11), clRed);
}

TEST(GxGIFAnimator, AsyncDrawingAdvancesWhileTheUserInterfaceThreadIsBlocked) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  a->SetAsyncDrawing(true);
  EXPECT_FALSE(a->FrameTimer()->SyncEvent());
  auto gif = MakeGif(4, 4, {{Rect(0, 0, 4, 4), clRed, 50},
                            {Rect(0, 0, 4, 4), clLime, 50},
                            {Rect(0, 0, 4, 4), clBlue, 50},
                            {Rect(0, 0, 4, 4), clBlack, 50},
                            {Rect(0, 0, 4, 4), clWhite, 50}});
  a->SetImage(gif.get());
  a->SetFrameIndex(0);
  a->SetAnimate(true);
  // Frames are 50 ms apart; five changes seen, sampled every 5 ms.
  int changes = 0;
  const auto end = Clock::now() + std::chrono::milliseconds(EventWaitMs);
  for (int last = a->FrameIndex(); changes < 5 && Clock::now() < end;) {  // no message loop
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int now = a->FrameIndex();
    changes += now != last;
    last = now;
  }
  EXPECT_GE(changes, 5);
  // The frame composed on the worker is what the user-interface thread shows.
  Application->ProcessMessages();

  // Events are handed to the user-interface thread.
  std::atomic<int> events{0}, offMain{0};
  a->SetOnFrameChanged([&](TObject*) {
    ++events;
    if (!IsMainThread()) ++offMain;
  });
  ASSERT_TRUE(PumpUntil([&] { return events > 3; }, EventWaitMs));
  EXPECT_EQ(offMain.load(), 0);

  // Pictures and frames changed by this thread while the worker plays.
  auto other = ThreeFrames(60);
  for (int i = 0; i < 12; ++i) {
    a->SetImage(i % 2 ? gif.get() : other.get());
    a->SetFrameIndex(1);
    PumpUntil([] { return false; }, 15);
  }
  EXPECT_TRUE(a->Animate());
  a->SetAnimate(false);
}

TEST(GxGIFAnimator, DestroyingWhileTheWorkerPlaysIsSafe) {
  for (int round = 0; round < 5; ++round) {
    auto form = ShownForm();
    TGxGIFAnimator* a = PlaceAnimator(form.get());
    a->SetAsyncDrawing(true);
    auto gif = ThreeFrames(50);
    a->SetImage(gif.get());
    std::atomic<int> events{0};
    a->SetOnFrameChanged([&](TObject*) { ++events; });
    a->SetAnimate(true);
    PumpUntil([&] { return events > round % 3; }, 1000);
    delete a;  // a tick may be composing or handing over right now
    PumpUntil([] { return false; }, 60);
  }
}

// Freed by its own OnFrameChanged or OnStop, with ticks on the worker
// (AsyncDrawing) or on the user-interface thread.
struct TFreeingHandler {
  bool OnStop;
  bool Async;
};

class GxGIFAnimatorFreedByItsHandler : public ::testing::TestWithParam<TFreeingHandler> {};

TEST_P(GxGIFAnimatorFreedByItsHandler, ReturnsAtOnceAndNoTickFollows) {
  TWatchdog watchdog("an animator freed by its own handler", std::chrono::seconds(60));
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  a->SetAsyncDrawing(GetParam().Async);
  auto gif = ThreeFrames(50);
  a->SetImage(gif.get());
  std::atomic<bool> freed{false};
  std::atomic<int> after{0};
  std::atomic<long long> freeMs{-1};
  TNotifyEvent freeIt = [&](TObject* Sender) {
    if (freed) {
      ++after;
      return;
    }
    const auto start = Clock::now();
    delete static_cast<TGxGIFAnimator*>(Sender);
    freeMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    freed = true;
  };
  if (GetParam().OnStop) {
    a->SetLoop(false);
    a->SetOnStop(freeIt);
  } else {
    a->SetOnFrameChanged(freeIt);
  }
  a->SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return freed.load(); }, EventWaitMs));
  EXPECT_EQ(form->ComponentCount(), 0);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(after.load(), 0);
  // At once: it waits for no tick and for no time-out.
  EXPECT_LT(freeMs.load(), 1000);
}

INSTANTIATE_TEST_SUITE_P(Handlers, GxGIFAnimatorFreedByItsHandler,
                         ::testing::Values(TFreeingHandler{false, false}, TFreeingHandler{false, true},
                                           TFreeingHandler{true, false}, TFreeingHandler{true, true}),
                         [](const ::testing::TestParamInfo<TFreeingHandler>& Info) {
                           return std::string(Info.param.OnStop ? "OnStop" : "OnFrameChanged") +
                                  (Info.param.Async ? "Async" : "Sync");
                         });

TEST(GxGIFAnimator, AnInvisibleAnimatorOrOnePaintedAsACopyKeepsItsFrame) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  auto gif = ThreeFrames(50);
  a->SetImage(gif.get());
  a->SetFrameIndex(1);
  a->SetVisible(false);
  a->SetAnimate(true);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(a->FrameIndex(), 1);
  // Nor does one while it is being painted as a copy under another control.
  a->SetControlState(csPaintCopy);
  a->SetVisible(true);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(a->FrameIndex(), 1);
  a->SetControlState(0);
  EXPECT_TRUE(PumpUntil([&] { return a->FrameIndex() != 1; }, EventWaitMs));
}

TEST(GxGIFAnimator, DisposalRestoresTheBackgroundOrForcesARebuild) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get());
  for (Byte disposal : {Byte(2), Byte(3)}) {
    SCOPED_TRACE(int(disposal));
    auto gif = MakeGif(6, 2, {{Rect(0, 0, 6, 2), clRed, 100, 1},
                              {Rect(0, 0, 2, 2), clBlue, 100, disposal},
                              {Rect(4, 0, 6, 2), clLime, 100, 1}});
    a->SetImage(gif.get());
    TColor transparent = clNone;
    TBitmap* composed = a->ComposeFrame(0, transparent);
    composed = a->ComposeFrame(1, transparent);
    EXPECT_EQ(composed->Pixel(0, 0), clBlue);
    composed = a->ComposeFrame(2, transparent);
    EXPECT_EQ(a->FrameCacheIndex(), 2);
    // Disposal 2: back to the background (the window colour); disposal 3:
    // rebuilt from the full-screen frame, where frame 1 is never drawn.
    EXPECT_EQ(composed->Pixel(0, 0), disposal == 2 ? ColorToRGB(clWindow) : clRed);
    EXPECT_EQ(composed->Pixel(2, 0), clRed);
    EXPECT_EQ(composed->Pixel(4, 1), clLime);

    // A jump composes from scratch with the same result.
    a->SetImage(gif.get());
    composed = a->ComposeFrame(2, transparent);
    EXPECT_EQ(composed->Pixel(0, 0), disposal == 2 ? ColorToRGB(clWindow) : clRed);
  }
}

TEST(GxGIFAnimator, PlacementAndTransparency) {
  auto form = ShownForm();
  TGxGIFAnimator* a = PlaceAnimator(form.get(), 20, 20);
  a->SetAutoSize(false);
  a->SetBounds(20, 20, 4, 4);
  // 8 by 2: columns 0-1 red, 2-3 lime, 4-5 blue, 6-7 the transparent black.
  auto gif = MakeGif(8, 2, {{Rect(0, 0, 8, 2), clRed, 100, 1, clBlack,
                             {{{2, 0}, clLime}, {{3, 0}, clLime}, {{2, 1}, clLime}, {{3, 1}, clLime},
                              {{4, 0}, clBlue}, {{5, 0}, clBlue}, {{4, 1}, clBlue}, {{5, 1}, clBlue},
                              {{6, 0}, clBlack}, {{7, 0}, clBlack}, {{6, 1}, clBlack}, {{7, 1}, clBlack}}}});
  a->SetImage(gif.get());
  EXPECT_EQ(a->Width(), 4);  // AutoSize off keeps the size

  auto pixel = [&](int x, int y) {
    Application->ProcessMessages();
    return form->GetFormImage()->Pixel(20 + x, 20 + y);
  };
  // Top-left: the left half shows.
  EXPECT_EQ(pixel(0, 0), clRed);
  EXPECT_EQ(pixel(3, 1), clLime);
  EXPECT_EQ(pixel(0, 2), clYellow);
  // Centred on a smaller control: offsets (-2, 1).
  a->SetCenter(true);
  EXPECT_EQ(pixel(0, 1), clLime);
  EXPECT_EQ(pixel(2, 1), clBlue);
  EXPECT_EQ(pixel(0, 0), clYellow);
  // Stretch wins over Center: 8 by 2 squeezed into 4 by 4.
  a->SetStretch(true);
  EXPECT_EQ(pixel(0, 0), clRed);
  EXPECT_EQ(pixel(2, 3), clBlue);
  // The transparent colour shows the parent, unless Transparent is off.
  EXPECT_EQ(pixel(3, 0), clYellow);
  a->SetTransparent(false);
  EXPECT_EQ(pixel(3, 0), clBlack);
}

TEST(GxGIFAnimator, TheWaitWindowsLayoutStartsAtThePicturesFrameAndSpins) {
  RegisterStdLayoutClasses();
  RegisterGxLayout();
  std::vector<Byte> gif = SpinnerGif({1, 2, 3, 1, 2});
  std::vector<Byte> data = {Byte(gif.size()), Byte(gif.size() >> 8), 0, 0};
  data.insert(data.end(), gif.begin(), gif.end());
  const std::string text =
      "object frmExport: TForm\n"
      "  ClientWidth = 306\n  ClientHeight = 125\n  Color = clWhite\n"
      "  object GxGIFAnimator1: TGxGIFAnimator\n"
      "    Left = 136\n    Top = 16\n    Width = 32\n    Height = 32\n"
      "    AsyncDrawing = True\n    Animate = True\n    Center = True\n    FrameIndex = 3\n"
      "    Image.Data = {" + HexOf(data) + "}\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  form.LoadLayoutText(text, "frmExport.lay", TLayoutHandlers());
  auto* a = dynamic_cast<TGxGIFAnimator*>(form.FindComponent("GxGIFAnimator1"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Image()->FrameCount(), 5);
  EXPECT_EQ(a->FrameIndex(), a->Image()->CurrentIndex());
  EXPECT_NE(a->FrameIndex(), 3);
  EXPECT_TRUE(a->Animate());
  EXPECT_TRUE(a->AsyncDrawing());
  EXPECT_EQ(a->FrameTimer()->Interval(), 100u);
  EXPECT_EQ(a->Width(), 32);  // kept from the layout

  form.Show();
  Application->ProcessMessages();
  // The centred 2 by 2 picture turns on the worker while this thread sleeps.
  const int start = a->FrameIndex();
  // Frames are 100 ms apart; a loaded machine may take longer, never forever.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (a->FrameIndex() == start && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(a->FrameIndex(), start);
  Application->ProcessMessages();
  const TColor shown = form.GetFormImage()->Pixel(136 + 15, 16 + 15);
  EXPECT_TRUE(shown == clRed || shown == clLime || shown == clBlue) << std::hex << shown;
  EXPECT_EQ(form.GetFormImage()->Pixel(136 + 2, 16 + 2), clWhite);
  a->SetAnimate(false);
}

// The spinner that the wait window ships: its structure, and that it turns
// one twelfth of a circle a frame.
TEST(GxGIFAnimator, TheShippedSpinnerTurnsInTwelveSteps) {
  RegisterStdLayoutClasses();
  RegisterGxLayout();
  TfrmExport form(nullptr);
  ReadLayoutResource(&form, "frmExport.lay", TLayoutHandlers());
  auto* a = LayoutComponent<TGxGIFAnimator>(&form, "GxGIFAnimator1");
  TGIFImage* gif = a->Image();
  ASSERT_EQ(gif->FrameCount(), 12);
  EXPECT_EQ(gif->GifVersion(), gv89a);
  EXPECT_TRUE(gif->LoopAnimation());
  EXPECT_EQ(gif->LoopCount(), 0);
  EXPECT_EQ(gif->LogicalWidth(), 32);
  EXPECT_EQ(gif->LogicalHeight(), 32);
  const TRGBTable& global = gif->GlobalData()->FGlobalColors;
  ASSERT_EQ(global.Count, 256);
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k);
    TGIFFrame* f = gif->FrameAt(k);
    const TRect r = Bounds(f->FOrigin.X, f->FOrigin.Y, f->FrameWidth(), f->FrameHeight());
    if (k == 0) {
      EXPECT_EQ(r, Rect(0, 0, 32, 32));
    } else {
      EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= 32 && r.Bottom <= 32);
      EXPECT_LT(r.Width() * r.Height(), 32 * 32 / 2);
    }
    EXPECT_FALSE(f->FOwnColors);
    EXPECT_EQ(f->FDisposalMethod, 1);
    EXPECT_EQ(f->FDelayMs, 100);
    // Transparent index 0: no other entry has its colour.
    EXPECT_EQ(IndexOfTableColor(global, f->FTransColor), 0);
  }
  for (int i = 1; i < 256; ++i) EXPECT_NE(EntryColor(global.Entries[i]), EntryColor(global.Entries[0]));
  // The dark dot, as composed for each frame in turn, moves on by 30 degrees.
  double previous = 0;
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k);
    TColor transparent = clNone;
    TBitmap* composed = a->ComposeFrame(k, transparent);
    double sx = 0, sy = 0;
    int count = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const TColor c = composed->Pixel(x, y);
        if ((c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) >= 300) continue;
        sx += x + 0.5;
        sy += y + 0.5;
        ++count;
      }
    ASSERT_GT(count, 8);
    ASSERT_LT(count, 40);  // one dot only
    const double angle = std::atan2(sy / count - 16, sx / count - 16) * 180 / 3.14159265358979;
    if (k > 0) {
      const double step = std::fmod(angle - previous + 360, 360);
      EXPECT_NEAR(step, 30, 4);
    }
    previous = angle;
  }
}
