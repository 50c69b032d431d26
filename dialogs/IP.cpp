#include "dialogs/IP.h"

#include <utility>

#include "app/GradientFill.h"
#include "app/LayoutClasses.h"
#include "dialogs/ContactFile.h"
#include "dialogs/NetWorkClients.h"
#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Label.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Region.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

TfrmIP* frmIP = nullptr;

namespace {

constexpr const char* kFileNotFound = "File [IPAddress.dat] not Found.";
constexpr const char* kEnterBoth = "Please enter Contact Name and IP Address.";
constexpr const char* kConfirmDelete = "Delete selected contact?";
constexpr const char* kWrongFormat = "Wrong Address Format.";

// The selected row: a rounded band fading from pale to sky blue.
constexpr int kRowCorner = 15;
constexpr TColor kSelectedLight = TColor(0xDDF5FF);
constexpr TColor kSelectedDark = TColor(0x5ED2FF);
constexpr TColor kSelectedFrame = TColor(0xC5C5C5);

}  // namespace

TfrmIP::TfrmIP(TComponent* AOwner) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  TLayoutHandlers handlers;
  RegisterHandlers(handlers);
  LoadLayout(IPLayoutName, handlers);
  BindLayoutComponent(this, "SkPanel1", SkPanel1);
  BindLayoutComponent(this, "Label1", Label1);
  BindLayoutComponent(this, "Label2", Label2);
  BindLayoutComponent(this, "edtName", edtName);
  BindLayoutComponent(this, "edtIP", edtIP);
  BindLayoutComponent(this, "btnAdd", btnAdd);
  BindLayoutComponent(this, "btnDeleteAll", btnDeleteAll);
  BindLayoutComponent(this, "ListBox1", ListBox1);
  BindLayoutComponent(this, "btnDelete", btnDelete);
  BindLayoutComponent(this, "btnOnline", btnOnline);
  BindLayoutComponent(this, "btnInsert", btnInsert);
  BindLayoutComponent(this, "btnClose", btnClose);
  BindLayoutComponent(this, "ImageList1", ImageList1);
}

TfrmIP::~TfrmIP() {
  if (frmIP == this) frmIP = nullptr;
}

void TfrmIP::RegisterHandlers(TLayoutHandlers& Handlers) {
  auto key = [this](void (TfrmIP::*handler)(TObject*, Word&, TShiftState)) -> TKeyEvent {
    return [this, handler](TObject* s, Word& k, TShiftState st) { (this->*handler)(s, k, st); };
  };
  Handlers.Add("FormActivate", [this](TObject* s) { FormActivate(s); });
  Handlers.Add<TCloseEvent>("FormClose", [this](TObject* s, TCloseAction& a) { FormClose(s, a); });
  Handlers.Add("btnAddClick", [this](TObject* s) { btnAddClick(s); });
  Handlers.Add<TKeyEvent>("edtNameKeyDown", key(&TfrmIP::edtNameKeyDown));
  Handlers.Add<TKeyEvent>("edtIPKeyDown", key(&TfrmIP::edtIPKeyDown));
  Handlers.Add("btnDeleteClick", [this](TObject* s) { btnDeleteClick(s); });
  Handlers.Add("btnDeleteAllClick", [this](TObject* s) { btnDeleteAllClick(s); });
  Handlers.Add("ListBox1DblClick", [this](TObject* s) { ListBox1DblClick(s); });
  Handlers.Add<TKeyEvent>("ListBox1KeyDown", key(&TfrmIP::ListBox1KeyDown));
  Handlers.Add("btnOnlineClick", [this](TObject* s) { btnOnlineClick(s); });
  Handlers.Add("btnCloseClick", [this](TObject* s) { btnCloseClick(s); });
  Handlers.Add<TDrawItemEvent>("ListBox1DrawItem",
                               [this](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
                                 ListBox1DrawItem(c, i, r, st);
                               });
}

void TfrmIP::AddContact(const std::string& Name, const std::string& Address) {
  ListBox1->Items()->Add(ContactLine(Name, Address));
}

void TfrmIP::DoShow() {
  FOpened = false;
  FChoosing = false;
  FLossTold = false;
  TForm::DoShow();
}

// ---- opening and closing ----

// After a failed read the list keeps what it held, as when the file is
// missing, so the contacts of an earlier opening can still be called; it
// is never written over the file it did not come from.
void TfrmIP::FormActivate(TObject*) {
  if (FOpened) return;
  FOpened = true;
  const std::string path = ContactFilePath();
  FFileUnread = false;
  if (FileExists(path)) {
    try {
      ReadContactFile(path, ListBox1->Items());
    } catch (const EStreamError&) {  // opening or reading failed
      FFileUnread = true;
    }
  }
  FTextAtOpening = ListBox1->Items()->Text();
  if (FFileUnread) MessageDlg(kFileNotFound, mtError, mbOK);
  edtName->Clear();
  edtIP->Clear();
  if (ListBox1->Count() > 0) ListBox1->SetItemIndex(0);
  if (ListBox1->CanFocus()) ListBox1->SetFocus();
}

// A file that could not be read is refused as one that cannot be written:
// the user hears that the list was not kept.
void TfrmIP::SaveContacts() {
  const std::string path = ContactFilePath();
  if (FFileUnread) throw EFCreateError(Format(SFCreateError, path));
  WriteContactFile(path, ListBox1->Items());
}

bool TfrmIP::HoldsUnsavedChanges() const { return ListBox1->Items()->Text() != FTextAtOpening; }

// A file that cannot be written keeps the window open while the list holds
// what would be lost with it, until the user has been told so: a close
// right after that, with the list as it was then, lets the changes go. The
// error is shown as the message loop shows any other. A choice shows its
// own box instead, which does not say the list was not kept.
void TfrmIP::FormClose(TObject*, TCloseAction& Action) {
  const bool choosing = std::exchange(FChoosing, false);
  try {
    SaveContacts();
  } catch (const Exception&) {
    const std::string text = ListBox1->Items()->Text();
    const bool keepOpen = HoldsUnsavedChanges() && !(FLossTold && FTextWhenTold == text);
    if (keepOpen) Action = caNone;
    if (choosing && keepOpen) {
      MessageDlg(kWrongFormat, mtWarning, mbOK);
      return;
    }
    FLossTold = keepOpen;
    FTextWhenTold = text;
    Application->HandleException(this);
  }
}

void TfrmIP::btnCloseClick(TObject*) { Close(); }

// ---- editing ----

void TfrmIP::btnAddClick(TObject*) {
  if (!edtName->Text().empty() && !edtIP->Text().empty()) {
    AddContact(edtName->Text(), edtIP->Text());
    edtName->Clear();
    edtIP->Clear();
  } else {
    MessageDlg(kEnterBoth, mtInformation, mbOK);
  }
  edtName->SetFocus();
}

void TfrmIP::edtNameKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) edtIP->SetFocus();
}

void TfrmIP::edtIPKeyDown(TObject* Sender, Word& Key, TShiftState) {
  if (Key == VK_RETURN) btnAddClick(Sender);
}

// The selection is read after the question: the row the user sees
// selected then is the one removed.
void TfrmIP::btnDeleteClick(TObject*) {
  if (MessageDlg(kConfirmDelete, mtConfirmation, mbYes | mbNo) == mrYes) {
    const int selected = ListBox1->ItemIndex();
    if (selected >= 0) ListBox1->Items()->Delete(selected);
  }
  edtName->SetFocus();
}

void TfrmIP::btnDeleteAllClick(TObject*) { ListBox1->Clear(); }

void TfrmIP::btnOnlineClick(TObject*) {
  if (frmNetworkClients != nullptr) frmNetworkClients->ShowModal();
}

// ---- choosing ----

// The close writes the file; when that fails while the list holds changes,
// the window stays open with the choice already taken.
void TfrmIP::ListBox1DblClick(TObject*) {
  const int selected = ListBox1->ItemIndex();
  if (selected < 0 || selected >= ListBox1->Count()) return;
  FSelectedIP = ContactAddress(ListBox1->Items()->Strings(selected));
  FChoosing = true;
  Close();
}

void TfrmIP::ListBox1KeyDown(TObject* Sender, Word& Key, TShiftState) {
  if (Key == VK_RETURN) ListBox1DblClick(Sender);
}

// ---- rows ----

void TfrmIP::ListBox1DrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* canvas = ListBox1->Canvas();
  // The row starts in the list's white, so that the corners the rounded
  // band leaves out do not keep the highlight colour.
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(ListBox1->Color());
  canvas->FillRect(Rect);
  if (State & odSelected) {
    TRegion region = CreateRoundRectRgn(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, kRowCorner, kRowCorner);
    canvas->SelectClipRgn(&region);
    GradientFillRect(canvas, Rect, 0, {kSelectedLight, kSelectedLight, kSelectedDark});
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(kSelectedFrame);
    canvas->RoundRect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1, kRowCorner, kRowCorner);
    canvas->SelectClipRgn(nullptr);
  }
  canvas->Font()->SetColor(clBlack);
  ImageList1->Draw(canvas, Rect.Left + 7, Rect.Top + 7, 0);
  // The text box starts 45 pixels in and ends at the row's right edge, so a
  // long line's ellipsis stays inside the row.
  TRect text = Bounds(Rect.Left + 45, Rect.Top + 10, Rect.Right - 40, Rect.Bottom);
  if (text.Right > Rect.Right) text.Right = Rect.Right;
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(ListBox1->Items()->Strings(Index), text, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}
