#include "app/Corvel.h"

#include <cstdio>
#include <exception>

#include "app/LayoutClasses.h"
#include "app/Main.h"
#include "capture/VideoOptions.h"
#include "dialogs/IP.h"
#include "dialogs/NetWorkClients.h"
#include "dialogs/PageExport.h"
#include "dialogs/Settings.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/netbrowse/ComputerAnnouncement.h"
#include "widgets/gx/GxRegistration.h"

void CreateProgramWindows() {
  RegisterProgramLayoutClasses();
  RegisterGxGraphics();
  Application->CreateForm(frmMain);
  Application->CreateForm(frmIP);
  Application->CreateForm(frmSettings);
  Application->CreateForm(frmExport);
  Application->CreateForm(frmNetworkClients);
  Application->CreateForm(frmVideoOptions);
  // This computer is in the LAN's neighbourhood for as long as the program runs.
  new TComputerAnnouncement(Application);
}

int Corvel(int argc, char** argv) {
  SetCommandLine(argc, argv);
  TApplication application(argc, argv);
  Application->Initialize();
  Application->SetTitle("Tamblin");
  bool started = true;
  try {
    CreateProgramWindows();
  } catch (const std::exception& e) {
    // For example the chat port held by another program: the main window
    // cannot be made, and the program ends after saying why.
    std::fprintf(stderr, "Tamblin cannot start: %s\n", e.what());
    Application->ShowException(e);
    started = false;
  }
  if (started) Application->Run();
  // Whatever was registered at the start is forgotten on either way out.
  UnregisterGxGraphics();
  return started ? 0 : 1;
}
