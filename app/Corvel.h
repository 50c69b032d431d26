#pragma once
// The program: the application object titled "Tamblin", the six windows of
// the run in their order, and the message loop until the main window closes.

// Creates the six windows, each kept in its global: the main window
// (frmMain, which becomes the application's main form), the address book,
// the settings window, the wait window, the network-clients window and the
// video options window. The application object must exist.
void CreateProgramWindows();

// The whole program; returns the process's exit code.
int Corvel(int argc, char** argv);
