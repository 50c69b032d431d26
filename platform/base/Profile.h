#pragma once
// Profile (INI) files, read and written the way the host's profile functions
// do it: 8-bit text, "[Section]" lines and "Key=Value" lines; section and key
// names compare ignoring ASCII case; values lose the blanks around them and
// one pair of matching surrounding quotes ('...' or "...").
#include <string>

// The longest value a profile read returns by default (a 2048-byte buffer
// with its terminating NUL).
inline constexpr int ProfileMaxChars = 2047;

// The value of Key in Section of FileName, cut to MaxChars characters.
// A missing file, section or key (or a key line without "=") gives Default,
// without its trailing blanks. Never fails: unreadable or binary files read
// as whatever lines they hold.
std::string GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                    const std::string& Default, const std::string& FileName,
                                    int MaxChars = ProfileMaxChars);

// Sets Key in Section of FileName to Value. Only the key's own line changes;
// a missing key is added after the last line of its section, a missing
// section (and file) is created at the end. Line breaks in Value would
// start new lines in the file and are written as blanks. The file is
// replaced whole (WholeFile.h). False when it cannot be read or written.
bool WritePrivateProfileString(const std::string& Section, const std::string& Key,
                               const std::string& Value, const std::string& FileName);

// The value lookup on text already in memory (what the file functions use).
// Found is false when the default applies.
std::string ProfileLookup(const std::string& Text, const std::string& Section, const std::string& Key,
                          bool& Found);
// The text of a profile file after setting Key in Section to Value.
std::string ProfileUpdate(const std::string& Text, const std::string& Section, const std::string& Key,
                          const std::string& Value);
