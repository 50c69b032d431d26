#include "platform/base/IniFiles.h"

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Profile.h"
#include "platform/base/SysUtils.h"

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  return GetPrivateProfileString(Section, Ident, Default, FFileName, ProfileMaxChars);
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  std::string text = ReadString(Section, Ident, "");
  return text.empty() ? Default : StrToIntDef(text, Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!WritePrivateProfileString(Section, Ident, Value, FFileName))
    throw EIniFileException(Format(SIniFileWriteError, FFileName));
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}
