#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Lists.h"
#include "platform/base/StringList.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"

namespace {
int a = 1, b = 2, c = 3;
}

TEST(List, IndexErrorsCarryTheHostTextAndLeaveTheListAlone) {
  TList list;
  list.Add(&a);
  list.Add(&b);
  for (int bad : {-1, 2}) {
    try {
      list.Items(bad);
      FAIL() << bad;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")");
    }
  }
  EXPECT_THROW(list.Delete(2), EListError);
  EXPECT_THROW(list.Insert(3, &c), EListError);
  EXPECT_THROW(list.Exchange(0, 5), EListError);
  EXPECT_EQ(list.Count(), 2);
  list.Insert(2, &c);  // at the end is allowed
  EXPECT_EQ(list.Last(), &c);
}

TEST(List, RemoveExtractMoveSortPack) {
  TList list;
  list.Add(&c);
  list.Add(&a);
  list.Add(nullptr);
  list.Add(&b);
  list.Add(&a);
  EXPECT_EQ(list.Remove(&a), 1);  // the first occurrence
  EXPECT_EQ(list.IndexOf(&a), 3);
  EXPECT_EQ(list.Extract(&b), &b);
  EXPECT_EQ(list.Extract(&b), nullptr);
  list.Pack();
  ASSERT_EQ(list.Count(), 2);
  list.Add(&b);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(list.Items(0), &a);
  EXPECT_EQ(list.Items(1), &b);
  EXPECT_EQ(list.Items(2), &c);
  list.Move(0, 2);
  EXPECT_EQ(list.Items(2), &a);
  EXPECT_EQ(list.First(), &b);
}

TEST(StringList, SortedListsOrderIgnoringCaseAndPlaceNewLinesAtTheirPlace) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  list.Add("Bob <10.0.0.2>");
  list.Add("alice <10.0.0.1>");
  list.Add("Carol <10.0.0.3>");
  list.Add("bob <10.0.0.2>");
  list.Add("_admin <h>");
  EXPECT_EQ(list.Strings(0), "alice <10.0.0.1>");
  EXPECT_EQ(CompareText(list.Strings(1), "bob <10.0.0.2>"), 0);
  EXPECT_EQ(CompareText(list.Strings(2), "bob <10.0.0.2>"), 0);
  EXPECT_EQ(list.Strings(3), "Carol <10.0.0.3>");
  EXPECT_EQ(list.Strings(4), "_admin <h>");
  EXPECT_EQ(list.IndexOf("CAROL <10.0.0.3>"), 3);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, "x"), EStringListError);
}

TEST(StringList, DuplicatesIgnoredOrRefused) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add("a"), 0);
  EXPECT_EQ(list.Add("B"), 1);  // ignored: the existing entry's index
  EXPECT_EQ(list.Count(), 2);
  list.SetDuplicates(dupError);
  try {
    list.Add("A");
    FAIL() << "no exception";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
}

TEST(StringList, TurningSortedOnSortsAndCaseSensitiveChangesTheOrder) {
  TStringList list;
  list.SetText("b\r\nC\r\na\r\n");
  list.SetSorted(true);
  EXPECT_EQ(list.Text(), "a\r\nb\r\nC\r\n");
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Text(), "C\r\na\r\nb\r\n");
  EXPECT_EQ(list.IndexOf("c"), -1);
}

TEST(StringList, TextSplitsOnAnyLineEndAndWritesCrLf) {
  TStringList list;
  list.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Strings(3), "four");
  EXPECT_EQ(list.Strings(4), "");
  EXPECT_EQ(list.Strings(5), "six");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, FilesRoundTripAndFailuresNameTheFile) {
  TTempDir dir;
  std::string path = dir.File("IPAddress.dat");
  WriteBytes(path, "Bob <1.2.3.4>\nalice <h>\r\n");
  TStringList list;
  list.LoadFromFile(path);
  ASSERT_EQ(list.Count(), 2);
  list.Add("Zed <z>");
  list.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "Bob <1.2.3.4>\r\nalice <h>\r\nZed <z>\r\n");
  std::string bad = dir.File("gone/IPAddress.dat");
  try {
    list.SaveToFile(bad);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + bad);
  }
  EXPECT_THROW(list.LoadFromFile(bad), EFOpenError);
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringList, LoadFromStreamReadsFromThePosition) {
  TMemoryStream s;
  s.WriteBuffer("skip|x\ny", 8);
  s.SetPosition(5);
  TStringList list;
  list.LoadFromStream(&s);
  EXPECT_EQ(list.Text(), "x\r\ny\r\n");
}

TEST(StringList, ChangeEventsFireOncePerUpdate) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changing;
  };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(changed, 2);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("c");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changed, 2);
  list.EndUpdate();
  EXPECT_EQ(changed, 3);
  EXPECT_EQ(changing, 3);
  list.SetText("x\ny\nz");  // one change for the whole text
  EXPECT_EQ(changed, 4);
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
  TStringList list, copy;
  TObject o1, o2;
  list.AddObject("one", &o1);
  list.AddObject("two", &o2);
  list.Exchange(0, 1);
  EXPECT_EQ(list.Objects(0), &o2);
  EXPECT_EQ(list.IndexOfObject(&o1), 1);
  copy.Add("old");
  copy.Assign(&list);
  EXPECT_EQ(copy.Text(), "two\r\none\r\n");
  EXPECT_EQ(copy.Objects(1), &o1);
  try {
    list.Strings(2);
    FAIL() << "no exception";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (2)");
  }
}
