#pragma once
// TListBox: a scrolling list of text items.
//
// Items is the list's own TStrings: an item keeps its text up to the first
// NUL byte. With Sorted, every item added goes to its place in ascending
// order, compared without regard to ASCII case (equal items keep the order
// they were added in); Insert and replacing an item's text put it where they
// are told, as the host's list does. Deleting a row that does not exist does
// nothing; reading one raises EStringListError "List index out of bounds (%d)".
//
// Style lbOwnerDrawFixed: every row is ItemHeight pixels high and OnDrawItem
// draws it on Canvas() (the row's pixels, addressed in the list's client
// coordinates: Rect is the row's rectangle). Before the handler runs, the
// canvas has the list's font and a brush of the list's colour, or the
// highlight colours for the selected row; without a handler the row is
// filled and its text written. The standard style draws the same way
// without asking a handler, with rows as high as the font's text.
//
// ItemIndex is the selected row (-1: none). A selection made by the user
// runs OnClick; double clicks run OnDblClick and keys OnKeyDown.
//
// Only the rows in sight are drawn, and adding a row at either end costs the
// same however long the list is: a list may grow without bound.
#include <memory>
#include <string>

#include "platform/base/Strings.h"
#include "platform/controls/Control.h"
#include "platform/controls/Form.h"

class TBitmap;
class TCanvas;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };

// State of a row being drawn (a set).
enum TOwnerDrawStateFlag : unsigned {
  odSelected = 1u << 0,
  odDisabled = 1u << 1,
  odFocused = 1u << 2,
};
using TOwnerDrawState = unsigned;

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TListBox;

// The list's items; changes show in the list at once (or at EndUpdate).
class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(TListBox* Owner) : FOwner(Owner) {}

  int Count() const override;
  std::string Strings(int Index) const override;
  void SetStrings(int Index, const std::string& S) override;
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;
  int Add(const std::string& S) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  TListBox* FOwner;
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;

  TListBoxStrings* Items() const { return FItems.get(); }
  // Copies the lines of Value.
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  int Count() const;
  void Clear() { FItems->Clear(); }

  int ItemIndex() const;
  // -1 clears the selection; other values outside the list are ignored.
  void SetItemIndex(int Value);

  // Setting Sorted re-sorts the present items.
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  // Height of owner-drawn rows (at least 1).
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  // The frame: bsSingle (the default) or bsNone; a single frame is sunken
  // and two pixels wide with Ctl3D, one pixel of clWindowFrame without (a
  // flat list).
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  // The client area (where the rows are) lies inside the frame.
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int Value) override;
  void SetClientHeight(int Value) override;

  // The canvas of the row being drawn (while OnDrawItem runs).
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The first row in sight (rows scroll one whole row at a time).
  int TopIndex() const;
  void SetTopIndex(int Value);

  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(TDrawItemEvent Value);

 protected:
  // Draws row Index: OnDrawItem, or fill and text when none is assigned.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  void CMColorChanged() override;
  void CMFontChanged() override;
  void CMEnabledChanged() override;
  bool WantsKey(Word Key) const override;
  TPoint ClientOffset() const override;

 private:
  friend class TListBoxStrings;
  friend class TListBoxView;
  struct TImpl;
  friend struct TImpl;

  // The row's pixels: fills a bitmap through Canvas() and DrawItem.
  void PaintRow(int Index, const TRect& Rect, TOwnerDrawState State, TBitmap& Target);
  int InsertPosition(const std::string& S) const;
  int RowHeight() const;
  // A row chosen by the mouse or the keys: selected, brought into sight,
  // and OnClick runs when the selection changed.
  void SelectByUser(int Row);
  // A row was inserted (Delta 1) or deleted (-1) at Index: the selection
  // and the rows in sight follow.
  void RowsMoved(int Index, int Delta);
  void RowsChanged();
  void ApplyFrame();
  int FrameWidth() const;

  std::unique_ptr<TListBoxStrings> FItems;
  std::unique_ptr<TCanvas> FCanvas;
  bool FSorted = false;
  TListBoxStyle FStyle = lbStandard;
  int FItemHeight = 16;
  TFormBorderStyle FBorderStyle = bsSingle;
  bool FCtl3D = true;
  TDrawItemEvent FOnDrawItem;
  std::unique_ptr<TImpl> FImpl;
};
