// tamblin_peer: the program itself, headless, driven by commands on stdin.
//
// It starts the application and its windows as the program entry does, then
// runs the message loop; a reader thread takes command lines from stdin and
// answers each with one line on stdout (see PeerReader.h and PeerSession.h).
// The first line it writes is "ready", once the main window's start-up work
// (settings, ports, camera) is done. Everything the program or its libraries
// print goes to stderr, so stdout carries answers only.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <thread>

#include "PeerEntry.h"
#include "PeerReader.h"
#include "PeerSession.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"

namespace {

// Lives past the windows: the slot pictures' change handlers point into it.
TPeerSession Session;
std::atomic<bool> StartedUp{false};
int ActivationDepth = 0;

// The start-up work runs inside the main window's first activation (and may
// itself re-activate the window when a box over it closes): the peer is
// ready once the outermost activation that found the work done returns.
void WatchStartUp(TCustomForm* MainForm) {
  TNotifyEvent previous = MainForm->OnActivate();
  MainForm->SetOnActivate([previous](TObject* Sender) {
    ++ActivationDepth;
    try {
      if (previous) previous(Sender);
    } catch (...) {
      --ActivationDepth;
      throw;
    }
    --ActivationDepth;
    if (ActivationDepth == 0 && ProgramStartedUp()) StartedUp = true;
  });
}

// The reader's quit (or the end of its input) closes the window as "Exit" does.
std::atomic<bool> ClosedByReader{false};
void CloseMainWindow() {
  ClosedByReader = true;
  if (Application && Application->MainForm()) Application->MainForm()->Close();
}

}  // namespace

int main(int argc, char** argv) {
  const int answers = ::dup(STDOUT_FILENO);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);

  std::thread reader;
  {
    KeepCommandLine(argc, argv);
    TApplication application(argc, argv);
    TCustomForm* mainForm = nullptr;
    try {
      mainForm = StartProgramWindows();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tamblin_peer cannot start the program: %s\n", e.what());
      return 1;
    }
    Session.Attach(mainForm);
    WatchStartUp(mainForm);
    reader = std::thread([answers] {
      TPeerReader(Session, STDIN_FILENO, answers, CloseMainWindow).Run([] { return StartedUp.load(); });
    });
    application.Run();
  }
  std::fflush(nullptr);
  if (!ClosedByReader) {
    // The window closed by itself (e.g. "Exit" clicked): the reader may be
    // blocked reading stdin, so the process ends without waiting for it.
    ::_exit(0);
  }
  reader.join();
  return 0;
}
