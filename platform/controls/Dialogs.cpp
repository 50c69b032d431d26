#include "platform/controls/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/controls/Application.h"
#include "platform/controls/QtText.h"

namespace {

TMessageBoxHook& Hook() {
  static TMessageBoxHook hook;
  return hook;
}

const char* KindCaption(TMsgDlgType Kind) {
  switch (Kind) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
  }
  return "";
}

QMessageBox::Icon KindIcon(TMsgDlgType Kind) {
  switch (Kind) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    case mtCustom: break;
  }
  return QMessageBox::NoIcon;
}

// The answer of a box closed without pressing a button.
TModalResult EscapeResult(TMsgDlgButtons Buttons) {
  if (Buttons & mbNo) return mrNo;
  if (Buttons & mbOK) return mrOk;
  if (Buttons & mbYes) return mrYes;
  return mrOk;
}

TModalResult AffirmativeResult(TMsgDlgButtons Buttons) {
  if (Buttons & mbYes) return mrYes;
  return mrOk;
}

TModalResult ShowQtBox(const TMessageBox& Box) {
  QMessageBox box(KindIcon(Box.Kind), QtText(Box.Caption), QtText(Box.Text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  TMsgDlgButtons buttons = Box.Buttons;
  if ((buttons & (mbYes | mbNo | mbOK)) == 0) buttons = mbOK;  // a box always has a way out
  struct TChoice {
    QAbstractButton* Button;
    TModalResult Result;
  };
  std::vector<TChoice> choices;
  QPushButton* first = nullptr;
  auto add = [&](TMsgDlgBtn which, const char* text, QMessageBox::ButtonRole role, TModalResult result) {
    if ((buttons & which) == 0) return;
    QPushButton* b = box.addButton(QtText(text), role);
    if (first == nullptr) first = b;
    choices.push_back({b, result});
  };
  add(mbYes, "&Yes", QMessageBox::YesRole, mrYes);
  add(mbNo, "&No", QMessageBox::NoRole, mrNo);
  add(mbOK, "OK", QMessageBox::AcceptRole, mrOk);
  box.setDefaultButton(first);
  const TModalResult escape = EscapeResult(buttons);
  for (const TChoice& c : choices)
    if (c.Result == escape) box.setEscapeButton(c.Button);
  box.exec();
  for (const TChoice& c : choices)
    if (box.clickedButton() == c.Button) return c.Result;
  return escape;
}

}  // namespace

TModalResult ShowMessageBox(const TMessageBox& Box) {
  // Copied: a box shown by a test hook may be answered by code that sets a new hook.
  auto show = [&Box]() -> TModalResult {
    if (TMessageBoxHook hook = Hook()) return hook(Box);
    return ShowQtBox(Box);
  };
  if (Application == nullptr) return show();
  return Application->RunModalBox(show);
}

void SetMessageBoxHook(TMessageBoxHook Value) { Hook() = std::move(Value); }

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int /*HelpCtx*/) {
  TMessageBox box;
  box.Kind = DlgType;
  if (DlgType != mtCustom)
    box.Caption = KindCaption(DlgType);
  else if (Application != nullptr)
    box.Caption = Application->Title();
  box.Text = Msg;
  box.Buttons = Buttons;
  return ShowMessageBox(box);
}

void ShowMessage(const std::string& Msg) {
  MessageDlg(Msg, mtCustom, mbOK);
}

TMessageBoxCapture::TMessageBoxCapture(std::vector<TModalResult> Answers)
    : FAnswers(std::move(Answers)) {
  SetMessageBoxHook([this](const TMessageBox& Box) {
    FBoxes.push_back(Box);
    if (FNextAnswer < FAnswers.size()) return FAnswers[FNextAnswer++];
    return AffirmativeResult(Box.Buttons);
  });
}

TMessageBoxCapture::~TMessageBoxCapture() { SetMessageBoxHook(nullptr); }
