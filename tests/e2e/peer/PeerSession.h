#pragma once
// What the scripted peer does on the user-interface thread: it watches the
// running main window (slot pictures, message boxes) and carries out one
// command at a time against it the way a user would (clicks, keys, typing
// through the host layer's simulated input) or reads its state.
//
// Commands (controls are found by name on the main window):
//   click NAME            the user clicks the control's centre
//   type NAME TEXT        focus to the control, TEXT typed at the caret
//   key NAME KEY          focus to the control, one key ("enter", "ctrl+a", ...)
//   tick NAME 0|1         clicks the check box when its tick differs
//   clear NAME            empties the control's text (program-side)
//   enable NAME 0|1       sets the enabled state (program-side; stands in for
//                         a camera start where no camera can start)
//   label|text|caption NAME   the control's text (JSON string)
//   enabled NAME, checked NAME   1 or 0
//   frames SLOT           pictures slot 1 to 4 has shown since start
//   picture SLOT          {"width","height","class","mean":[r,g,b],"colours"}
//   chat-items            the chat list's items, newest first (JSON array)
//   boxes                 every message box shown so far: {"kind","caption","text"}
//   peers, quality        entries in the peer list; FJpegQuality
//   virtual-camera        1 when the capture layer has its virtual camera
//   ping                  ok
//   click-later, items, select, showing: the other windows (PeerDialogs.h);
//                         click also takes "form.control"
//   user-click, user-double-click, user-type, user-click-in-frame: input
//                         queued as a user's is (PeerUserInput.h)
// A click, key or typing that a user could not give (the control is hidden or
// disabled) is refused with an error rather than silently dropped.
#include <memory>
#include <string>
#include <vector>

#include "FrameCounter.h"

class TCustomForm;
class TMessageBoxCapture;

class TPeerSession {
 public:
  TPeerSession();
  ~TPeerSession();

  // Starts watching the main window: its slot pictures and every message
  // box (answered with its affirmative button, so no box ever blocks).
  void Attach(TCustomForm* MainForm);

  // Runs one command (its words) and returns the answer line. Commands that
  // wait (wait-label, sleep) are the reader's; see PeerReader.
  std::string Execute(const std::vector<std::string>& Words);

  // The caption of a control of the main window (or of the window itself);
  // false when there is no such control.
  bool ReadCaption(const std::string& Name, std::string& Caption) const;

 private:
  std::string Click(const std::string& Name);
  std::string Type(const std::string& Name, const std::string& Text);
  std::string Key(const std::string& Name, const std::string& KeyName);
  std::string Tick(const std::string& Name, const std::string& Value);
  std::string Enable(const std::string& Name, const std::string& Value);
  std::string Clear(const std::string& Name);
  std::string Flag(const std::string& Name, bool Checked);
  std::string Frames(const std::string& Slot);
  std::string PictureSummary(const std::string& Slot);
  std::string ChatItems();
  std::string Boxes();
  std::string Peers();
  std::string Quality();

  TCustomForm* FForm = nullptr;
  TFrameCounter FFrames;
  std::unique_ptr<TMessageBoxCapture> FBoxes;
};
