// TListBox: sorted items, owner-drawn rows through OnDrawItem, selection,
// clicks, double clicks and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "StdTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Canvas.h"

namespace {

struct ListFixture : ::testing::Test {
  std::unique_ptr<TForm> form = ShownForm(300, 260);
  TListBox* list = nullptr;
  void SetUp() override {
    list = new TListBox(form.get());
    list->SetParent(form.get());
    list->SetBorderStyle(bsNone);  // rows start at the control's corner
    list->SetBounds(10, 10, 200, 200);
  }
  // Centre of row Index in client coordinates of the list.
  TPoint RowCentre(int Index, int Height) const { return Point(100, Index * Height + Height / 2); }
};

std::vector<std::string> Lines(TStrings* Items) {
  std::vector<std::string> lines;
  for (int i = 0; i < Items->Count(); ++i) lines.push_back(Items->Strings(i));
  return lines;
}

TEST_F(ListFixture, SortedListOrdersWithoutRegardToCase) {
  list->SetSorted(true);
  EXPECT_EQ(list->Items()->Add("Bob <10.0.0.1>"), 0);
  EXPECT_EQ(list->Items()->Add("carl <10.0.0.3>"), 1);
  EXPECT_EQ(list->Items()->Add("alice <10.0.0.2>"), 0);
  EXPECT_EQ(list->Items()->Add("Bob <10.0.0.1>"), 2);  // duplicates are kept, after their equal
  EXPECT_EQ(Lines(list->Items()),
            (std::vector<std::string>{"alice <10.0.0.2>", "Bob <10.0.0.1>", "Bob <10.0.0.1>",
                                      "carl <10.0.0.3>"}));
}

TEST_F(ListFixture, SortingLaterReordersPresentItems) {
  list->Items()->Add("b");
  list->Items()->Add("C");
  list->Items()->Add("a");
  list->SetSorted(true);
  EXPECT_EQ(Lines(list->Items()), (std::vector<std::string>{"a", "b", "C"}));
}

TEST_F(ListFixture, UnsortedListKeepsOrderAndInsertAtTop) {
  list->Items()->Add("first");
  list->Items()->Insert(0, "newest");
  EXPECT_EQ(Lines(list->Items()), (std::vector<std::string>{"newest", "first"}));
}

TEST_F(ListFixture, ItemKeepsTextUpToFirstNul) {
  list->Items()->Add(std::string("Bob <2> hi\0junk", 15));
  EXPECT_EQ(list->Items()->Strings(0), "Bob <2> hi");
}

TEST_F(ListFixture, BadIndexes) {
  list->Items()->Add("one");
  EXPECT_THROW(
      {
        try {
          list->Items()->Strings(5);
        } catch (const EStringListError& e) {
          EXPECT_STREQ(e.what(), "List index out of bounds (5)");
          throw;
        }
      },
      EStringListError);
  list->Items()->Delete(7);  // nothing happens
  EXPECT_EQ(list->Count(), 1);
}

TEST_F(ListFixture, ItemIndexFollowsSelectionAndDeletes) {
  EXPECT_EQ(list->ItemIndex(), -1);
  for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetItemIndex(2);
  EXPECT_EQ(list->ItemIndex(), 2);
  list->SetItemIndex(9);  // ignored
  EXPECT_EQ(list->ItemIndex(), 2);
  list->SetItemIndex(-1);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetItemIndex(1);
  list->Items()->Delete(1);
  EXPECT_EQ(list->ItemIndex(), -1);  // the selected row went with it
  list->SetItemIndex(1);
  list->Clear();
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListFixture, OwnerDrawnRowsAreDrawnByTheHandler) {
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(40);
  std::map<int, TRect> rects;
  std::map<int, TOwnerDrawState> states;
  const TColor fills[] = {RGB(200, 10, 10), RGB(10, 200, 10), RGB(10, 10, 200)};
  list->SetOnDrawItem([&](TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
    EXPECT_EQ(control, list);
    rects[index] = rect;
    states[index] = state;
    TCanvas* canvas = list->Canvas();
    canvas->Brush()->SetColor(fills[index % 3]);
    canvas->FillRect(Rect(rect.Left, rect.Top, rect.Right, rect.Top + 20));
  });
  for (const char* s : {"one", "two", "three"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  Application->ProcessMessages();
  std::unique_ptr<TBitmap> image = form->GetFormImage();
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0], Rect(0, 0, 200, 40));
  EXPECT_EQ(rects[2], Rect(0, 80, 200, 120));
  EXPECT_TRUE(states[1] & odSelected);
  EXPECT_FALSE(states[0] & odSelected);
  // The handler's pixels at the row's place; below them the brush it got:
  // the list's colour, the highlight for the selected row.
  EXPECT_EQ(image->Pixel(10 + 50, 10 + 0 * 40 + 10), fills[0]);
  EXPECT_EQ(image->Pixel(10 + 50, 10 + 2 * 40 + 10), fills[2]);
  EXPECT_EQ(image->Pixel(10 + 50, 10 + 2 * 40 + 30), ColorToRGB(clWindow));
  EXPECT_EQ(image->Pixel(10 + 50, 10 + 1 * 40 + 30), ColorToRGB(clHighlight));
}

TEST_F(ListFixture, UserClickSelectsAndRunsOnClickDoubleClickRunsOnDblClick) {
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
  Application->ProcessMessages();
  int clicks = 0, doubles = 0, indexAtDouble = -2;
  list->SetOnClick([&](TObject*) { ++clicks; });
  list->SetOnDblClick([&](TObject*) {
    ++doubles;
    indexAtDouble = list->ItemIndex();
  });
  const TPoint p = RowCentre(2, 20);
  SimulateClick(list);  // the centre: row 4 does not exist, nothing selected
  SimulateMouseDown(list, mbLeft, p.X, p.Y);
  SimulateMouseUp(list, mbLeft, p.X, p.Y);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  // A double click: a click, then the second press the window system reports.
  const TPoint q = RowCentre(1, 20);
  SimulateMouseDown(list, mbLeft, q.X, q.Y);
  SimulateMouseUp(list, mbLeft, q.X, q.Y);
  SimulateDoubleClick(list, q.X, q.Y);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(indexAtDouble, 1);
}

TEST_F(ListFixture, KeysReachOnKeyDownAndArrowsMoveTheSelection) {
  for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
  list->SetItemIndex(0);
  std::vector<Word> keys;
  list->SetOnKeyDown([&](TObject*, Word& key, TShiftState) { keys.push_back(key); });
  list->SetFocus();
  Application->ProcessMessages();
  SimulateKey(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 1);
  SimulateKey(VK_RETURN);
  EXPECT_EQ(keys, (std::vector<Word>{VK_DOWN, VK_RETURN}));
}

TEST_F(ListFixture, ItemsAddedInsideAnUpdateShowAfterIt) {
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  int draws = 0;
  list->SetOnDrawItem([&](TWinControl*, int, TRect, TOwnerDrawState) { ++draws; });
  list->Items()->BeginUpdate();
  for (int i = 0; i < 5; ++i) list->Items()->Add("line");
  list->Items()->EndUpdate();
  Application->ProcessMessages();  // the list lays out its rows from the message loop
  form->GetFormImage();
  EXPECT_EQ(list->Count(), 5);
  EXPECT_GE(draws, 5);
}

TEST_F(ListFixture, FailingDrawHandlerReportsOncePerPaintAfterIt) {
  TMessageBoxCapture boxes;
  list->SetStyle(lbOwnerDrawFixed);
  size_t boxesDuringPaint = 99;
  int failures = 0;
  list->SetOnDrawItem([&](TWinControl*, int, TRect, TOwnerDrawState) {
    boxesDuringPaint = boxes.Boxes().size();
    ++failures;
    throw EConvertError("'x' is not a valid integer value");
  });
  list->Items()->Add("a");
  list->Items()->Add("b");
  Application->ProcessMessages();
  failures = 0;
  const size_t boxesBefore = boxes.Boxes().size();
  form->GetFormImage();
  EXPECT_GE(failures, 2);                      // both rows failed in one paint
  EXPECT_EQ(boxesDuringPaint, boxesBefore);    // never a box inside the paint
  Application->ProcessMessages();
  ASSERT_GE(boxes.Boxes().size(), 1u);
  EXPECT_LT(boxes.Boxes().size(), size_t(failures));
  EXPECT_EQ(boxes.Boxes()[0].Kind, mtError);
  EXPECT_EQ(boxes.Boxes()[0].Text, "'x' is not a valid integer value.");
}

// Only the rows in sight are drawn; a row added at the top while the list
// shows its top appears there, and the selection moves with its row.
TEST_F(ListFixture, OnlyRowsInSightAreDrawnAndTheSelectionFollowsItsRow) {
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(40);  // five rows fit into 200 pixels
  std::vector<int> drawn;
  list->SetOnDrawItem([&](TWinControl*, int index, TRect, TOwnerDrawState) { drawn.push_back(index); });
  list->Items()->BeginUpdate();
  for (int i = 0; i < 5000; ++i) list->Items()->Insert(0, "line " + std::to_string(i));
  list->Items()->EndUpdate();
  list->SetItemIndex(1);
  Application->ProcessMessages();
  drawn.clear();
  form->GetFormImage();
  ASSERT_FALSE(drawn.empty());
  EXPECT_LE(*std::max_element(drawn.begin(), drawn.end()), 5);
  list->Items()->Insert(0, "newest");
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(list->Items()->Strings(2), "line 4998");
  list->Items()->Delete(0);
  EXPECT_EQ(list->ItemIndex(), 1);
}

// The texts are packed together; replacing and deleting many of them (which
// makes the list repack what is left) keeps every other text as it was.
TEST_F(ListFixture, TextsSurviveManyReplacementsAndDeletions) {
  const std::string pad(100, 'x');
  for (int i = 0; i < 3000; ++i) list->Items()->Add(std::to_string(i) + pad);
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 3000; ++i) list->Items()->SetStrings(i, std::to_string(i) + "/" + std::to_string(round) + pad);
  for (int i = 2999; i >= 0; i -= 2) list->Items()->Delete(i);
  ASSERT_EQ(list->Count(), 1500);
  for (int i = 0; i < 1500; ++i) ASSERT_EQ(list->Items()->Strings(i), std::to_string(2 * i) + "/2" + pad);
  list->Items()->SetStrings(7, "");
  EXPECT_EQ(list->Items()->Strings(7), "");
}

TEST(FramedList, ClientAreaLiesInsideTheFrame) {
  std::unique_ptr<TForm> form = ShownForm(300, 300);
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBevelOuter(bvNone);
  panel->SetBounds(20, 30, 260, 260);
  const TColor fills[] = {RGB(200, 10, 10), RGB(10, 200, 10)};
  for (bool ctl3D : {false, true}) {
    SCOPED_TRACE(ctl3D ? "sunken frame" : "flat frame");
    const int frame = ctl3D ? 2 : 1;
    auto* list = new TListBox(form.get());
    list->SetParent(panel);
    list->SetCtl3D(ctl3D);
    list->SetBounds(5, 7, 120, 100);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(20);
    list->Font()->SetColor(clRed);
    std::map<int, TRect> rects;
    list->SetOnDrawItem([&](TWinControl*, int index, TRect rect, TOwnerDrawState) {
      rects[index] = rect;
      list->Canvas()->Brush()->SetColor(fills[index % 2]);
      list->Canvas()->FillRect(rect);
    });
    list->Items()->Add("a");
    list->Items()->Add("b");
    Application->ProcessMessages();
    EXPECT_EQ(list->ClientWidth(), 120 - 2 * frame);
    EXPECT_EQ(list->ClientHeight(), 100 - 2 * frame);
    const TPoint origin = list->ClientOriginInForm();
    EXPECT_EQ(origin, Point(20 + 5 + frame, 30 + 7 + frame));

    // Row rectangles are in client coordinates: they start at the origin.
    std::unique_ptr<TBitmap> image = form->GetFormImage();
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], Rect(0, 0, list->ClientWidth(), 20));
    EXPECT_EQ(image->Pixel(origin.X, origin.Y), fills[0]);
    EXPECT_EQ(image->Pixel(origin.X + list->ClientWidth() - 1, origin.Y + 20), fills[1]);
    EXPECT_NE(image->Pixel(origin.X - 1, origin.Y - 1), fills[0]);  // the frame
    if (!ctl3D) {  // a flat frame is the window-frame colour, whatever the font's
      EXPECT_EQ(image->Pixel(origin.X - 1, origin.Y + 5), clBlack);
      EXPECT_EQ(image->Pixel(origin.X + list->ClientWidth(), origin.Y + 5), clBlack);
    }
    EXPECT_NE(image->Pixel(origin.X + list->ClientWidth(), origin.Y), fills[0]);

    // Mouse positions are client coordinates too: y 20 is the second row's first line.
    SimulateMouseDown(list, mbLeft, 3, 19);
    SimulateMouseUp(list, mbLeft, 3, 19);
    EXPECT_EQ(list->ItemIndex(), 0);
    SimulateMouseDown(list, mbLeft, 3, 20);
    SimulateMouseUp(list, mbLeft, 3, 20);
    EXPECT_EQ(list->ItemIndex(), 1);
    const TPoint screen = list->ClientToScreen(Point(0, 0));
    EXPECT_EQ(list->ScreenToClient(screen), Point(0, 0));
    EXPECT_EQ(form->ScreenToClient(screen), origin);
    delete list;
  }
}

}  // namespace
