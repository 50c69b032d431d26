#include "PeerUserInput.h"

#include "CommandLine.h"
#include "PeerDialogs.h"
#include "capture/VideoCap.h"
#include "platform/controls/Control.h"
#include "platform/controls/Form.h"
#include "platform/controls/QueuedInput.h"

namespace {

TCustomForm* gMainForm = nullptr;
std::string gClickInFrame;  // the control to click when the next frame comes

TControl* Reachable(TCustomForm* MainForm, const std::string& Name, std::string& Answer) {
  auto* control = dynamic_cast<TControl*>(FindNamed(MainForm, Name));
  if (!control)
    Answer = AnswerError("no control named " + Name);
  else if (!control->Showing())
    Answer = AnswerError(Name + " is not showing");
  return Answer.empty() ? control : nullptr;
}

// Stands in for the capture window's frame callback: the click is queued
// first, so the frame's own message processing is the first to meet it.
LRESULT FrameWithClick(HWND Window, VIDEOHDR* Header) {
  if (!gClickInFrame.empty()) {
    std::string ignored;
    if (TControl* control = Reachable(gMainForm, gClickInFrame, ignored)) QueueClick(control);
    gClickInFrame.clear();
  }
  return CaptureFrameCallback(Window, Header);
}

std::string ClickInFrame(TCustomForm* MainForm, const std::string& Name) {
  std::string answer;
  if (!Reachable(MainForm, Name, answer)) return answer;
  HWND capture = CaptureWindowHandle();
  if (capture == nullptr) return AnswerError("no camera runs");
  gMainForm = MainForm;
  gClickInFrame = Name;
  // Set again each time: a camera restart registers the program's own callback.
  SendMessageA(capture, WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(&FrameWithClick));
  return AnswerOk();
}

}  // namespace

bool ExecuteUserInputCommand(TCustomForm* MainForm, const std::vector<std::string>& Words,
                             std::string& Answer) {
  const std::string& verb = Words[0];
  const bool named = Words.size() == 2;
  if (verb == "user-type" && named) {
    QueueTyping(Words[1]);
    Answer = AnswerOk();
  } else if ((verb == "user-click" || verb == "user-double-click") && named) {
    if (TControl* control = Reachable(MainForm, Words[1], Answer)) {
      if (verb == "user-click")
        QueueClick(control);
      else
        QueueDoubleClick(control);
      Answer = AnswerOk();
    }
  } else if (verb == "user-click-in-frame" && named) {
    Answer = ClickInFrame(MainForm, Words[1]);
  } else {
    return false;
  }
  return true;
}
