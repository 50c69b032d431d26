#include "platform/controls/ListBox.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cctype>
#include <exception>

#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/ItemStore.h"
#include "platform/controls/NativeLook.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapQt.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasSurfaceQt.h"
#include "platform/graphics/FontQt.h"

namespace {

// The list keeps an item's text up to its first NUL byte.
std::string_view ItemText(const std::string& S) {
  const size_t nul = S.find('\0');
  return nul == std::string::npos ? std::string_view(S) : std::string_view(S).substr(0, nul);
}

int CompareNoCase(std::string_view A, std::string_view B) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const int a = std::tolower(static_cast<unsigned char>(A[i]));
    const int b = std::tolower(static_cast<unsigned char>(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  if (A.size() == B.size()) return 0;
  return A.size() < B.size() ? -1 : 1;
}

}  // namespace

// The list's window: its frame, a vertical scroll bar that counts rows, and
// the viewport on which the control paints the rows in sight, one at a time.
class TListBoxView : public QAbstractScrollArea {
 public:
  explicit TListBoxView(TListBox* Owner) : FOwner(Owner) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setForegroundRole(QPalette::WindowText);  // the colour of a flat frame
    FRow.SetPixelFormat(pf32bit);
  }
  // The control is going away: nothing is painted through it from now on.
  void Detach() { FOwner = nullptr; }

  // Rows that fit whole into the viewport (at least one).
  int PageRows() const { return std::max(1, viewport()->height() / FOwner->RowHeight()); }
  int TopRow() const { return verticalScrollBar()->value(); }
  void SetTopRow(int Row) {
    ApplyRange();
    verticalScrollBar()->setValue(Row);
  }
  // Rows came or went: the scroll bar follows once the current burst of
  // changes is over (every change of its range makes Qt lay the scroll area
  // out again), or at once when something needs it.
  void UpdateRows() {
    if (!FRangePending) {
      FRangePending = true;
      QMetaObject::invokeMethod(this, [this] { ApplyRange(); }, Qt::QueuedConnection);
    }
    viewport()->update();
  }
  void ApplyRange() {
    if (!FRangePending || FOwner == nullptr) return;
    FRangePending = false;
    QScrollBar* bar = verticalScrollBar();
    const int page = PageRows();
    bar->setRange(0, std::max(0, FOwner->Count() - page));
    bar->setPageStep(page);
    bar->setSingleStep(1);
  }
  // The row at viewport line Y, -1 below the last one.
  int RowAt(int Y) const {
    if (Y < 0) return -1;
    const int row = TopRow() + Y / FOwner->RowHeight();
    return row < FOwner->Count() ? row : -1;
  }
  void EnsureVisible(int Row) {
    ApplyRange();
    if (Row < TopRow())
      SetTopRow(Row);
    else if (Row >= TopRow() + PageRows())
      SetTopRow(Row - PageRows() + 1);
  }

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override {
    QAbstractScrollArea::resizeEvent(Event);
    if (FOwner != nullptr) UpdateRows();
  }
  void scrollContentsBy(int, int) override { viewport()->update(); }
  // Mouse input is the list's: accepted here, so that it does not travel on
  // to the parent widgets (which would report it a second time).
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override { mousePressEvent(Event); }
  void mouseReleaseEvent(QMouseEvent* Event) override { Event->accept(); }
  void mouseMoveEvent(QMouseEvent* Event) override { Event->accept(); }
  void keyPressEvent(QKeyEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override {
    QAbstractScrollArea::focusInEvent(Event);
    viewport()->update();
  }
  void focusOutEvent(QFocusEvent* Event) override {
    QAbstractScrollArea::focusOutEvent(Event);
    viewport()->update();
  }

 private:
  TListBox* FOwner;
  bool FRangePending = false;
  TBitmap FRow;  // every row is drawn into it, then shown in its place
};

struct TListBox::TImpl {
  TItemStore Items;
  int Selected = -1;
  TListBoxView* View = nullptr;  // owned by the control's window
  QObject Context;               // queued calls die with it
  // An exception from OnDrawItem is shown after the paint, once: while its
  // box is pending, further failures of the same repaints are dropped.
  bool DrawFailurePending = false;
};

// ---- items -----------------------------------------------------------------

int TListBoxStrings::Count() const { return FOwner->FImpl->Items.Count(); }

std::string TListBoxStrings::Strings(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return std::string(FOwner->FImpl->Items.Text(Index));
}

void TListBoxStrings::SetStrings(int Index, const std::string& S) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  FOwner->FImpl->Items.SetText(Index, ItemText(S));
  FOwner->FImpl->View->viewport()->update();
}

TObject* TListBoxStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FOwner->FImpl->Items.Object(Index);
}

void TListBoxStrings::SetObjects(int Index, TObject* AObject) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  FOwner->FImpl->Items.SetObject(Index, AObject);
}

int TListBoxStrings::Add(const std::string& S) {
  const std::string_view text = ItemText(S);
  const int index = FOwner->FSorted ? FOwner->InsertPosition(std::string(text)) : Count();
  Insert(index, S);
  return index;
}

void TListBoxStrings::Insert(int Index, const std::string& S) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  FOwner->FImpl->Items.Insert(Index, ItemText(S));
  FOwner->RowsMoved(Index, 1);
}

void TListBoxStrings::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FOwner->FImpl->Items.Delete(Index);
  FOwner->RowsMoved(Index, -1);
}

void TListBoxStrings::Clear() {
  FOwner->FImpl->Items.Clear();
  FOwner->FImpl->Selected = -1;
  FOwner->RowsChanged();
}

void TListBoxStrings::SetUpdateState(bool Updating) {
  FOwner->FImpl->View->setUpdatesEnabled(!Updating);
}

// ---- drawing ---------------------------------------------------------------

void TListBoxView::paintEvent(QPaintEvent* Event) {
  if (FOwner == nullptr) return;
  ApplyRange();
  QPainter painter(viewport());
  const int height = FOwner->RowHeight();
  const int width = viewport()->width();
  const QRect dirty = Event->rect();
  const int selected = FOwner->ItemIndex();
  int y = 0;
  for (int row = TopRow(); row < FOwner->Count() && y < viewport()->height(); ++row, y += height) {
    if (y + height <= dirty.top() || y > dirty.bottom()) continue;
    TOwnerDrawState state = 0;
    if (row == selected) {
      state |= odSelected;
      if (hasFocus()) state |= odFocused;
    }
    if (!FOwner->Enabled()) state |= odDisabled;
    if (FRow.Width() != width || FRow.Height() != height) FRow.SetSize(width, height);
    FOwner->PaintRow(row, Bounds(0, y, width, height), state, FRow);
    if (FOwner == nullptr) return;
    painter.drawImage(0, y, BitmapToQImage(FRow));
  }
  // Below the last row: the list's own colour.
  if (y < viewport()->height())
    painter.fillRect(0, y, width, viewport()->height() - y, QColor::fromRgb(QtRgb(FOwner->Color())));
}

void TListBoxView::mousePressEvent(QMouseEvent* Event) {
  Event->accept();
  if (FOwner == nullptr || Event->button() != Qt::LeftButton) return;
  ApplyRange();
  const int row = RowAt(int(Event->position().y()));
  if (row >= 0) FOwner->SelectByUser(row);
}

void TListBoxView::keyPressEvent(QKeyEvent* Event) {
  if (FOwner == nullptr || FOwner->Count() == 0) return;
  ApplyRange();
  const int current = FOwner->ItemIndex();
  // Without a selection the first row in sight is where the keys start.
  const int from = current >= 0 ? current : TopRow();
  const int step = current >= 0 ? 1 : 0;
  int row;
  switch (Event->key()) {
    case Qt::Key_Up: row = from - step; break;
    case Qt::Key_Down: row = from + step; break;
    case Qt::Key_PageUp: row = from - std::max(1, PageRows() - 1); break;
    case Qt::Key_PageDown: row = from + std::max(1, PageRows() - 1); break;
    case Qt::Key_Home: row = 0; break;
    case Qt::Key_End: row = FOwner->Count() - 1; break;
    default: QAbstractScrollArea::keyPressEvent(Event); return;
  }
  FOwner->SelectByUser(std::clamp(row, 0, FOwner->Count() - 1));
}

void TListBox::PaintRow(int Index, const TRect& Rect, TOwnerDrawState State, TBitmap& Target) {
  TCanvas* canvas = FCanvas.get();
  canvas->SetSurface(&Target);
  // The handler addresses the row in the list's client coordinates.
  canvas->SetViewportOrg(-Rect.Left, -Rect.Top);
  canvas->SetFont(Font());
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  if (State & odSelected) {
    canvas->Brush()->SetColor(clHighlight);
    canvas->Font()->SetColor(clHighlightText);
  }
  canvas->FillRect(Rect);  // what shows where the handler draws nothing
  try {
    DrawItem(Index, Rect, State);
  } catch (...) {
    if (!FImpl->DrawFailurePending) {
      FImpl->DrawFailurePending = true;
      std::exception_ptr failure = std::current_exception();
      QMetaObject::invokeMethod(
          &FImpl->Context,
          [this, failure] {
            try {
              std::rethrow_exception(failure);
            } catch (...) {
              if (Application != nullptr) Application->HandleException(this);
            }
            FImpl->DrawFailurePending = false;
          },
          Qt::QueuedConnection);
    }
  }
  if ((State & odFocused) && Focused()) canvas->DrawFocusRect(Rect);
  canvas->SetSurface(nullptr);
}

void TListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (FStyle == lbOwnerDrawFixed && FOnDrawItem) {
    FOnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

// ---- the control -----------------------------------------------------------

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(std::make_unique<TListBoxStrings>(this)),
      FCanvas(std::make_unique<TCanvas>(nullptr)),
      FImpl(std::make_unique<TImpl>()) {
  auto* view = new TListBoxView(this);
  FImpl->View = view;
  AttachNativeWidget(this, view);
  BridgeInnerWidget(this, view->viewport());

  // A selection changed by the user (mouse or keys) runs OnClick.
  SetControlStyle(ControlStyle() & ~TControlStyle(csClickEvents));
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  ApplyNativeColor(view, *this);
  ApplyFrame();
}

TListBox::~TListBox() {
  // The window outlives this part of the control: it must not paint through us.
  FImpl->View->Detach();
}

int TListBox::Count() const { return FItems->Count(); }

int TListBox::ItemIndex() const { return FImpl->Selected; }

void TListBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= Count() || Value == FImpl->Selected) return;
  FImpl->Selected = Value;
  if (Value >= 0) FImpl->View->EnsureVisible(Value);
  FImpl->View->viewport()->update();
}

void TListBox::SelectByUser(int Row) {
  FImpl->View->EnsureVisible(Row);
  if (Row == FImpl->Selected) return;
  FImpl->Selected = Row;
  FImpl->View->viewport()->update();
  GuardedCall(this, [this] { Click(); });
}

int TListBox::TopIndex() const {
  FImpl->View->ApplyRange();
  return FImpl->View->TopRow();
}
void TListBox::SetTopIndex(int Value) { FImpl->View->SetTopRow(Value); }

int TListBox::InsertPosition(const std::string& S) const {
  // The first row that sorts after S: equal items keep the order they came in.
  int low = 0, high = Count();
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (CompareNoCase(S, FImpl->Items.Text(mid)) < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return low;
}

void TListBox::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (!FSorted) return;
  std::vector<std::pair<std::string, TObject*>> items;
  for (int i = 0; i < Count(); ++i)
    items.emplace_back(std::string(FImpl->Items.Text(i)), FImpl->Items.Object(i));
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
    return CompareNoCase(a.first, b.first) < 0;
  });
  FItems->BeginUpdate();
  FItems->Clear();
  for (const auto& [text, object] : items) FItems->AddObject(text, object);
  FItems->EndUpdate();
}

void TListBox::SetStyle(TListBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RowsChanged();
}

void TListBox::SetItemHeight(int Value) {
  Value = std::max(1, Value);
  if (Value == FItemHeight) return;
  FItemHeight = Value;
  RowsChanged();
}

int TListBox::RowHeight() const {
  if (FStyle == lbOwnerDrawFixed) return FItemHeight;
  return std::max(1, QtFontMetrics(*Font()).height());
}

void TListBox::SetOnDrawItem(TDrawItemEvent Value) {
  FOnDrawItem = std::move(Value);
  FImpl->View->viewport()->update();
}

void TListBox::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  ApplyFrame();
}

void TListBox::SetCtl3D(bool Value) {
  if (Value == FCtl3D) return;
  FCtl3D = Value;
  ApplyFrame();
}

// Qt draws the frame around the rows' viewport, as wide as FrameWidth; a
// flat frame is a plain line in the window-frame colour.
void TListBox::ApplyFrame() {
  TListBoxView* view = FImpl->View;
  if (FrameWidth() == 0) {
    view->setFrameStyle(QFrame::NoFrame);
    return;
  }
  QPalette palette = view->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(QtRgb(clWindowFrame)));
  view->setPalette(palette);
  view->setFrameStyle(FCtl3D ? (QFrame::Panel | QFrame::Sunken) : (QFrame::Box | QFrame::Plain));
  view->setLineWidth(FrameWidth());
}

int TListBox::FrameWidth() const {
  if (FBorderStyle == bsNone) return 0;
  return FCtl3D ? 2 : 1;
}

TPoint TListBox::ClientOffset() const { return TPoint{FrameWidth(), FrameWidth()}; }
int TListBox::ClientWidth() const { return std::max(0, Width() - 2 * FrameWidth()); }
int TListBox::ClientHeight() const { return std::max(0, Height() - 2 * FrameWidth()); }
void TListBox::SetClientWidth(int Value) { SetWidth(Value + 2 * FrameWidth()); }
void TListBox::SetClientHeight(int Value) { SetHeight(Value + 2 * FrameWidth()); }

void TListBox::RowsMoved(int Index, int Delta) {
  int& selected = FImpl->Selected;
  if (selected >= Index) {
    if (Delta > 0)
      ++selected;
    else
      selected = selected == Index ? -1 : selected - 1;
  }
  RowsChanged();
}

// Rows arrived, went or changed height: the scroll range follows, and the
// rows in sight are painted again.
void TListBox::RowsChanged() { FImpl->View->UpdateRows(); }

void TListBox::CMColorChanged() {
  ApplyNativeColor(FImpl->View, *this);
  TWinControl::CMColorChanged();
  FImpl->View->viewport()->update();
}

void TListBox::CMFontChanged() {
  TWinControl::CMFontChanged();
  RowsChanged();
}

void TListBox::CMEnabledChanged() {
  TWinControl::CMEnabledChanged();
  FImpl->View->viewport()->update();
}

bool TListBox::WantsKey(Word Key) const {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}
