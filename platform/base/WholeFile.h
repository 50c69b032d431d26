#pragma once
// Files the user keeps (settings, contacts) are replaced whole or not at
// all: a full disk, a crash or a kill in the middle of a write must never
// leave half a file where the old one was.
#include <string>

// Replaces the contents of FileName with Bytes (making the file when it is
// missing), where a write in place would have gone:
// - through a symlink, the file the link names is replaced and the link
//   kept;
// - a file this user may not write (as the kernel judges an open for
//   writing: mode bits, ACLs, a read-only mount) is refused and left alone;
// - the bytes go to a new file beside the target, made readable by its
//   owner only, given the old file's owner and group where the process may
//   set them and then its mode, flushed to disk and renamed over the
//   target; the directory is then flushed too, so the new name survives a
//   power loss. A file with more than one hard link comes out of it with
//   this name alone, as any replacement by rename does.
// Only where the directory refuses new files (no right to write it) is a
// file the user may write written in place, the one way left to update it.
// False when the file could not be replaced; the old file is then as it
// was, wherever a file beside it could be made, and nothing is left beside.
bool WriteFileWhole(const std::string& FileName, const std::string& Bytes);
