#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "platform/base/Exceptions.h"
#include "platform/base/InputHold.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Control.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/CustomControl.h"
#include "platform/controls/Form.h"

namespace {

// The window of a control (and those of its windowed children) now exists:
// each windowed control hears its size once, whatever it was set to before.
void NotifyWindowCreated(TControl* Control);

}  // namespace

// Reaches the private window-created flag for the helper above.
struct TWindowCreation {
  static void Notify(TControl* Control) {
    if (Control->FWindowCreated) return;
    Control->FWindowCreated = true;
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (win == nullptr) return;
    GuardedCall(win, [win] { win->WMSize(); });
    std::vector<TControl*> children(win->FControls);
    for (TControl* child : children)
      if (IsLiveControl(child) && child->Parent() == win) Notify(child);
  }
  static bool Created(const TControl* Control) { return Control->FWindowCreated; }
};

namespace {
void NotifyWindowCreated(TControl* Control) { TWindowCreation::Notify(Control); }
}  // namespace

// Used by the form when it is first shown or rendered.
void NotifyControlWindowCreated(TControl* Control) { NotifyWindowCreated(Control); }

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), FImpl(std::make_unique<TWinControlImpl>()) {
  FImpl->Owner = this;
  FImpl->TimerHost = new QObject();
  auto* widget = new QWidget();
  widget->setAttribute(Qt::WA_OpaquePaintEvent);
  widget->setAttribute(Qt::WA_NoSystemBackground);
  widget->setMouseTracking(true);
  widget->setFocusPolicy(Qt::NoFocus);
  FImpl->Widget = widget;
  InstallBridge(this, widget);
}

TWinControl::~TWinControl() {
  Destroying();
  for (auto& [id, timer] : FImpl->Timers) {
    timer->stop();
    timer->disconnect();
  }
  FImpl->Timers.clear();
  FImpl->TimerHost->deleteLater();
  if (TCustomForm* form = ParentForm(); form != nullptr && form != this) {
    if (form->FActiveControl == this) form->FActiveControl = nullptr;
  }
  // Children go first, last one first; each leaves its owner's list too.
  // A child leaves this parent in its own destructor, after its own part has
  // ended: a control whose thread still reads its parent (an animator's
  // timer) has stopped that thread by the time the parent is gone.
  while (!FControls.empty()) delete FControls.back();
  if (Parent() != nullptr) Parent()->RemoveControl(this);
  QWidget* widget = FImpl->Widget;
  FImpl->Widget = nullptr;
  delete widget;
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    FTabList.push_back(win);
    QWidget* w = win->FImpl->Widget;
    w->setParent(FImpl->Widget);
    w->setGeometry(win->Left(), win->Top(), win->Width(), win->Height());
    w->setVisible(win->Visible());
  }
  AControl->CMParentColorChanged();
  AControl->CMParentFontChanged();
  if (AControl->FParentShowHint) {
    AControl->SetShowHint(ShowHint());
    AControl->FParentShowHint = true;
  }
  if (TWindowCreation::Created(this)) NotifyWindowCreated(AControl);
  if (AControl->Align() != alNone) Realign();
  Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  FControls.erase(it);
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
    if (TCustomForm* form = ParentForm()) {
      // The focus cannot stay on a control that leaves the form.
      for (TControl* c = form->FActiveControl; c != nullptr; c = c->Parent())
        if (c == win) {
          form->FActiveControl = nullptr;
          break;
        }
    }
    if (QWidget* w = win->FImpl->Widget) {
      w->hide();
      w->setParent(nullptr);
    }
  }
  AControl->FParent = nullptr;
  if (CaptureControl() == AControl) SetCaptureControl(nullptr);
  if (!IsDestroying()) {
    if (AControl->Align() != alNone) Realign();
    Invalidate();
  }
}

TControl* TWinControl::ControlAtPos(TPoint Point, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c) != nullptr) continue;
    if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
    if (c->BoundsRect().Contains(Point)) return c;
  }
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return FWantedTabOrder;
  const auto& list = Parent()->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (IsLoading() || Parent() == nullptr) {
    FWantedTabOrder = Value;
    return;
  }
  auto& list = Parent()->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  const int count = int(list.size());
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  list.erase(it);
  list.insert(list.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  // Children read from a layout asked for tab positions; place each at the
  // position it asked for, the others keep their order.
  std::vector<TWinControl*> result(FTabList.size(), nullptr);
  std::vector<TWinControl*> rest;
  for (TWinControl* c : FTabList) {
    int wanted = c->FWantedTabOrder;
    if (wanted >= 0 && wanted < int(result.size()) && result[size_t(wanted)] == nullptr)
      result[size_t(wanted)] = c;
    else
      rest.push_back(c);
  }
  size_t next = 0;
  for (auto& slot : result)
    if (slot == nullptr) slot = rest[next++];
  FTabList = result;
}

void TWinControl::SetTabStop(bool Value) { FTabStop = Value; }

bool TWinControl::CanFocus() const {
  TCustomForm* form = ParentForm();
  if (form == nullptr) return false;
  for (const TControl* c = this; c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  TCustomForm* form = ParentForm();
  if (form == nullptr || !CanFocus())
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  form->SetActiveControl(this);
}

bool TWinControl::Focused() const {
  TCustomForm* form = ParentForm();
  return form != nullptr && form->Active() && form->ActiveControl() == this;
}

void TWinControl::Realign() {
  if (FAlignLevel > 0 || IsLoading()) {
    FAlignPending = true;
    return;
  }
  AlignNow();
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FAlignPending) Realign();
}

void TWinControl::AlignNow() {
  ++FAlignLevel;
  try {
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    AlignControls(nullptr, rect);
  } catch (...) {
    --FAlignLevel;
    FAlignPending = false;
    throw;
  }
  --FAlignLevel;
  FAlignPending = false;
}

void TWinControl::AdjustClientRect(TRect&) {}

namespace {

// Whether C1 goes before C2 among the controls of one alignment: by their
// position along the edge they stick to.
bool InsertBefore(const TControl* C1, const TControl* C2, TAlign Align) {
  switch (Align) {
    case alTop: return C1->Top() < C2->Top();
    case alBottom: return C1->Top() + C1->Height() >= C2->Top() + C2->Height();
    case alLeft: return C1->Left() < C2->Left();
    case alRight: return C1->Left() + C1->Width() >= C2->Left() + C2->Width();
    default: return false;
  }
}

}  // namespace

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : FControls) {
      if (c->Align() != align || !c->Visible()) continue;
      auto pos = list.begin();
      while (pos != list.end() && !InsertBefore(c, *pos, align)) ++pos;
      list.insert(pos, c);
    }
    for (TControl* c : list) {
      const int w = std::max(0, Rect.Right - Rect.Left);
      const int h = std::max(0, Rect.Bottom - Rect.Top);
      switch (align) {
        case alTop:
          c->SetBounds(Rect.Left, Rect.Top, w, c->Height());
          Rect.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), w, c->Height());
          Rect.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(Rect.Left, Rect.Top, c->Width(), h);
          Rect.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), h);
          Rect.Right -= c->Width();
          break;
        default:
          c->SetBounds(Rect.Left, Rect.Top, w, h);
          break;
      }
    }
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool sized = AWidth != Width() || AHeight != Height();
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (sized) Realign();
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() == Value) return;
  if (Parent() != nullptr) FImpl->Widget->setVisible(Value);
  TControl::SetVisible(Value);
}

void TWinControl::SetEnabled(bool Value) {
  if (Enabled() == Value) return;
  if (!Value) {
    // A disabled control loses the focus to nobody: the window system would
    // hand it to the next control in tab order (an edit, with its text
    // selected), and typing meant for nothing would replace that text.
    QWidget* focused = FImpl->Widget->window()->focusWidget();
    if (focused != nullptr && (focused == FImpl->Widget || FImpl->Widget->isAncestorOf(focused)))
      focused->clearFocus();
  }
  FImpl->Widget->setEnabled(Value);
  TControl::SetEnabled(Value);
}

void TWinControl::Invalidate() {
  if (!IsMainThread()) {
    TControl* self = this;
    Queue([self] {
      if (IsLiveControl(self)) self->Invalidate();
    });
    return;
  }
  FImpl->Widget->update();
}

void TWinControl::Repaint() {
  if (!IsMainThread()) {
    Synchronize([this] { Repaint(); });
    return;
  }
  if (FImpl->Widget->isVisible()) FImpl->Widget->repaint();
}

void TWinControl::Update() {
  if (!IsMainThread()) {
    Synchronize([this] { Update(); });
    return;
  }
  if (FImpl->Widget->isVisible()) FImpl->Widget->repaint();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  Realign();
}

void TWinControl::SetTimer(int Id, unsigned Milliseconds) {
  QTimer*& timer = FImpl->Timers[Id];
  if (timer == nullptr) {
    timer = new QTimer(FImpl->TimerHost);
    timer->setTimerType(Qt::PreciseTimer);
    QTimer* t = timer;
    QObject::connect(t, &QTimer::timeout, t, [this, t, Id] {
      // A tick that was already due when the timer was stopped is dropped.
      if (!t->isActive()) return;
      TInputHold hold;
      GuardedCall(this, [this, Id] { WMTimer(Id); });
    });
  }
  timer->start(int(std::max(1u, std::min(Milliseconds, 0x7FFFFFFFu))));
}

void TWinControl::KillTimer(int Id) {
  auto it = FImpl->Timers.find(Id);
  if (it != FImpl->Timers.end()) it->second->stop();
}

void TWinControl::WMTimer(int) {}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (FOnKeyDown) FOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (FOnKeyUp) FOnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (FOnKeyPress) FOnKeyPress(this, Key);
}

bool TWinControl::WantsKey(Word Key) const {
  // Native controls (edits, lists) move their caret or selection with the arrows.
  return FImpl->Native && (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN);
}

void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

bool TWinControl::DialogKey(Word Key, TShiftState Shift) {
  std::vector<TControl*> children(FControls);
  for (TControl* c : children)
    if (IsLiveControl(c) && c->Parent() == this && c->DialogKey(Key, Shift)) return true;
  return false;
}

void TWinControl::PaintWindow(TCanvas* Canvas) {
  Canvas->Brush()->SetColor(Color());
  Canvas->FillRect(ClientRect());
}

TCanvas* TWinControl::PaintCanvas() const { return FImpl->Painting ? FImpl->Canvas.get() : nullptr; }

void TWinControl::CMColorChanged() {
  TControl::CMColorChanged();
  std::vector<TControl*> children(FControls);
  for (TControl* c : children)
    if (IsLiveControl(c)) c->CMParentColorChanged();
}

void TWinControl::CMFontChanged() {
  TControl::CMFontChanged();
  std::vector<TControl*> children(FControls);
  for (TControl* c : children)
    if (IsLiveControl(c)) c->CMParentFontChanged();
}

void TWinControl::CMEnabledChanged() { TControl::CMEnabledChanged(); }
void TWinControl::CMVisibleChanged() { TControl::CMVisibleChanged(); }

TCanvas* TWinControl::BufferCanvas() const {
  TWinControlImpl& impl = *Impl();
  if (!impl.Buffer) {
    impl.Buffer = std::make_unique<TBitmap>();
    impl.Buffer->SetPixelFormat(pf32bit);
    impl.Buffer->SetSize(ClientWidth(), ClientHeight());
  }
  if (!impl.Canvas) impl.Canvas = std::make_unique<TCanvas>(impl.Buffer.get());
  return impl.Canvas.get();
}
