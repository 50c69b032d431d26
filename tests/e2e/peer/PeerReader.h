#pragma once
// The scripted peer's command reader: a thread of its own reads command
// lines from a file descriptor and writes one answer line each. Commands
// that inspect or drive the program run on the user-interface thread
// (handed over with Synchronize, so the message loop keeps running between
// them); waiting commands wait here, asking the UI thread again and again.
//
// Reader's own commands:
//   sleep MS                      waits MS milliseconds
//   wait-label NAME TEXT MS       until NAME's caption is TEXT (error after MS ms)
//   wait-caption NAME TEXT MS     the same, for any control or the window
//   quit                          closes the main window; reading ends
// End of input closes the main window as quit does.
#include <functional>
#include <string>
#include <vector>

class TPeerSession;

class TPeerReader {
 public:
  // Answers go to AnswerFd; Close runs on the UI thread to end the program.
  TPeerReader(TPeerSession& Session, int CommandFd, int AnswerFd, std::function<void()> Close);

  // Writes "ready" once StartedUp says the start-up is done, then reads
  // commands until quit or end of input. Runs on the reader thread.
  void Run(const std::function<bool()>& StartedUp);

 private:
  bool ReadLine(std::string& Line);
  void Answer(const std::string& Line);
  std::string WaitCaption(const std::vector<std::string>& Words);
  std::string OnUiThread(const std::function<std::string()>& Call);

  TPeerSession& FSession;
  int FCommandFd;
  int FAnswerFd;
  std::function<void()> FClose;
  std::string FPending;  // bytes read past the last line
  bool FEnd = false;
};
