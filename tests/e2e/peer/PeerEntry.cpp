#include "PeerEntry.h"

#include "app/Corvel.h"
#include "app/Main.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"

void KeepCommandLine(int argc, char** argv) { SetCommandLine(argc, argv); }

TCustomForm* StartProgramWindows() {
  Application->Initialize();
  Application->SetTitle("Tamblin");
  CreateProgramWindows();
  return frmMain;
}

bool ProgramStartedUp() { return frmMain && frmMain->StartedUp(); }
