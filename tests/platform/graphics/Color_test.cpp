#include <gtest/gtest.h>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Color.h"

TEST(Color, ChannelsAndRgb) {
  TColor c = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x563412);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
  EXPECT_EQ(RGB(300, -1, 0), RGB(300 & 0xFF, 0xFF, 0));
}

TEST(Color, ColorToRgbResolvesSystemColoursAndKeepsOthers) {
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
  EXPECT_EQ(ColorToRGB(clBtnHighlight), clWhite);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(cl3DDkShadow), RGB(64, 64, 64));
  EXPECT_EQ(ColorToRGB(clMoneyGreen), 0xC0DCC0);
  EXPECT_EQ(ColorToRGB(0xE3DFDF), 0xE3DFDF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
  EXPECT_EQ(unsigned(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(unsigned(clWindow), 0x80000005u);
}

TEST(Color, IdentifiersBothWays) {
  TColor c = 0;
  ASSERT_TRUE(IdentToColor("clSilver", c));
  EXPECT_EQ(c, 0xC0C0C0);
  ASSERT_TRUE(IdentToColor("CLBTNFACE", c));
  EXPECT_EQ(c, clBtnFace);
  ASSERT_TRUE(IdentToColor("clNone", c));
  EXPECT_EQ(c, 0x1FFFFFFF);
  EXPECT_FALSE(IdentToColor("clPink", c));

  std::string name;
  ASSERT_TRUE(ColorToIdent(0x808080, name));
  EXPECT_EQ(name, "clGray");
  ASSERT_TRUE(ColorToIdent(clHighlightText, name));
  EXPECT_EQ(name, "clHighlightText");
  EXPECT_FALSE(ColorToIdent(0x123456, name));
}

TEST(Color, StringConversion) {
  EXPECT_EQ(ColorToString(clRed), "clRed");
  EXPECT_EQ(ColorToString(0xE3DFDF), "$00E3DFDF");
  EXPECT_EQ(StringToColor("clMoneyGreen"), clMoneyGreen);
  EXPECT_EQ(StringToColor("$00D08410"), 0xD08410);
  EXPECT_EQ(StringToColor("14933983"), 14933983);
  try {
    StringToColor("clNoSuch");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'clNoSuch' is not a valid integer value");
  }
}
