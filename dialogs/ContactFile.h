#pragma once
// The address book's contacts as text. A contact line is the contact's name,
// a blank and the address in angle brackets ("Bob <192.168.0.7>"); neither
// part is checked. The contact file "IPAddress.dat" beside the executable
// holds one contact line per line, 8-bit text, each line ended by CR LF
// (CR or LF alone also end a line when it is read), no header.
#include <string>

class TStrings;

inline constexpr const char* ContactFileName = "IPAddress.dat";

// The contact file's full path: the executable's directory and its name.
std::string ContactFilePath();

// name + " <" + address + ">".
std::string ContactLine(const std::string& Name, const std::string& Address);

// The address a chosen line gives: the text after its first "<" without the
// line's last character (the closing ">" of a well-formed line); a line
// without "<" is taken whole, and one ending in "<" gives empty text.
std::string ContactAddress(const std::string& Line);

// Replaces Lines with the lines of the file's bytes.
void ParseContactFile(const std::string& Bytes, TStrings* Lines);

// Replaces Lines with the lines of the file. Lines is left as it was when
// the file cannot be read (EFOpenError or EReadError raised).
void ReadContactFile(const std::string& FileName, TStrings* Lines);

// Writes every line of Lines, in their order, replacing the file whole
// (made when missing); raises EFCreateError "Cannot create file %s" when it
// cannot, whatever failed, and the old file is then as it was.
void WriteContactFile(const std::string& FileName, const TStrings* Lines);
