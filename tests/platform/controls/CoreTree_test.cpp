// The control tree: alignment, notifications, colours and fonts that follow
// the parent, tab order and focus.
#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/graphics/Font.h"

namespace {

TProbeControl* Child(TWinControl* parent, TAlign align, int w, int h) {
  auto* c = new TProbeControl(parent);
  c->SetBounds(0, 0, w, h);
  c->SetAlign(align);
  c->SetParent(parent);
  return c;
}

}  // namespace

TEST(ControlAlign, EdgesAreTakenInOrderAndClientFillsTheRest) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  TProbeControl* top = Child(&form, alTop, 10, 45);
  TProbeControl* bottom = Child(&form, alBottom, 10, 40);
  TProbeControl* left = Child(&form, alLeft, 30, 10);
  TProbeControl* right = Child(&form, alRight, 20, 10);
  TProbeControl* client = Child(&form, alClient, 1, 1);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 45));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 260, 400, 300));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 45, 30, 260));
  EXPECT_EQ(right->BoundsRect(), Rect(380, 45, 400, 260));
  EXPECT_EQ(client->BoundsRect(), Rect(30, 45, 380, 260));

  // Resizing the parent re-aligns; hiding an aligned control frees its edge.
  form.SetClientHeight(400);
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 360, 400, 400));
  top->Hide();
  EXPECT_EQ(client->BoundsRect(), Rect(30, 0, 380, 360));
  // An unaligned control keeps its place.
  TProbeControl* free = Child(&form, alNone, 5, 5);
  free->SetBounds(7, 8, 5, 5);
  form.SetClientWidth(500);
  EXPECT_EQ(free->BoundsRect(), Rect(7, 8, 12, 13));
}

TEST(ControlAlign, AdjustClientRectNarrowsTheAlignedArea) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  auto* panel = new TProbeControl(&form);
  panel->Inset = 5;
  panel->SetBounds(0, 0, 100, 80);
  panel->SetParent(&form);
  TProbeControl* inner = Child(panel, alClient, 1, 1);
  EXPECT_EQ(inner->BoundsRect(), Rect(5, 5, 95, 75));
  TProbeControl* top = Child(panel, alTop, 1, 10);
  EXPECT_EQ(top->BoundsRect(), Rect(5, 5, 95, 15));
  EXPECT_EQ(inner->BoundsRect(), Rect(5, 15, 95, 75));
}

TEST(ControlNotifications, SizeIsReportedAtOnceAndWhenTheWindowIsCreated) {
  TForm form(nullptr);
  auto* c = new TProbeControl(&form);
  c->SetParent(&form);
  const int before = c->Sizes;
  c->SetBounds(1, 1, 50, 20);
  EXPECT_EQ(c->Sizes, before + 1);
  c->SetBounds(5, 5, 50, 20);  // a move is no size change
  EXPECT_EQ(c->Sizes, before + 1);
  // Showing the form creates the windows: every control hears its size once more.
  form.Show();
  EXPECT_EQ(c->Sizes, before + 2);
  form.Hide();
  form.Show();
  EXPECT_EQ(c->Sizes, before + 2);
  // A control put on a form whose window exists hears it at once.
  auto* late = new TProbeControl(&form);
  late->SetParent(&form);
  EXPECT_EQ(late->Sizes, 1);
  form.Hide();
}

TEST(ControlNotifications, ColourAndFontFollowTheParentUntilSetOwnValues) {
  TForm form(nullptr);
  auto* panel = new TProbeControl(&form);
  panel->SetParent(&form);
  auto* inner = new TProbeControl(&form);
  inner->SetParent(panel);
  EXPECT_TRUE(inner->ParentColor());
  EXPECT_EQ(inner->Color(), form.Color());

  inner->Log.clear();
  panel->SetColor(clRed);
  EXPECT_EQ(inner->Color(), clRed);
  EXPECT_TRUE(inner->ParentColor());
  EXPECT_EQ(inner->Log, (std::vector<std::string>{"color"}));

  inner->SetColor(clLime);
  EXPECT_FALSE(inner->ParentColor());
  panel->SetColor(clBlue);
  EXPECT_EQ(inner->Color(), clLime);
  inner->SetParentColor(true);
  EXPECT_EQ(inner->Color(), clBlue);

  inner->Log.clear();
  form.Font()->SetHeight(-20);
  EXPECT_EQ(panel->Font()->Height(), -20);
  EXPECT_EQ(inner->Font()->Height(), -20);
  EXPECT_TRUE(inner->ParentFont());
  EXPECT_EQ(inner->Log, (std::vector<std::string>{"font"}));
  inner->Font()->SetName("Arial");
  EXPECT_FALSE(inner->ParentFont());
  form.Font()->SetHeight(-13);
  EXPECT_EQ(inner->Font()->Height(), -20);
}

TEST(ControlNotifications, TextAndEnabledChangesAreReportedOnlyOnChange) {
  TForm form(nullptr);
  auto* c = new TProbeControl(&form);
  c->SetCaption("Chat");
  c->SetCaption("Chat");
  c->SetText("Stop");
  c->SetEnabled(false);
  c->SetEnabled(false);
  EXPECT_EQ(c->Log, (std::vector<std::string>{"text", "text", "enabled"}));
  EXPECT_EQ(c->Caption(), "Stop");
}

TEST(ControlFocus, TabOrderFocusAndTheFocusNotification) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  std::vector<TProbeControl*> c;
  std::vector<std::string> entered;
  for (int i = 0; i < 3; ++i) {
    auto* p = new TProbeControl(&form);
    p->SetName("p" + std::to_string(i));
    p->SetBounds(i * 50, 0, 40, 20);
    p->SetTabStop(true);
    p->SetParent(&form);
    p->SetOnEnter([&entered](TObject* s) { entered.push_back(static_cast<TControl*>(s)->Name()); });
    c.push_back(p);
  }
  c[2]->SetTabOrder(0);  // tab order: p2, p0, p1
  EXPECT_EQ(c[2]->TabOrder(), 0);
  EXPECT_EQ(c[0]->TabOrder(), 1);
  form.Show();
  // Activation focuses the first control in tab order.
  EXPECT_TRUE(c[2]->Focused());
  form.SelectNext(c[2], true, true);
  EXPECT_TRUE(c[0]->Focused());
  EXPECT_EQ(c[2]->Log.back(), "focus:other");
  EXPECT_EQ(c[0]->Log.back(), "focus:me");
  form.SelectNext(c[0], false, true);
  EXPECT_TRUE(c[2]->Focused());
  EXPECT_EQ(entered, (std::vector<std::string>{"p2", "p0", "p2"}));

  c[1]->SetEnabled(false);
  EXPECT_FALSE(c[1]->CanFocus());
  EXPECT_THROW(c[1]->SetFocus(), EInvalidOperation);
  form.SelectNext(c[0], true, true);  // skips the disabled one
  EXPECT_TRUE(c[2]->Focused());
  form.Hide();
}
