#include "widgets/gx/IcoList.h"

#include <gtest/gtest.h>

#include "AniTestFiles.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Icon.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/RegistryLookup.h"

using namespace anitest;

namespace {

// An icon read from bytes; Color tells icons apart.
std::unique_ptr<TIcon> MakeIcon(std::uint32_t Color = 1) {
  Bytes file = Icon32(Color);
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), int(file.size()));
  stream.SetPosition(0);
  auto icon = std::make_unique<TIcon>();
  icon->LoadFromStream(&stream);
  return icon;
}

Bytes Saved(const TIconList& List) {
  TMemoryStream stream;
  List.WriteIcons(&stream);
  auto* p = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(p, p + stream.Size());
}

void ReadFrom(TIconList& List, const Bytes& Data) {
  TMemoryStream stream;
  stream.WriteBuffer(Data.data(), int(Data.size()));
  stream.SetPosition(0);
  List.ReadIcons(&stream);
}

struct CountingList : ::testing::Test {
  void SetUp() override { list.SetOnChange([this](TObject* s) { EXPECT_EQ(s, &list); ++changes; }); }
  TIconList list;
  int changes = 0;
};

}  // namespace

TEST_F(CountingList, EachChangeNotifiesOnceAndSuspensionsFireOnceAtTheEnd) {
  auto icon = MakeIcon();
  for (int i = 0; i < 5; ++i) list.Add(icon.get());
  EXPECT_EQ(changes, 5);
  changes = 0;
  list.Clear();
  EXPECT_EQ(changes, 1);
  list.Clear();  // empty: still one
  EXPECT_EQ(changes, 2);

  list.Add(icon.get());
  list.Add(nullptr);
  changes = 0;
  list.Exchange(0, 1);
  list.Move(1, 0);
  list.Insert(1, icon.get());
  list.Delete(2);
  EXPECT_EQ(changes, 4);

  changes = 0;
  list.SuspendChanges();
  list.SuspendChanges();
  list.Add(icon.get());
  list.ResumeChanges();
  EXPECT_EQ(changes, 0);
  list.ResumeChanges();
  EXPECT_EQ(changes, 1);
}

TEST_F(CountingList, HeldIconsReportTheirEditsUntilDeleted) {
  auto source = MakeIcon(2);
  list.Add(source.get());
  TIcon* held = list.Icons(0);
  EXPECT_NE(held, source.get());
  EXPECT_EQ(list.IndexOf(held), 0);
  EXPECT_EQ(list.IndexOf(source.get()), -1);
  changes = 0;
  held->Assign(nullptr);
  EXPECT_EQ(changes, 1);

  // Moved into the list by AddIcon, then taken out again by Delete: a copy
  // kept by the test shows no more notifications once deleted.
  auto mine = MakeIcon(3);
  TIcon* raw = mine.release();
  list.AddIcon(raw);
  list.Delete(1);
  changes = 0;
  held->Assign(source.get());
  EXPECT_EQ(changes, 1);
}

TEST_F(CountingList, PutIconAppendsAtTheEndAndFillsEmptyEntries) {
  auto icon = MakeIcon();
  list.AddIcon(nullptr);
  changes = 0;
  list.PutIcon(0, icon.get());
  ASSERT_NE(list.Icons(0), nullptr);
  EXPECT_EQ(list.Icons(0)->Width(), 32);
  list.PutIcon(1, icon.get());
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(changes, 2);
  // The new icon is hooked: editing it notifies.
  list.Icons(0)->Assign(nullptr);
  EXPECT_EQ(changes, 3);
}

TEST_F(CountingList, BadIndexesAndSourcesLeaveTheListAlone) {
  auto icon = MakeIcon();
  list.Add(icon.get());
  changes = 0;
  try {
    list.Delete(1);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_THROW(list.Icons(-1), EListError);
  EXPECT_THROW(list.PutIcon(2, icon.get()), EListError);
  EXPECT_THROW(list.Insert(2, icon.get()), EListError);
  EXPECT_THROW(list.Move(0, 1), EListError);
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  EXPECT_THROW(list.Add(&bitmap), EConvertError);
  EXPECT_THROW(list.Insert(0, &bitmap), EConvertError);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(changes, 0);
}

// GX_TESTICON.ico is embedded into this test program (CMakeLists.txt).
TEST_F(CountingList, ResourceIconsComeFromTheProgramsFilesAndMissingOnesAreEmpty) {
  EXPECT_EQ(list.AddFromResource(HInstance, "GX_TESTICON"), 0);
  ASSERT_NE(list.Icons(0), nullptr);
  EXPECT_EQ(list.Icons(0)->Width(), 16);
  list.InsertFromResource(0, HInstance, "NO_SUCH_ICON");
  EXPECT_EQ(list.AddFromResource(HInstance + 1, "GX_TESTICON"), 2);  // no such module
  ASSERT_EQ(list.Count(), 3);
  for (int i : {0, 2}) {
    ASSERT_NE(list.Icons(i), nullptr);
    EXPECT_TRUE(list.Icons(i)->Empty());
  }
  EXPECT_EQ(list.Icons(1)->Width(), 16);
  EXPECT_THROW(list.InsertFromResource(4, HInstance, "GX_TESTICON"), EListError);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 3);
  list.Icons(1)->Assign(nullptr);  // held like any other icon
  EXPECT_EQ(changes, 4);
}

TEST_F(CountingList, AssignCopiesListsAndIcons) {
  auto icon = MakeIcon();
  TIconList source;
  source.Add(icon.get());
  source.AddIcon(nullptr);
  list.Assign(&source);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_NE(list.Icons(0), source.Icons(0));
  ASSERT_NE(list.Icons(1), nullptr);  // an empty entry becomes an empty icon
  EXPECT_TRUE(list.Icons(1)->Empty());
  EXPECT_EQ(changes, 1);

  list.Assign(&list);  // itself: nothing changes
  EXPECT_EQ(list.Count(), 2);

  list.Assign(icon.get());
  EXPECT_EQ(list.Count(), 1);
  list.Assign(nullptr);
  EXPECT_EQ(list.Count(), 0);
  TBitmap bitmap;
  EXPECT_THROW(list.Assign(&bitmap), EConvertError);
}

TEST(IconListStream, EmptyEntriesAndEmptyIconsStoreAsSizeZeroAndReadBackEmpty) {
  auto icon = MakeIcon();
  TIconList list;
  list.Add(icon.get());
  list.AddIcon(nullptr);
  list.Add(nullptr);  // an empty icon
  Bytes saved = Saved(list);
  TMemoryStream iconStream;
  icon->SaveToStream(&iconStream);
  auto* p = static_cast<const std::uint8_t*>(iconStream.Memory());
  Bytes iconBytes(p, p + iconStream.Size());
  ASSERT_FALSE(iconBytes.empty());
  Bytes expected;
  Put32(expected, 3);
  Put32(expected, std::uint32_t(iconBytes.size()));
  Append(expected, iconBytes);
  Put32(expected, 0);
  Put32(expected, 0);
  EXPECT_EQ(saved, expected);

  TIconList back;
  ReadFrom(back, saved);
  ASSERT_EQ(back.Count(), 3);
  ASSERT_NE(back.Icons(0), nullptr);
  EXPECT_EQ(back.Icons(0)->Width(), 32);
  EXPECT_EQ(back.Icons(1), nullptr);
  EXPECT_EQ(back.Icons(2), nullptr);
  EXPECT_EQ(Saved(back), saved);
}

TEST(IconListStream, DamagedDataKeepsTheEntriesBeforeAndNotifiesOnce) {
  Bytes iconBytes = Icon32();
  Bytes data;
  Put32(data, 3);
  Put32(data, std::uint32_t(iconBytes.size()));
  Append(data, iconBytes);
  Put32(data, 0x7FFFFFF0u);  // far more than is there: nothing allocated for it
  Append(data, Bytes(16, 0));

  TIconList list;
  int changes = 0;
  list.SetOnChange([&](TObject*) { ++changes; });
  EXPECT_THROW(ReadFrom(list, data), EReadError);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(changes, 1);

  Bytes garbage;
  Put32(garbage, 1);
  Put32(garbage, 8);
  Append(garbage, Bytes(8, 0x55));
  EXPECT_THROW(ReadFrom(list, garbage), EInvalidGraphic);
  EXPECT_EQ(list.Count(), 0);

  EXPECT_THROW(ReadFrom(list, Bytes{1, 0}), EReadError);
}

TEST(IconListStream, IconsAreStoredOnlyWhenTheyDifferFromTheAncestor) {
  auto icon = MakeIcon();
  TIconList empty, list;
  EXPECT_FALSE(empty.IconsDiffer(nullptr));
  list.Add(icon.get());
  list.Add(icon.get());
  EXPECT_TRUE(list.IconsDiffer(nullptr));
  EXPECT_FALSE(empty.IconsDiffer(&list));

  // The very same icon objects in the same order: not stored; a copy holds
  // other objects, so it is stored even though the contents match.
  EXPECT_FALSE(list.IconsDiffer(&list));
  TIconList copy;
  copy.Assign(&list);
  EXPECT_TRUE(list.IconsDiffer(&copy));
  TIconList shorter;
  shorter.Add(icon.get());
  EXPECT_TRUE(list.IconsDiffer(&shorter));
}

TEST(IconListLayout, IconsPropertyReadsTheListAndClipboardFormatIsTiedToIcons) {
  RegisterIconListLayout();
  auto icon = MakeIcon();
  TIconList source;
  source.Add(icon.get());
  TIconList list;
  TResolvedProperty property;
  ASSERT_TRUE(ResolveLayoutProperty("TIconList", &list, "Icons", property));
  TLayoutHandlers handlers;
  TLayoutContext context("test.lay", nullptr, handlers);
  (*property.Setter)(property.Target, TLayoutValue::Binary(Saved(source)), context);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Icons(0)->Width(), 32);

  RegisterIconClipboardFormat();
  EXPECT_GE(IconClipboardFormat, 0xC000);
  EXPECT_EQ(ClipboardFormatName(IconClipboardFormat), "Pomvex Icon");
  EXPECT_EQ(TPicture::ClipboardFormatClass(IconClipboardFormat), GraphicClassOf<TIcon>());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(IconClipboardFormat));
  TPicture picture;
  try {
    picture.LoadFromClipboardFormat(IconClipboardFormat, {1, 2, 3});
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Clipboard does not support Icons");
  }
}
