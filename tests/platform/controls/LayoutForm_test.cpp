// A test form read from a layout and driven like a user would: nested
// panels, an edit, a check box, an owner-drawn list, a picture, a spin edit
// and timers; a modal form closed by its own timer; an escaped exception in
// the error box; and a screenshot checked at known pixels.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <string>

#include "StdTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OpenDialog.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SimulateInput.h"
#include "platform/controls/SpeedButton.h"
#include "platform/controls/SpinEdit.h"
#include "platform/controls/StdRegistration.h"
#include "platform/controls/Timer.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"

namespace {

constexpr TColor kTopColour = 0x00C08000;    // $BBGGRR
constexpr TColor kInnerColour = 0x000080FF;
constexpr TColor kRowColour = 0x0060D0A0;
constexpr TColor kSelectedRowColour = 0x00303030;

const char* const kTestForm = R"(object frmStdTest: TStdTestForm
  Left = 0
  Top = 0
  Caption = 'Standard controls'
  ClientWidth = 320
  ClientHeight = 240
  Color = clWhite
  Font.Name = 'MS Sans Serif'
  Font.Height = -11
  Font.Color = clBlack
  object pnlTop: TPanel
    Align = alTop
    Height = 60
    BevelOuter = bvNone
    Caption = ''
    Color = $00C08000
    object pnlInner: TPanel
      Left = 8
      Top = 8
      Width = 150
      Height = 44
      BevelOuter = bvNone
      Caption = ''
      Color = $000080FF
      object edtName: TEdit
        Left = 4
        Top = 10
        Width = 100
        Height = 21
        MaxLength = 10
        TabOrder = 0
        OnKeyDown = edtNameKeyDown
      end
    end
    object chkInclude: TCheckBox
      Left = 170
      Top = 20
      Width = 97
      Height = 17
      Caption = 'Include'
      Checked = True
      OnClick = chkIncludeClick
    end
  end
  object ListBox1: TListBox
    Left = 8
    Top = 70
    Width = 200
    Height = 120
    BorderStyle = bsNone
    Style = lbOwnerDrawFixed
    ItemHeight = 40
    Sorted = True
    Hint = 'Double Click to use IP Address'
    ShowHint = True
    Items.Strings = 'zeta'#13#10'Alpha'
    OnDrawItem = ListBox1DrawItem
    OnDblClick = ListBox1DblClick
  end
  object lblStatus: TLabel
    Left = 220
    Top = 70
    Caption = 'Offline'
    Transparent = True
  end
  object Image1: TImage
    Left = 220
    Top = 100
    Width = 40
    Height = 40
    Stretch = True
    Picture.Data = {%PICTURE%}
  end
  object sedRingTime: TSpinEdit
    Left = 220
    Top = 150
    Width = 60
    Height = 22
    MinValue = 1
    MaxValue = 20
    Value = 1
  end
  object tmrBlink: TTimer
    Interval = 5
    OnTimer = tmrBlinkTimer
  end
  object tmrNever: TTimer
    Interval = 0
    OnTimer = tmrNeverTimer
  end
end
)";

const char* const kModalForm = R"(object frmModal: TModalTestForm
  Caption = 'Modal'
  ClientWidth = 120
  ClientHeight = 60
  BorderStyle = bsDialog
  object btnDone: TSpeedButton
    Left = 10
    Top = 10
    Width = 60
    Height = 25
    Caption = 'Done'
    Flat = True
    OnClick = btnDoneClick
  end
  object tmrPress: TTimer
    Interval = 20
    OnTimer = tmrPressTimer
  end
end
)";

// The picture: 2 x 2 pixels, red and lime on top, blue and black below, in
// the layout form of a picture.
std::string PictureHex() {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(2, 2);
  bmp.SetPixel(0, 0, clRed);
  bmp.SetPixel(1, 0, clLime);
  bmp.SetPixel(0, 1, clBlue);
  bmp.SetPixel(1, 1, clBlack);
  TPicture picture;
  picture.SetGraphic(&bmp);
  TMemoryStream stream;
  picture.WriteData(&stream);
  std::string hex;
  const auto* bytes = static_cast<const unsigned char*>(stream.Memory());
  char pair[3];
  for (int64_t i = 0; i < stream.Size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    hex += pair;
    if (i % 32 == 31) hex += "\n      ";
  }
  return hex;
}

std::string WithPicture(std::string Text) {
  const std::string mark = "%PICTURE%";
  Text.replace(Text.find(mark), mark.size(), PictureHex());
  return Text;
}

// The test form with its handlers, as a program's form would be written.
class TStdTestForm : public TForm {
 public:
  TPanel* pnlTop = nullptr;
  TPanel* pnlInner = nullptr;
  TEdit* edtName = nullptr;
  TCheckBox* chkInclude = nullptr;
  TListBox* ListBox1 = nullptr;
  TLabel* lblStatus = nullptr;
  TImage* Image1 = nullptr;
  TSpinEdit* sedRingTime = nullptr;
  TTimer* tmrBlink = nullptr;
  TTimer* tmrNever = nullptr;

  int Includes = 0;
  int BlinkTicks = 0;
  int NeverTicks = 0;
  std::vector<std::string> Sent;

  explicit TStdTestForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterStdLayoutClasses();
    TLayoutHandlers h;
    h.Add<TKeyEvent>("edtNameKeyDown",
                     [this](TObject* s, Word& k, TShiftState st) { edtNameKeyDown(s, k, st); });
    h.Add("chkIncludeClick", [this](TObject* s) { chkIncludeClick(s); });
    h.Add<TDrawItemEvent>("ListBox1DrawItem",
                          [this](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
                            ListBox1DrawItem(c, i, r, st);
                          });
    h.Add("ListBox1DblClick", [this](TObject* s) { ListBox1DblClick(s); });
    h.Add("tmrBlinkTimer", [this](TObject*) {
      if (++BlinkTicks == 3) tmrBlink->SetEnabled(false);
    });
    h.Add("tmrNeverTimer", [this](TObject*) { ++NeverTicks; });
    LoadLayoutText(WithPicture(kTestForm), "StdTestForm.lay", h);
    BindLayoutComponent(this, "pnlTop", pnlTop);
    BindLayoutComponent(this, "pnlInner", pnlInner);
    BindLayoutComponent(this, "edtName", edtName);
    BindLayoutComponent(this, "chkInclude", chkInclude);
    BindLayoutComponent(this, "ListBox1", ListBox1);
    BindLayoutComponent(this, "lblStatus", lblStatus);
    BindLayoutComponent(this, "Image1", Image1);
    BindLayoutComponent(this, "sedRingTime", sedRingTime);
    BindLayoutComponent(this, "tmrBlink", tmrBlink);
    BindLayoutComponent(this, "tmrNever", tmrNever);
  }

 private:
  // Enter sends the typed line to the top of the list.
  void edtNameKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Sent.push_back(edtName->Text());
    ListBox1->Items()->Add(edtName->Text());
    edtName->Clear();
  }
  void chkIncludeClick(TObject*) {
    ++Includes;
    lblStatus->SetCaption(chkInclude->Checked() ? "Included" : "Offline");
  }
  void ListBox1DrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* canvas = ListBox1->Canvas();
    canvas->Brush()->SetColor((State & odSelected) ? kSelectedRowColour : kRowColour);
    canvas->FillRect(Rect);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(Rect.Left + 35, Rect.Top + 4, ListBox1->Items()->Strings(Index));
  }
  // The chosen row must hold a number; anything else raises the host's
  // conversion error, which the message loop shows.
  void ListBox1DblClick(TObject*) {
    if (ListBox1->ItemIndex() < 0) return;
    StrToInt(ListBox1->Items()->Strings(ListBox1->ItemIndex()));
  }
};

class TModalTestForm : public TForm {
 public:
  TSpeedButton* btnDone = nullptr;
  int Presses = 0;
  explicit TModalTestForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterStdLayoutClasses();
    TLayoutHandlers h;
    h.Add("btnDoneClick", [this](TObject*) { SetModalResult(mrOk); });
    // The "user" presses the button once the form is up.
    h.Add("tmrPressTimer", [this](TObject* sender) {
      static_cast<TTimer*>(sender)->SetEnabled(false);
      ++Presses;
      SimulateClick(btnDone);
    });
    LoadLayoutText(kModalForm, "ModalForm.lay", h);
    BindLayoutComponent(this, "btnDone", btnDone);
  }
};

struct LayoutFormFixture : ::testing::Test {
  std::unique_ptr<TStdTestForm> form;
  void SetUp() override {
    form = std::make_unique<TStdTestForm>(nullptr);
    form->Show();
    Application->ProcessMessages();
  }
};

TEST_F(LayoutFormFixture, LayoutBuildsTheNestedTreeWithItsProperties) {
  EXPECT_EQ(form->Caption(), "Standard controls");
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->pnlInner->Parent(), form->pnlTop);
  EXPECT_EQ(form->edtName->Parent(), form->pnlInner);
  EXPECT_EQ(form->ListBox1->Parent(), form.get());
  EXPECT_EQ(form->pnlTop->Width(), 320);  // aligned to the top
  EXPECT_EQ(form->edtName->MaxLength(), 10);
  EXPECT_TRUE(form->chkInclude->Checked());
  EXPECT_EQ(form->Includes, 0);  // a tick read from the layout runs no handler
  EXPECT_EQ(form->ListBox1->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(form->ListBox1->ItemHeight(), 40);
  ASSERT_EQ(form->ListBox1->Count(), 2);
  EXPECT_EQ(form->ListBox1->Items()->Strings(0), "Alpha");  // sorted
  EXPECT_EQ(form->sedRingTime->Value(), 1);
  ASSERT_NE(form->Image1->Picture()->Graphic(), nullptr);
  EXPECT_EQ(form->Image1->Picture()->Width(), 2);
  EXPECT_TRUE(form->Image1->Stretch());
  EXPECT_EQ(form->tmrBlink->Interval(), 5u);
}

TEST_F(LayoutFormFixture, TypingEnterAndClicksRunTheHandlers) {
  // Click into the edit, type past its limit, press Enter.
  SimulateClick(form->edtName);
  form->edtName->SetFocus();
  SimulateTyping("bob <10.0.0.7>");
  EXPECT_EQ(form->edtName->Text(), "bob <10.0.");
  SimulateKey(VK_RETURN);
  EXPECT_EQ(form->Sent, (std::vector<std::string>{"bob <10.0."}));
  EXPECT_EQ(form->edtName->Text(), "");
  EXPECT_EQ(form->ListBox1->Items()->Strings(1), "bob <10.0.");  // between Alpha and zeta

  // The user's click on the box and the program's tick run the same handler.
  SimulateClick(form->chkInclude);
  EXPECT_FALSE(form->chkInclude->Checked());
  EXPECT_EQ(form->lblStatus->Caption(), "Offline");
  form->chkInclude->SetChecked(true);
  EXPECT_EQ(form->Includes, 2);
  EXPECT_EQ(form->lblStatus->Caption(), "Included");

  // The spin edit keeps the ring time in its bounds when the focus leaves it.
  form->sedRingTime->SetFocus();
  SimulateKey(VK_END);
  SimulateKey(VK_BACK);
  SimulateTyping("30");
  form->edtName->SetFocus();
  EXPECT_EQ(form->sedRingTime->Value(), 20);
}

TEST_F(LayoutFormFixture, TimersTickUntilStoppedAndIntervalZeroNever) {
  EXPECT_TRUE(WaitUntil([&] { return form->BlinkTicks >= 3; }));
  Pump(40);
  EXPECT_EQ(form->BlinkTicks, 3);
  EXPECT_FALSE(form->tmrBlink->Enabled());
  EXPECT_EQ(form->NeverTicks, 0);
}

TEST_F(LayoutFormFixture, EscapedExceptionOfADoubleClickShowsTheErrorBox) {
  TMessageBoxCapture boxes;
  // Row 1 of the list ("zeta") is no number.
  SimulateMouseDown(form->ListBox1, mbLeft, 50, 60);
  SimulateMouseUp(form->ListBox1, mbLeft, 50, 60);
  SimulateDoubleClick(form->ListBox1, 50, 60);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtError);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Tamblin");
  EXPECT_EQ(boxes.Boxes()[0].Text, "'zeta' is not a valid integer value.");
  // The program goes on: the form still answers.
  form->chkInclude->SetChecked(false);
  EXPECT_EQ(form->lblStatus->Caption(), "Offline");
}

TEST_F(LayoutFormFixture, ModalFormReturnsItsModalResult) {
  TModalTestForm modal(nullptr);
  EXPECT_EQ(modal.ShowModal(), mrOk);
  EXPECT_EQ(modal.Presses, 1);
  EXPECT_FALSE(modal.Visible());
}

TEST_F(LayoutFormFixture, ScreenshotShowsTheFormAtKnownPixels) {
  form->ListBox1->SetItemIndex(1);
  Application->ProcessMessages();
  const std::string path = "StdTestForm.png";
  std::remove(path.c_str());
  form->SaveFormImageToPng(path);
  QImage shot(QString::fromStdString(path));
  ASSERT_FALSE(shot.isNull());
  ASSERT_EQ(shot.width(), 320);
  ASSERT_EQ(shot.height(), 240);
  auto at = [&](int x, int y) {
    const QRgb p = shot.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
  };
  EXPECT_EQ(at(300, 5), kTopColour);            // the top panel
  EXPECT_EQ(at(8 + 140, 8 + 40), kInnerColour);  // the panel inside it, right of the edit
  EXPECT_EQ(at(170 + 92, 20 + 8), kTopColour);   // the check box on its parent's colour
  EXPECT_EQ(at(8 + 10, 70 + 30), kRowColour);    // row 0 drawn by the handler
  EXPECT_EQ(at(8 + 10, 70 + 40 + 30), kSelectedRowColour);
  EXPECT_EQ(at(220 + 5, 100 + 5), clRed);        // the picture, stretched
  EXPECT_EQ(at(220 + 35, 100 + 35), clBlack);
  EXPECT_EQ(at(315, 235), clWhite);              // the form itself
}

TEST(LayoutStd, UnknownPropertyOfAStandardControlNamesFileLineAndName) {
  RegisterStdLayoutClasses();
  TForm form(nullptr);
  try {
    form.LoadLayoutText("object f: TForm\n  object e: TEdit\n    MaxLenght = 3\n  end\nend\n",
                        "bad.lay", TLayoutHandlers());
    FAIL() << "no error";
  } catch (const ELayoutError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("bad.lay(3)"), std::string::npos) << message;
    EXPECT_NE(message.find("MaxLenght"), std::string::npos) << message;
  }
}

TEST(LayoutStd, BrokenPictureDataIsALayoutErrorNotACrash) {
  RegisterStdLayoutClasses();
  TForm form(nullptr);
  const char* text =
      "object f: TForm\n  object i: TImage\n    Picture.Data = {07 54 42 69 74 6D 61 70 FF FF}\n"
      "  end\nend\n";
  EXPECT_THROW(form.LoadLayoutText(text, "pic.lay", TLayoutHandlers()), ELayoutError);
}

TEST(LayoutStd, GlyphAndOpenDialogFromLayout) {
  RegisterStdLayoutClasses();
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(3, 3);
  TMemoryStream stream;
  glyph.WriteData(&stream);
  std::string hex;
  const auto* bytes = static_cast<const unsigned char*>(stream.Memory());
  char pair[3];
  for (int64_t i = 0; i < stream.Size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    hex += pair;
  }
  const std::string text = "object f: TForm\n  object SpeedButton1: TSpeedButton\n    Flat = True\n"
                           "    Hint = 'Refresh List'\n    Glyph.Data = {" + hex + "}\n  end\n"
                           "  object OpenDialog1: TOpenDialog\n"
                           "    Filter = 'Wave (*.wav)|*.wav'\n  end\nend\n";
  TForm form(nullptr);
  form.LoadLayoutText(text, "glyph.lay", TLayoutHandlers());
  auto* button = LayoutComponent<TSpeedButton>(&form, "SpeedButton1");
  EXPECT_TRUE(button->Flat());
  EXPECT_EQ(button->Hint(), "Refresh List");
  EXPECT_EQ(button->Glyph()->Width(), 3);
  EXPECT_EQ(LayoutComponent<TOpenDialog>(&form, "OpenDialog1")->Filter(), "Wave (*.wav)|*.wav");
}

}  // namespace
