// A layout that names something unknown or is malformed fails with the file,
// the line and the name, and leaves nothing behind.
#include <gtest/gtest.h>

#include "LayoutTestUtil.h"

namespace {

struct TBadLayout {
  const char* Body;      // lines inside "object F: TTestForm" (starting at line 2)
  const char* Message;   // the whole message expected
};

class LayoutErrors : public ::testing::TestWithParam<TBadLayout> {};

TEST_P(LayoutErrors, NameFileLineAndCulprit) {
  ResetLayoutTest();
  TLayoutHandlers handlers;
  handlers.Add("Click", [](TObject*) {});
  TTestForm form;
  std::string text = std::string("object F: TTestForm\n") + GetParam().Body + "\nend\n";
  EXPECT_EQ(LayoutErrorOf(&form, text, handlers), GetParam().Message);
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(TCounted::Live, 1);  // only the form
  EXPECT_FALSE(form.IsLoading());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutErrors,
    ::testing::Values(
        TBadLayout{"  object P: TSkPanl\n  end", "Test.lay(2): unknown class 'TSkPanl'"},
        TBadLayout{"  object P: TTestPanel\n    Colr = clRed\n  end",
                   "Test.lay(3): unknown property 'Colr' of TTestPanel"},
        TBadLayout{"  object P: TTestPanel\n    Font.Colr = 1\n  end",
                   "Test.lay(3): unknown property 'Font.Colr' of TTestPanel"},
        TBadLayout{"  OnClick = Clik", "Test.lay(2): OnClick of F: unknown handler 'Clik'"},
        TBadLayout{"  OnHit = Click", "Test.lay(2): OnHit of F: handler 'Click' does not fit this event"},
        TBadLayout{"  OnClick = 'Click'", "Test.lay(2): OnClick of F: identifier expected, found string"},
        TBadLayout{"  Left = 'abc'", "Test.lay(2): Left of F: integer expected, found string"},
        TBadLayout{"  Left = 4294967296", "Test.lay(2): Left of F: value 4294967296 out of range"},
        TBadLayout{"  Small = 256", "Test.lay(2): Small of F: value 256 out of range"},
        TBadLayout{"  Color = clSilvr", "Test.lay(2): Color of F: unknown identifier 'clSilvr'"},
        TBadLayout{"  Align = alTop", "Test.lay(2): Align of F: invalid value 'alTop'"},
        TBadLayout{"  Enabled = 1", "Test.lay(2): Enabled of F: True or False expected, found integer"},
        TBadLayout{"  Caption = 'abc", "Test.lay(2): unterminated string"},
        TBadLayout{"  Caption = 'a'#256", "Test.lay(2): character code out of range"},
        TBadLayout{"  Caption = 'a' +\n  5", "Test.lay(3): string expected after '+', found number 5"},
        TBadLayout{"  Picture.Data = {\n 0A1\n }",
                   "Test.lay(4): odd number of hex digits in binary data"},
        TBadLayout{"  Picture.Data = {\n 0A1G }", "Test.lay(3): invalid character 'G' in binary data"},
        TBadLayout{"  Left = ", "Test.lay(3): value expected, found 'end'"},
        TBadLayout{"  Left 5", "Test.lay(2): '=' expected, found number 5"},
        TBadLayout{"  Left = 12abc", "Test.lay(2): invalid number"},
        TBadLayout{"  Left = 99999999999999999999", "Test.lay(2): number out of range"},
        TBadLayout{"  Left = 1 ?", "Test.lay(2): invalid character '?'"},
        TBadLayout{"  Style = [a, ]", "Test.lay(2): set element expected, found ']'"},
        TBadLayout{"  object P: TTestForm\n  end",
                   "Test.lay(2): class 'TTestForm' cannot be created by a layout"},
        TBadLayout{"  object P: TTestPanel\n  end\n  object p: TTestEdit\n  end",
                   "Test.lay(4): a component named 'p' already exists"},
        TBadLayout{"  object T: TBoom\n  end",
                   "Test.lay(2): cannot create T: Not enough timers available"},
        TBadLayout{"  object P: TTestPanel\n    Left = 1", "Test.lay(5): property or 'end' expected, found end of file"},
        TBadLayout{"end\nobject", "Test.lay(3): end of file expected, found 'object'"}),
    [](const ::testing::TestParamInfo<TBadLayout>& info) { return "Case" + std::to_string(info.index); });

TEST(LayoutErrorsMore, WrongRootClassAndMissingHeader) {
  ResetLayoutTest();
  TTestForm form;
  EXPECT_EQ(LayoutErrorOf(&form, "\n\nobject F: TOtherForm\nend"),
            "Test.lay(3): layout of TOtherForm read into TTestForm");
  EXPECT_EQ(LayoutErrorOf(&form, "Caption = 'x'"), "Test.lay(1): 'object' expected, found 'Caption'");
  EXPECT_EQ(LayoutErrorOf(&form, ""), "Test.lay(1): 'object' expected, found end of file");
  EXPECT_EQ(LayoutErrorOf(&form, "object F: TTestForm\n Picture.Data = { 00\n"),
            "Test.lay(3): '}' expected, found end of file");
  EXPECT_EQ(LayoutErrorOf(&form, "object : TTestForm\nend"),
            "Test.lay(1): object name expected, found ':'");
}

TEST(LayoutErrorsMore, DeepNestingIsRefusedNotRecursedInto) {
  ResetLayoutTest();
  TTestForm form;
  std::string text = "object F: TTestForm\n";
  for (int i = 0; i < 200; ++i) text += "object P" + std::to_string(i) + ": TTestPanel\n";
  std::string message = LayoutErrorOf(&form, text);
  EXPECT_EQ(message, "Test.lay(66): objects nested too deeply");
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(TCounted::Live, 1);
}

TEST(LayoutErrorsMore, FailureAfterManyObjectsFreesThemAll) {
  ResetLayoutTest();
  TTestForm form;
  std::string text =
      "object F: TTestForm\n"
      "  object P1: TTestPanel\n    object P2: TTestPanel\n      object E1: TTestEdit\n      end\n"
      "    end\n    object T1: TTestTimer\n    end\n  end\n"
      "  object E2: TTestEdit\n    Left = 'oops'\n  end\nend\n";
  EXPECT_EQ(LayoutErrorOf(&form, text), "Test.lay(11): Left of E2: integer expected, found string");
  EXPECT_EQ(TCounted::Live, 1);
  EXPECT_EQ(form.ComponentCount(), 0);
  form.Children.clear();  // the test controls do not unhook themselves when freed
  // The same form reads a good layout afterwards.
  ReadLayout(&form, "object F: TTestForm\n  object P1: TTestPanel\n  end\nend", "Again.lay", {});
  EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(LayoutErrorsMore, ExceptionFromLoadedPassesOnAndFreesTheTree) {
  ResetLayoutTest();
  TTestForm form;
  try {
    ReadLayout(&form, "object F: TTestForm\n  object B: TBadLoaded\n  end\n  object E: TTestEdit\n  end\nend",
               "L.lay", {});
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "cannot finish B");
  }
  EXPECT_EQ(TCounted::Live, 1);
  EXPECT_FALSE(form.IsLoading());
}

}  // namespace
