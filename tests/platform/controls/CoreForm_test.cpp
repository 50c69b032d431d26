// Forms and the application: modal results, close actions, activation, the
// error box of escaped exceptions, timers, painting and the layout.
#include <gtest/gtest.h>

#include <QImage>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

#include "CoreTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "platform/layout/Registry.h"

namespace {

// Runs Call from the message loop a little later.
void Later(std::function<void()> Call) { QTimer::singleShot(10, std::move(Call)); }

class TSquare : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  // Paints only a 4x4 square in its middle; the rest shows the parent.
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(Rect(3, 3, 7, 7));
    // Drawing past the bounds must not reach the parent's other pixels.
    Canvas()->FillRect(Rect(20, 20, 40, 40));
  }
};

}  // namespace

TEST(Form, ShowModalReturnsTheModalResultSetInsideTheLoop) {
  TForm dialog(nullptr);
  int closes = 0;
  dialog.SetOnClose([&](TObject*, TCloseAction& action) {
    ++closes;
    EXPECT_EQ(action, caHide);
  });
  Later([&] {
    EXPECT_TRUE(dialog.Visible());
    EXPECT_TRUE(dialog.Modal());
    dialog.SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(dialog.Modal());
  EXPECT_EQ(closes, 1);

  // Close on a modal form answers mrCancel; OnClose with caNone keeps it open.
  int attempts = 0;
  dialog.SetOnClose([&](TObject*, TCloseAction& action) {
    if (++attempts == 1) action = caNone;
  });
  Later([&] {
    dialog.Close();
    Later([&] {
      EXPECT_TRUE(dialog.Visible());
      dialog.SetModalResult(mrYes);
    });
  });
  EXPECT_EQ(dialog.ShowModal(), mrYes);
  EXPECT_EQ(attempts, 2);
  dialog.Show();
  EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
  dialog.Hide();
}

TEST(Form, CloseActionsHideFreeOrKeepTheForm) {
  auto* form = new TForm(nullptr);
  form->Show();
  TCloseAction wanted = caNone;
  bool allow = false;
  form->SetOnCloseQuery([&](TObject*, bool& can) { can = allow; });
  form->SetOnClose([&](TObject*, TCloseAction& action) { action = wanted; });
  form->Close();  // refused by OnCloseQuery
  EXPECT_TRUE(form->Visible());
  allow = true;
  form->Close();  // caNone
  EXPECT_TRUE(form->Visible());
  wanted = caHide;
  form->Close();
  EXPECT_FALSE(form->Visible());
  bool destroyed = false;
  form->SetOnDestroy([&](TObject*) { destroyed = true; });
  form->Show();
  wanted = caFree;
  form->Close();
  EXPECT_FALSE(destroyed) << "freed only once the current event is handled";
  EXPECT_TRUE(WaitFor([&] { return destroyed; }));
}

TEST(Application, AnEscapedExceptionShowsTheErrorBoxTitledWithAFullStop) {
  TMessageBoxCapture boxes;
  TForm form(nullptr);
  auto* c = new TProbeControl(&form);
  c->SetBounds(0, 0, 50, 50);
  c->SetParent(&form);
  form.Show();
  c->SetOnClick([](TObject*) { throw EConvertError("'x1' is not a valid integer value"); });
  SimulateClick(c);
  c->SetOnClick([](TObject*) { throw EAbort(); });
  SimulateClick(c);  // silent
  c->SetOnClick([](TObject*) { throw Exception("Already ends."); });
  SimulateClick(c);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtError);
  EXPECT_EQ(boxes.Boxes()[0].Buttons, unsigned(mbOK));
  EXPECT_EQ(boxes.Boxes()[0].Text, "'x1' is not a valid integer value.");
  EXPECT_EQ(boxes.Boxes()[1].Text, "Already ends.");
  // The program goes on: the next click works.
  int clicks = 0;
  c->SetOnClick([&](TObject*) { ++clicks; });
  SimulateClick(c);
  EXPECT_EQ(clicks, 1);
  form.Hide();
}

TEST(Application, AnExceptionInACallFromAnotherThreadIsShownToo) {
  TMessageBoxCapture boxes;
  std::thread worker([] { Queue([] { throw Exception("Lost connection"); }); });
  worker.join();
  EXPECT_TRUE(WaitFor([&] { return !boxes.Boxes().empty(); }));
  EXPECT_EQ(boxes.Boxes()[0].Text, "Lost connection.");
}

TEST(Form, OnActivateRunsEachTimeTheFormBecomesActiveAgain) {
  TForm main(nullptr);
  int activations = 0, deactivations = 0;
  main.SetOnActivate([&](TObject*) { ++activations; });
  main.SetOnDeactivate([&](TObject*) { ++deactivations; });
  main.Show();
  EXPECT_TRUE(main.Active());
  EXPECT_EQ(activations, 1);
  bool activeDuringBox = true;
  SetMessageBoxHook([&](const TMessageBox&) {
    activeDuringBox = main.Active();
    return mrOk;
  });
  MessageDlg("WebCam not found. Please check webcam settings.", mtError, mbOK);
  SetMessageBoxHook(nullptr);
  EXPECT_FALSE(activeDuringBox);
  EXPECT_EQ(activations, 2);
  EXPECT_EQ(deactivations, 1);
  // A modal dialog over it: back to the main form when it closes.
  TForm dialog(nullptr);
  Later([&] { dialog.SetModalResult(mrCancel); });
  dialog.ShowModal();
  EXPECT_TRUE(main.Active());
  EXPECT_EQ(activations, 3);
  main.Hide();
}

TEST(WindowTimer, TicksUntilKilledAndNeverAfterDestruction) {
  TForm form(nullptr);
  auto* c = new TProbeControl(&form);
  c->SetParent(&form);
  c->SetTimer(1, 5);
  c->SetTimer(2, 5);
  EXPECT_TRUE(WaitFor([&] { return c->Ticks.size() >= 6; }));
  c->KillTimer(1);
  const size_t ones = std::count(c->Ticks.begin(), c->Ticks.end(), 1);
  const size_t twos = std::count(c->Ticks.begin(), c->Ticks.end(), 2);
  // While the other timer ticks three more times, the killed one is silent.
  EXPECT_TRUE(WaitFor([&] { return size_t(std::count(c->Ticks.begin(), c->Ticks.end(), 2)) >= twos + 3; }));
  EXPECT_EQ(size_t(std::count(c->Ticks.begin(), c->Ticks.end(), 1)), ones);
  c->SetTimer(1, 5);  // a killed timer can start again
  EXPECT_TRUE(WaitFor([&] { return size_t(std::count(c->Ticks.begin(), c->Ticks.end(), 1)) > ones; }));
  // Destroyed while its timers run: nothing arrives afterwards (the test
  // would crash or be caught by the sanitizer on a late tick).
  delete c;
  PumpFor(30);
}

TEST(WindowTimer, AnExceptionInATickIsShownAndTheTimerGoesOn) {
  TMessageBoxCapture boxes;
  class TThrower : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    using TWinControl::SetTimer;
    int Ticks = 0;

   protected:
    void WMTimer(int) override {
      ++Ticks;
      throw Exception("tick failed");
    }
  };
  TForm form(nullptr);
  auto* t = new TThrower(&form);
  t->SetTimer(7, 5);
  EXPECT_TRUE(WaitFor([&] { return t->Ticks >= 2; }));
  ASSERT_GE(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Text, "tick failed.");
}

TEST(Painting, AWindowlessControlIsDrawnOverItsParentsPixels) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 60, 40);
  form.SetColor(clRed);
  auto* panel = new TProbeControl(&form);
  panel->SetBounds(10, 10, 40, 20);
  panel->SetColor(clLime);
  panel->SetParent(&form);
  auto* square = new TSquare(&form);
  square->SetBounds(5, 5, 10, 10);
  square->SetParent(panel);
  std::unique_ptr<TBitmap> image = form.GetFormImage();
  ASSERT_EQ(image->Width(), 60);
  EXPECT_EQ(image->Pixel(0, 0), clRed);
  EXPECT_EQ(image->Pixel(10 + 5 + 3, 10 + 5 + 3), clBlue);
  EXPECT_EQ(image->Pixel(10 + 5 + 6, 10 + 5 + 6), clBlue);
  EXPECT_EQ(image->Pixel(10 + 5 + 2, 10 + 5 + 2), clLime) << "transparent where it does not paint";
  EXPECT_EQ(image->Pixel(10 + 5 + 7, 10 + 5 + 3), clLime);
  EXPECT_EQ(image->Pixel(10 + 5 + 9, 10 + 5 + 9), clLime) << "clipped to its own bounds";
  EXPECT_EQ(image->Pixel(10 + 30, 10 + 15), clLime);
}

TEST(Painting, InvalidateAndRepaintFromAnotherThreadReachTheUiThread) {
  class TCounter : public TGraphicControl {
   public:
    using TGraphicControl::TGraphicControl;
    std::atomic<int> Paints{0};
    std::atomic<bool> OnUiThread{true};

   protected:
    void Paint() override {
      if (!IsMainThread()) OnUiThread = false;
      ++Paints;
    }
  };
  TForm form(nullptr);
  form.SetBounds(0, 0, 50, 50);
  auto* counter = new TCounter(&form);
  counter->SetBounds(0, 0, 10, 10);
  counter->SetParent(&form);
  form.Show();
  PumpFor(20);
  const int before = counter->Paints;
  std::atomic<bool> repainted{false};
  std::thread worker([&] {
    counter->Repaint();  // waits for the UI thread
    repainted = true;
    counter->Invalidate();
  });
  EXPECT_TRUE(WaitFor([&] { return repainted.load(); }));
  worker.join();
  EXPECT_GT(counter->Paints, before);
  EXPECT_TRUE(counter->OnUiThread);
  form.Hide();
}

TEST(Painting, TheFormRendersToAPngWithItsControls) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 80, 50);
  form.SetColor(clWhite);
  auto* bar = new TProbeControl(&form);
  bar->SetBounds(0, 0, 10, 12);
  bar->SetAlign(alTop);
  bar->SetColor(TColor(0x00C08040));
  bar->SetParent(&form);
  const std::string file = ::testing::TempDir() + "core_form.png";
  form.SaveFormImageToPng(file);
  QImage png;
  ASSERT_TRUE(png.load(QString::fromStdString(file), "PNG"));
  EXPECT_EQ(png.width(), 80);
  EXPECT_EQ(png.height(), 50);
  EXPECT_EQ(png.pixel(0, 0) & 0xFFFFFF, 0x4080C0u);
  EXPECT_EQ(png.pixel(79, 11) & 0xFFFFFF, 0x4080C0u);
  EXPECT_EQ(png.pixel(40, 12) & 0xFFFFFF, 0xFFFFFFu);
  std::remove(file.c_str());
  EXPECT_THROW(form.SaveFormImageToPng("/nonexistent-dir/x.png"), EFCreateError);
}

namespace {

class TfrmCoreTest : public TForm {
 public:
  explicit TfrmCoreTest(TComponent* owner) : TForm(owner) {
    TLayoutHandlers handlers;
    handlers.Add("FormCreate", [this](TObject*) { Log.push_back("create"); });
    handlers.Add("FormActivate", [this](TObject*) { Log.push_back("activate"); });
    handlers.Add("pnlInnerClick", [this](TObject*) { Log.push_back("inner click"); });
    handlers.Add<TKeyEvent>("pnlBodyKeyDown", [this](TObject*, Word& key, TShiftState) {
      Log.push_back("body key " + std::to_string(key));
    });
    LoadLayout("CoreTestForm.lay", handlers);
    BindLayoutComponent(this, "pnlTop", pnlTop);
    BindLayoutComponent(this, "pnlInner", pnlInner);
    BindLayoutComponent(this, "pnlBody", pnlBody);
  }
  TProbeControl* pnlTop = nullptr;
  TProbeControl* pnlInner = nullptr;
  TProbeControl* pnlBody = nullptr;
  std::vector<std::string> Log;
};

}  // namespace

TEST(FormLayout, AFormIsBuiltFromItsEmbeddedLayout) {
  RegisterLayoutClass("TProbeControl", "TCustomControl",
                      [](TComponent* owner) { return new TProbeControl(owner); });
  TfrmCoreTest* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"create"}));
  EXPECT_EQ(form->Caption(), "Core test");
  EXPECT_EQ(form->ClientWidth(), 200);
  EXPECT_EQ(form->BorderStyle(), bsSingle);
  EXPECT_EQ(form->BorderIcons(), (1u << biSystemMenu) | (1u << biMinimize));
  EXPECT_EQ(form->Position(), poScreenCenter);
  EXPECT_EQ(form->pnlInner->Parent(), form->pnlTop);
  EXPECT_EQ(form->pnlTop->Parent(), form);
  EXPECT_EQ(form->pnlBody->BoundsRect(), Rect(0, 30, 200, 120));
  EXPECT_EQ(form->pnlInner->Color(), TColor(0xFF0000)) << "ParentColor took the panel's colour";
  EXPECT_EQ(form->pnlInner->Font()->Style(), TFontStyles(fsBold));
  EXPECT_FALSE(form->pnlInner->ParentFont());
  EXPECT_EQ(form->pnlTop->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(form->pnlInner->Cursor(), crHandPoint);
  EXPECT_EQ(form->pnlInner->Hint(), "Inner|Long text");
  EXPECT_EQ(form->pnlBody->TabOrder(), 0);
  EXPECT_EQ(form->pnlTop->TabOrder(), 1);

  form->Show();
  EXPECT_EQ(form->Log.back(), "activate");
  EXPECT_TRUE(form->pnlBody->Focused()) << "first in tab order";
  SimulateKey('A');
  SimulateClick(form->pnlInner);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "activate", "body key 65", "inner click"}));
  // Centred on the screen.
  EXPECT_EQ(form->Left(), (Screen->Width() - 200) / 2);
  delete form;
  EXPECT_EQ(Application->MainForm(), nullptr);
}
