// Files embedded at build time are found by name, byte for byte.
#include <gtest/gtest.h>

#include "LayoutTestUtil.h"
#include "platform/layout/Resources.h"

namespace {

TEST(LayoutResources, EmbeddedFilesKeepEveryByte) {
  const std::string_view* bytes = FindEmbeddedResource("bytes.bin");
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(*bytes, std::string_view("A\0\377\"\\?\n\r\tz", 10));
  EXPECT_EQ(FindEmbeddedResource("bytes.bi"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("data/bytes.bin"), nullptr);  // found by file name only
  EXPECT_EQ(FindEmbeddedResource(""), nullptr);
}

TEST(LayoutResources, ReadsAnEmbeddedLayout) {
  ResetLayoutTest();
  TTestForm form;
  ReadLayoutResource(&form, "EmbeddedForm.lay", {});
  EXPECT_EQ(form.Caption, "Embedded");
  EXPECT_EQ(LayoutComponent<TTestPanel>(&form, "Panel1")->Left, 7);
  try {
    ReadLayoutResource(&form, "Missing.lay", {});
    FAIL();
  } catch (const ELayoutError& e) {
    EXPECT_EQ(e.Message(), "layout 'Missing.lay' is not embedded");
  }
}

TEST(LayoutResources, ErrorsInAnEmbeddedLayoutNameTheResource) {
  ResetLayoutTest();
  TLooseForm form;  // the embedded layout is for TTestForm
  try {
    ReadLayoutResource(&form, "EmbeddedForm.lay", {});
    FAIL();
  } catch (const ELayoutError& e) {
    EXPECT_EQ(e.Message(), "EmbeddedForm.lay(1): layout of TTestForm read into TLooseForm");
  }
}

}  // namespace
