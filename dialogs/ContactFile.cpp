#include "dialogs/ContactFile.h"

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/StringList.h"
#include "platform/base/Strings.h"
#include "platform/base/SysUtils.h"
#include "platform/base/WholeFile.h"

std::string ContactFilePath() { return ExecutableDir() + ContactFileName; }

std::string ContactLine(const std::string& Name, const std::string& Address) {
  return Name + " <" + Address + ">";
}

std::string ContactAddress(const std::string& Line) {
  const std::string::size_type open = Line.find('<');
  if (open == std::string::npos) return Line;
  std::string address = Line.substr(open + 1);
  if (!address.empty()) address.pop_back();
  return address;
}

void ParseContactFile(const std::string& Bytes, TStrings* Lines) { Lines->SetText(Bytes); }

// Read into a list of its own first, so that a failure midway leaves the
// caller's lines untouched.
void ReadContactFile(const std::string& FileName, TStrings* Lines) {
  TStringList read;
  read.LoadFromFile(FileName);
  Lines->BeginUpdate();
  try {
    Lines->Clear();
    Lines->AddStrings(&read);
  } catch (...) {
    Lines->EndUpdate();
    throw;
  }
  Lines->EndUpdate();
}

// Written beside the old file and renamed over it, so that a full disk or a
// crash midway never leaves a contact list cut short.
void WriteContactFile(const std::string& FileName, const TStrings* Lines) {
  if (!WriteFileWhole(FileName, Lines->Text())) throw EFCreateError(Format(SFCreateError, FileName));
}
