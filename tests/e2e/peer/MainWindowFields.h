#pragma once
// The main window's fields that the scripted peer reports; the one place that
// knows TfrmMain's members.

// Entries in the peer list (0 while there is none).
int MainPeerCount();
// The JPEG quality of the outgoing frames.
int MainJpegQuality();
