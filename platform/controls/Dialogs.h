#pragma once
// Message boxes: the standard message dialog with a caption and an icon of
// its kind and the buttons the caller lists, and ShowMessage. A box is modal
// and answers with the modal result of the button pressed.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/Control.h"

// Kind of box: caption "Warning", "Error", "Information", "Confirm"; a
// custom box has no icon and the application's title as caption.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a box (a set): mbYes + mbNo, or mbOK.
enum TMsgDlgBtn : unsigned { mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2 };
using TMsgDlgButtons = unsigned;

// Shows Msg in a box of kind DlgType with Buttons ("&Yes" answers mrYes,
// "&No" mrNo, "OK" mrOk). Closing the box without a button answers as the
// No button does when there is one, else as OK. HelpCtx is accepted for the
// program's calls and unused.
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx = 0);

// A box with Msg, the application's title as caption, no icon and "OK".
void ShowMessage(const std::string& Msg);

// One box as the user would see it.
struct TMessageBox {
  TMsgDlgType Kind = mtCustom;
  std::string Caption;
  std::string Text;
  TMsgDlgButtons Buttons = mbOK;
};

// Shows Box modally and answers the modal result. MessageDlg, ShowMessage
// and the application's error box for an escaped exception all come here.
TModalResult ShowMessageBox(const TMessageBox& Box);

// Test seam: while set, ShowMessageBox asks Hook instead of showing a
// window, so tests see every box and answer it without blocking. An empty
// function restores real boxes.
using TMessageBoxHook = std::function<TModalResult(const TMessageBox& Box)>;
void SetMessageBoxHook(TMessageBoxHook Hook);

// Captures the boxes shown during its lifetime: each is recorded and
// answered with the next of Answers, or, when they have run out, with the
// box's affirmative button (mrYes for Yes/No, mrOk otherwise).
class TMessageBoxCapture {
 public:
  explicit TMessageBoxCapture(std::vector<TModalResult> Answers = {});
  ~TMessageBoxCapture();
  TMessageBoxCapture(const TMessageBoxCapture&) = delete;
  TMessageBoxCapture& operator=(const TMessageBoxCapture&) = delete;

  const std::vector<TMessageBox>& Boxes() const { return FBoxes; }
  void Clear() { FBoxes.clear(); }

 private:
  std::vector<TMessageBox> FBoxes;
  std::vector<TModalResult> FAnswers;
  size_t FNextAnswer = 0;
};
