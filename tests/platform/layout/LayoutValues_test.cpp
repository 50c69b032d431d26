// Every kind of value a layout can hold, as the setters receive it.
#include <gtest/gtest.h>

#include "LayoutTestUtil.h"
#include "platform/layout/Registry.h"

namespace {

// Reads "object R: TRecorder" with the given property lines inside a form
// and gives the recorder's values.
std::vector<std::pair<std::string, TLayoutValue>> Record(TTestForm& form, const std::string& lines) {
  std::string text = "object Form1: TTestForm\n  object R: TRecorder\n" + lines + "\n  end\nend\n";
  ReadLayout(&form, text, "Values.lay", {});
  return LayoutComponent<TRecorder>(&form, "R")->Values;
}

TEST(LayoutValues, NumbersInEveryNotation) {
  ResetLayoutTest();
  TTestForm form;
  auto v = Record(form, "A = 12\nB = -3\nC = $00C0C0C0\nD = $FFFFFFFF\nE = 1.5\nF = -2.5E3\n"
                        "G = 9223372036854775807\nH = -$10");
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[0].second.AsInteger(), 12);
  EXPECT_EQ(v[1].second.AsInt(), -3);
  EXPECT_EQ(v[2].second.AsInt(), 0xC0C0C0);
  EXPECT_EQ(v[3].second.AsInteger(), 0xFFFFFFFFll);
  EXPECT_THROW(v[3].second.AsInt(), ELayoutError);  // beyond 32 bits
  EXPECT_EQ(v[4].second.Kind(), TLayoutValueKind::lvFloat);
  EXPECT_DOUBLE_EQ(v[4].second.AsFloat(), 1.5);
  EXPECT_DOUBLE_EQ(v[5].second.AsFloat(), -2500);
  EXPECT_EQ(v[6].second.AsInteger(), INT64_MAX);
  EXPECT_EQ(v[7].second.AsInteger(), -16);
  EXPECT_DOUBLE_EQ(v[0].second.AsFloat(), 12);  // an integer serves as a float
  EXPECT_THROW(v[4].second.AsInteger(), ELayoutError);
}

TEST(LayoutValues, StringsWithQuotesCodesAndContinuation) {
  ResetLayoutTest();
  TTestForm form;
  auto v = Record(form,
                  "A = 'it''s'\n"
                  "B = 'line'#13#10'next'#$41\n"
                  "C = #233'te'\n"
                  "D = 'first ' +\n      'second' +\n 'third'\n"
                  "E = ''\n"
                  "F = ''''");
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[0].second.AsString(), "it's");
  EXPECT_EQ(v[1].second.AsString(), "line\r\nnextA");
  EXPECT_EQ(v[2].second.AsString(), "\xe9te");  // 8-bit text, one byte
  EXPECT_EQ(v[3].second.AsString(), "first secondthird");
  EXPECT_EQ(v[4].second.AsString(), "");
  EXPECT_EQ(v[5].second.AsString(), "'");
  EXPECT_THROW(v[0].second.AsIdentifier(), ELayoutError);
}

TEST(LayoutValues, IdentifiersSetsAndBinary) {
  ResetLayoutTest();
  TTestForm form;
  auto v = Record(form,
                  "A = alTop\nB = [fsBold, fsItalic]\nC = []\n"
                  "D = {\n    0A1B2c3D\n    FF 00\n  }\nE = {}\nF = TRUE\nG = clSilver");
  ASSERT_EQ(v.size(), 7u);
  EXPECT_EQ(v[0].second.AsIdentifier(), "alTop");
  EXPECT_EQ(v[1].second.AsSet(), (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_TRUE(v[2].second.AsSet().empty());
  EXPECT_EQ(v[3].second.AsBytes(), (std::vector<Byte>{0x0A, 0x1B, 0x2C, 0x3D, 0xFF, 0x00}));
  EXPECT_TRUE(v[4].second.AsBytes().empty());
  EXPECT_TRUE(v[5].second.AsBool());
  EXPECT_EQ(v[6].second.AsInteger(), 0xC0C0C0);  // registered identifier
  EXPECT_THROW(v[0].second.AsInteger(), ELayoutError);  // not registered
  EXPECT_THROW(v[0].second.AsBool(), ELayoutError);
  EXPECT_THROW(v[3].second.AsString(), ELayoutError);
}

TEST(LayoutValues, WrongKindNamesBothKinds) {
  ResetLayoutTest();
  try {
    TLayoutValue::String("x").AsBytes();
    FAIL();
  } catch (const ELayoutError& e) {
    EXPECT_EQ(e.Message(), "binary data expected, found string");
  }
}

TEST(LayoutValues, TypedConversionsCheckTheirRange) {
  ResetLayoutTest();
  EXPECT_EQ(LayoutValueAs<unsigned char>(TLayoutValue::Integer(255)), 255);
  EXPECT_THROW(LayoutValueAs<unsigned char>(TLayoutValue::Integer(256)), ELayoutError);
  EXPECT_THROW(LayoutValueAs<unsigned>(TLayoutValue::Integer(-1)), ELayoutError);
  EXPECT_EQ(LayoutValueAs<unsigned>(TLayoutValue::Integer(0xFFFFFFFFll)), 0xFFFFFFFFu);
  EXPECT_EQ(LayoutValueAs<TTestAlign>(TLayoutValue::Identifier("TACLIENT")), taClient);
  EXPECT_EQ(LayoutValueAs<TTestAlign>(TLayoutValue::Integer(1)), taTop);
  EXPECT_THROW(LayoutValueAs<TTestAlign>(TLayoutValue::Identifier("tsBold")), ELayoutError);
  EXPECT_EQ(LayoutSetMask<TTestStyle>(TLayoutValue::Set({"tsBold", "tsUnderline"})), 5u);
  EXPECT_THROW(LayoutSetMask<TTestStyle>(TLayoutValue::Set({"taTop"})), ELayoutError);
}

TEST(LayoutValues, IdentifierRegisteredTwiceWithAnotherValueIsRefused) {
  ResetLayoutTest();
  EXPECT_NO_THROW(RegisterLayoutIdentifiers({{"clRed", 0x0000FF}}));
  EXPECT_THROW(RegisterLayoutIdentifiers({{"CLRED", 0x00FF00}}), ELayoutError);
  EXPECT_EQ(TLayoutValue::Identifier("clred").AsInteger(), 0x0000FF);
}

}  // namespace
