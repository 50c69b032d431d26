// Reading object trees: creation, ownership, file order, child hooks,
// sub-objects, events and the loading state.
#include <gtest/gtest.h>

#include "LayoutTestUtil.h"

namespace {

const char* kForm = R"(object Form1: TTestForm
  Caption = 'Main'
  Left = 3
  object Panel1: TTestPanel
    Left = 10
    Align = taTop
    object Edit1: TTestEdit
      Caption = 'first'
      Left = 1
      Left = 2
      Enabled = False
      OnClick = Edit1Click
    end
    Color = clRed
  end
  object Timer1: TTestTimer
    Interval = 500
  end
  object Edit2: TTestEdit
    Font.Color = $00CE0000
    Font.Style = [tsBold, tsItalic]
    Font.Size = 13
    Ratio = 0.5
    Small = 200
    Picture.Data = {
      0102
      0304}
  end
end
)";

TEST(LayoutReader, BuildsTheTreeOwnedAndNamedByTheRoot) {
  ResetLayoutTest();
  int clicks = 0;
  TLayoutHandlers handlers;
  handlers.Add("edit1click", [&](TObject*) { ++clicks; });  // any case
  {
    TTestForm form;
    ReadLayout(&form, kForm, "Form1.lay", handlers);
    EXPECT_EQ(form.Name(), "Form1");
    EXPECT_EQ(form.Caption, "Main");
    EXPECT_EQ(form.Left, 3);
    ASSERT_EQ(form.ComponentCount(), 4);
    EXPECT_EQ(TCounted::Live, 5);

    auto* panel = LayoutComponent<TTestPanel>(&form, "Panel1");
    auto* edit1 = LayoutComponent<TTestEdit>(&form, "edit1");
    auto* timer = LayoutComponent<TTestTimer>(&form, "Timer1");
    TTestEdit* edit2 = nullptr;
    BindLayoutComponent(&form, "Edit2", edit2);
    EXPECT_EQ(panel->Owner(), &form);
    EXPECT_EQ(edit1->Owner(), &form);  // nested objects too belong to the root

    EXPECT_EQ(panel->Left, 10);
    EXPECT_EQ(panel->Align, taTop);
    EXPECT_EQ(panel->Color, 0x0000FF);
    EXPECT_EQ(edit1->Caption, "first");
    EXPECT_EQ(edit1->Left, 2);  // the later line wins
    EXPECT_FALSE(edit1->Enabled);
    EXPECT_EQ(timer->Interval, 500);
    EXPECT_EQ(edit2->Font.Color, 0xCE0000);
    EXPECT_EQ(edit2->Font.Style, 3u);
    EXPECT_EQ(edit2->Font.Size, 0);          // "Font.Size" is registered as written for edits
    EXPECT_EQ(edit2->SizeAsWritten, 13);
    EXPECT_DOUBLE_EQ(edit2->Ratio, 0.5);
    EXPECT_EQ(edit2->Small, 200);
    EXPECT_EQ(edit2->PictureData, (std::vector<Byte>{1, 2, 3, 4}));

    // Child hook: nested in the panel, directly in the form; timer left alone.
    EXPECT_EQ(edit1->Parent, panel);
    EXPECT_EQ(panel->Parent, &form);
    EXPECT_EQ(edit2->Parent, &form);
    EXPECT_EQ(form.Children, (std::vector<TTestControl*>{panel, edit2}));

    ASSERT_TRUE(edit1->OnClick);
    edit1->OnClick(edit1);
    EXPECT_EQ(clicks, 1);
  }
  EXPECT_EQ(TCounted::Live, 0);
}

TEST(LayoutReader, SetsPropertiesInFileOrderAfterTheParentIsKnown) {
  ResetLayoutTest();
  TTestForm form;
  TLayoutHandlers handlers;
  handlers.Add("Edit1Click", [](TObject*) {});
  ReadLayout(&form, kForm, "Form1.lay", handlers);
  std::vector<std::string> expected = {
      "Form1.Caption", "Form1.Left",
      "child Form1 <- Panel1", "Panel1.Left",
      "child Panel1 <- Edit1", "Edit1.Caption", "Edit1.Left", "Edit1.Left", "Edit1.Enabled",
      "Edit1.OnClick",
      "child Form1 <- Edit2",
      // Loaded once the whole tree is read: root first, then in creation order.
      "Loaded Form1", "Loaded Panel1", "Loaded Edit1", "Loaded Timer1", "Loaded Edit2"};
  EXPECT_EQ(TestLog(), expected);
  EXPECT_FALSE(TCounted::SetOutsideLoading);  // every setter ran while reading
  for (int i = 0; i < form.ComponentCount(); ++i) EXPECT_FALSE(form.Components(i)->IsLoading());
  EXPECT_FALSE(form.IsLoading());
}

TEST(LayoutReader, RootOfAnUnregisteredClassUsesTheFormsProperties) {
  ResetLayoutTest();
  TLooseForm form;
  ReadLayout(&form, "object Loose: TLooseForm\n  Caption = 'x'\nend\n", "Loose.lay", {});
  EXPECT_EQ(form.Caption, "x");
}

TEST(LayoutReader, EventsFetchTheirHandlerWithItsOwnType) {
  ResetLayoutTest();
  TTestForm form;
  int hit = 0;
  TLayoutHandlers handlers;
  handlers.Add<THitEvent>("Hit", [&](int n) { hit = n; });
  ReadLayout(&form, "object F: TTestForm\n  OnHit = Hit\nend", "Ev.lay", handlers);
  ASSERT_TRUE(form.OnHit);
  form.OnHit(7);
  EXPECT_EQ(hit, 7);
}

TEST(LayoutReader, BindingAMissingOrMistypedComponentRaises) {
  ResetLayoutTest();
  TTestForm form;
  ReadLayout(&form, "object F: TTestForm\n object T: TTestTimer\n end\nend", "B.lay", {});
  try {
    LayoutComponent<TTestEdit>(&form, "edtMissing");
    FAIL();
  } catch (const ELayoutError& e) {
    EXPECT_EQ(e.Message(), "F: the layout has no component 'edtMissing'");
  }
  try {
    LayoutComponent<TTestEdit>(&form, "T");
    FAIL();
  } catch (const ELayoutError& e) {
    EXPECT_EQ(e.Message(), "F: component 'T' is a TTestTimer");
  }
}

TEST(LayoutReader, LinesAreCountedAcrossCrLfAndBinaryBlocks) {
  ResetLayoutTest();
  TTestForm form;
  std::string text =
      "object F: TTestForm\r\n  Picture.Data = {\r\n 00\r\n 11 }\r\n  Colr = 1\r\nend\r\n";
  EXPECT_EQ(LayoutErrorOf(&form, text), "Test.lay(5): unknown property 'Colr' of TTestForm");
}

}  // namespace
