#pragma once
// What the scripted peer does on the user-interface thread: it watches the
// running main window (slot pictures, message boxes) and carries out one
// command at a time against it the way a user would (clicks, keys, typing
// through the host layer's simulated input) or reads its state.
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
