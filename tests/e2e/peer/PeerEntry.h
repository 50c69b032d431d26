#pragma once
// The program's start as its entry (app/Corvel.cpp) makes it, minus the
// message loop, which the scripted peer runs itself.

class TCustomForm;

// Before the application object: the command line, as the entry keeps it.
void KeepCommandLine(int argc, char** argv);
// With the application object made: its title and the six windows in their
// order; returns the main window.
TCustomForm* StartProgramWindows();
// The main window's first activation has begun its start-up work.
bool ProgramStartedUp();
