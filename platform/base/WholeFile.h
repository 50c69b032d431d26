#pragma once
// Files the user keeps (settings, contacts) are replaced whole or not at
// all: a full disk, a crash or a kill in the middle of a write must never
// leave half a file where the old one was.
#include <string>

// Replaces the contents of FileName with Bytes (making the file when it is
// missing). The bytes go to a new file beside it, which is flushed to disk
// and then renamed over it; an existing file keeps its permission bits.
// Only where the directory refuses new files (no right to write it, or a
// read-only file system) is the file written in place, as the one way left
// to update a file the user may still write. False when the file could not
// be replaced; the old file is then as it was, wherever a file beside it
// could be made.
bool WriteFileWhole(const std::string& FileName, const std::string& Bytes);
