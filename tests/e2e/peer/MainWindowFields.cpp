#include "MainWindowFields.h"

#include "app/Main.h"

int MainPeerCount() { return frmMain && frmMain->FPeers ? frmMain->FPeers->Count() : 0; }

int MainJpegQuality() { return frmMain ? int(frmMain->FJpegQuality) : 0; }
