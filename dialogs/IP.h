#pragma once
// TfrmIP, "IP Address Book": a sorted list of contacts kept in the contact
// file beside the executable (ContactFile.h). The file is read each time the
// window is opened and written each time it closes, whatever way it closes;
// in between, the list is the working copy. A file that is there but could
// not be read is left as it is: the user was told when the window opened.
// A close that cannot write the file (nor one it could not read) says so
// and keeps the window open while the list holds changes that would be
// lost with it; a second close right after, with nothing changed since,
// lets them go. Choosing a contact (double click, "Call Selected
// Contact", Enter in the list) puts its address in FSelectedIP and closes
// the window; the main window reads it afterwards.
// "Who's Online?" opens the network clients window, which adds the
// computers it finds through AddContact.
#include <string>

#include "platform/base/Types.h"
#include "platform/controls/Form.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/Messages.h"

class TEdit;
class TImageList;
class TLabel;
class TLayoutHandlers;
class TSkButton;
class TSkPanel;

inline constexpr const char* IPLayoutName = "frmIP.lay";

class TfrmIP : public TForm {
 public:
  explicit TfrmIP(TComponent* AOwner);
  ~TfrmIP() override;

  TSkPanel* SkPanel1;
  TLabel* Label1;
  TLabel* Label2;
  TEdit* edtName;
  TEdit* edtIP;
  TSkButton* btnAdd;
  TSkButton* btnDeleteAll;
  TListBox* ListBox1;
  TSkButton* btnDelete;
  TSkButton* btnOnline;
  TSkButton* btnInsert;
  TSkButton* btnClose;
  TImageList* ImageList1;

  // The address taken by the last choice of a contact; empty until the
  // first, kept across later openings.
  std::string FSelectedIP;

  // Adds the line Name <Address> at its sorted place; duplicates are kept.
  void AddContact(const std::string& Name, const std::string& Address);

  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnAddClick(TObject* Sender);
  void edtNameKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edtIPKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void btnDeleteClick(TObject* Sender);
  void btnDeleteAllClick(TObject* Sender);
  void ListBox1DblClick(TObject* Sender);
  void ListBox1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void btnOnlineClick(TObject* Sender);
  void btnCloseClick(TObject* Sender);
  void ListBox1DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);

 protected:
  void DoShow() override;

 private:
  void RegisterHandlers(TLayoutHandlers& Handlers);
  // Writes the list over the contact file; raises EFCreateError when it
  // cannot, and when the file could not be read at this opening.
  void SaveContacts();
  // The list differs from what it held when this opening had read the file.
  bool HoldsUnsavedChanges() const;

  // The file is read at the first activation after the window was shown;
  // activations when a box or window over it closes leave the list alone.
  bool FOpened = false;
  // The file was there at this opening but could not be read: the list is
  // not what it holds, so it is never written over.
  bool FFileUnread = false;
  // The list's text right after this opening read the file.
  std::string FTextAtOpening;
  // The close under way comes from a choice, which reports its own failure.
  bool FChoosing = false;
  // A close at this opening told the user that the list, as it was then
  // (FTextWhenTold), could not be kept.
  bool FLossTold = false;
  std::string FTextWhenTold;
};

extern TfrmIP* frmIP;
