#pragma once
// TIniFile: a profile file opened by name; every read and write goes
// straight to the file through the profile functions (Profile.h).
#include <string>

#include "platform/base/Object.h"

class TIniFile : public TObject {
 public:
  explicit TIniFile(const std::string& FileName) : FFileName(FileName) {}

  const std::string& FileName() const { return FFileName; }

  // At most 2047 characters; Default when the file, section or key is missing.
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const;
  // Default also when the value is no integer.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  // Raise EIniFileException "Unable to write to %s" with the file name when
  // the file cannot be written.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value);

 private:
  std::string FFileName;
};
