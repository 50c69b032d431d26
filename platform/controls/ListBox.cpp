#include "platform/controls/ListBox.h"

#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cctype>
#include <exception>

#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/NativeLook.h"
#include "platform/controls/QtText.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapQt.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/FontQt.h"

namespace {

// The list keeps an item's text up to its first NUL byte.
std::string ItemText(const std::string& S) {
  const size_t nul = S.find('\0');
  return nul == std::string::npos ? S : S.substr(0, nul);
}

int CompareNoCase(const std::string& A, const std::string& B) {
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

// Rows are painted by the control: each row's pixels are drawn through the
// list's TCanvas into a bitmap, which is then shown in the row's place.
class TListBoxDelegate : public QStyledItemDelegate {
 public:
  explicit TListBoxDelegate(TListBox* Owner) : FOwner(Owner) {}
  void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
             const QModelIndex& Index) const override;
  QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;

 private:
  TListBox* FOwner;
};

struct TListBox::TImpl {
  struct TItem {
    std::string Text;
    TObject* Object = nullptr;
  };
  std::vector<TItem> Items;
  QListWidget* List = nullptr;
  std::unique_ptr<TListBoxDelegate> Delegate;
  QObject Context;  // connections die with it
  bool ProgramSelects = false;
  // An exception from OnDrawItem is shown after the paint, once: while its
  // box is pending, further failures of the same repaints are dropped.
  bool DrawFailurePending = false;
};

// ---- items -----------------------------------------------------------------

int TListBoxStrings::Count() const { return int(FOwner->FImpl->Items.size()); }

std::string TListBoxStrings::Strings(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FOwner->FImpl->Items[size_t(Index)].Text;
}

void TListBoxStrings::SetStrings(int Index, const std::string& S) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  auto& item = FOwner->FImpl->Items[size_t(Index)];
  item.Text = ItemText(S);
  FOwner->FImpl->List->item(Index)->setText(QtText(item.Text));
}

TObject* TListBoxStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FOwner->FImpl->Items[size_t(Index)].Object;
}

void TListBoxStrings::SetObjects(int Index, TObject* AObject) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  FOwner->FImpl->Items[size_t(Index)].Object = AObject;
}

int TListBoxStrings::Add(const std::string& S) {
  const std::string text = ItemText(S);
  const int index = FOwner->FSorted ? FOwner->InsertPosition(text) : Count();
  Insert(index, text);
  return index;
}

void TListBoxStrings::Insert(int Index, const std::string& S) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  auto& impl = *FOwner->FImpl;
  TListBox::TImpl::TItem item;
  item.Text = ItemText(S);
  impl.Items.insert(impl.Items.begin() + Index, item);
  impl.ProgramSelects = true;
  impl.List->insertItem(Index, QtText(item.Text));
  impl.ProgramSelects = false;
}

void TListBoxStrings::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  auto& impl = *FOwner->FImpl;
  const bool wasSelected = FOwner->ItemIndex() == Index;
  impl.Items.erase(impl.Items.begin() + Index);
  impl.ProgramSelects = true;
  delete impl.List->takeItem(Index);
  // Qt selects the row that moves up; the host's list is left without a selection.
  if (wasSelected) impl.List->clearSelection();
  impl.ProgramSelects = false;
}

void TListBoxStrings::Clear() {
  auto& impl = *FOwner->FImpl;
  impl.Items.clear();
  impl.ProgramSelects = true;
  impl.List->clear();
  impl.ProgramSelects = false;
}

void TListBoxStrings::SetUpdateState(bool Updating) {
  FOwner->FImpl->List->setUpdatesEnabled(!Updating);
}

// ---- drawing ---------------------------------------------------------------

void TListBoxDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                             const QModelIndex& Index) const {
  const QRect r = Option.rect;
  if (r.isEmpty()) return;
  TOwnerDrawState state = 0;
  if (Option.state & QStyle::State_Selected) state |= odSelected;
  if (Option.state & QStyle::State_HasFocus) state |= odFocused;
  if (!FOwner->Enabled()) state |= odDisabled;
  TBitmap row;
  row.SetPixelFormat(pf32bit);
  row.SetSize(r.width(), r.height());
  FOwner->PaintRow(Index.row(), Bounds(r.x(), r.y(), r.width(), r.height()), state, row);
  Painter->drawImage(r.topLeft(), BitmapToQImage(row));
}

QSize TListBoxDelegate::sizeHint(const QStyleOptionViewItem& Option, const QModelIndex&) const {
  int height = FOwner->Style() == lbOwnerDrawFixed ? FOwner->ItemHeight()
                                                   : QtFontMetrics(*FOwner->Font()).height();
  return QSize(Option.rect.width(), std::max(1, height));
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
  auto* list = new QListWidget();
  FImpl->List = list;
  FImpl->Delegate = std::make_unique<TListBoxDelegate>(this);
  list->setItemDelegate(FImpl->Delegate.get());
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setAutoFillBackground(true);
  AttachNativeWidget(this, list);
  BridgeInnerWidget(this, list->viewport());

  // A selection changed by the user (mouse or keys) runs OnClick.
  SetControlStyle(ControlStyle() & ~TControlStyle(csClickEvents));
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  ApplyNativeColor(list, *this);
  ApplyNativeFont(list, *this);
  ApplyFrame();
  QObject::connect(list, &QListWidget::itemSelectionChanged, &FImpl->Context, [this] {
    if (!FImpl->ProgramSelects) GuardedCall(this, [this] { Click(); });
  });
}

TListBox::~TListBox() {
  // The widget outlives this part of the control: it must not paint through us.
  FImpl->List->setItemDelegate(nullptr);
}

int TListBox::Count() const { return FItems->Count(); }

// The selected row: Qt may have a current row without a selection (focus
// arriving by the keyboard), which the host's list does not count.
int TListBox::ItemIndex() const {
  const QModelIndexList rows = FImpl->List->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TListBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= Count()) return;
  FImpl->ProgramSelects = true;
  if (Value == -1) {
    FImpl->List->clearSelection();
  } else {
    FImpl->List->setCurrentRow(Value, QItemSelectionModel::ClearAndSelect);
  }
  FImpl->ProgramSelects = false;
}

int TListBox::InsertPosition(const std::string& S) const {
  const auto& items = FImpl->Items;
  auto it = std::upper_bound(items.begin(), items.end(), S,
                             [](const std::string& s, const TImpl::TItem& item) {
                               return CompareNoCase(s, item.Text) < 0;
                             });
  return int(it - items.begin());
}

void TListBox::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (!FSorted) return;
  auto items = FImpl->Items;
  std::stable_sort(items.begin(), items.end(), [](const TImpl::TItem& a, const TImpl::TItem& b) {
    return CompareNoCase(a.Text, b.Text) < 0;
  });
  FItems->BeginUpdate();
  FItems->Clear();
  for (const auto& item : items) FItems->AddObject(item.Text, item.Object);
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

void TListBox::SetOnDrawItem(TDrawItemEvent Value) {
  FOnDrawItem = std::move(Value);
  FImpl->List->viewport()->update();
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

// Qt draws the frame around the rows' viewport, as wide as FrameWidth.
void TListBox::ApplyFrame() {
  QListWidget* list = FImpl->List;
  if (FrameWidth() == 0) {
    list->setFrameStyle(QFrame::NoFrame);
    return;
  }
  list->setFrameStyle(FCtl3D ? (QFrame::Panel | QFrame::Sunken) : (QFrame::Box | QFrame::Plain));
  list->setLineWidth(FrameWidth());
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

// Row heights come from the delegate: a new height needs a new layout.
void TListBox::RowsChanged() {
  FImpl->List->doItemsLayout();
  FImpl->List->viewport()->update();
}

void TListBox::CMColorChanged() {
  ApplyNativeColor(FImpl->List, *this);
  TWinControl::CMColorChanged();
  FImpl->List->viewport()->update();
}

void TListBox::CMFontChanged() {
  ApplyNativeFont(FImpl->List, *this);
  TWinControl::CMFontChanged();
  RowsChanged();
}

void TListBox::CMEnabledChanged() {
  TWinControl::CMEnabledChanged();
  FImpl->List->viewport()->update();
}

bool TListBox::WantsKey(Word Key) const {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}
