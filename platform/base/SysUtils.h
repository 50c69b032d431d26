#pragma once
// Number and text conversion, Format, file names and files, program path:
// the host's run-time routines as the program uses them. Text is 8-bit.
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// One Format argument: an integer or a text.
struct TVarRec {
  enum TKind { vtInteger, vtUnsigned, vtString, vtFloat } Kind;
  std::int64_t Int = 0;
  std::uint64_t UInt = 0;
  double Float = 0;
  std::string Str;

  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  TVarRec(T v) : Kind(vtInteger), Int(v) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T>, int> = 0>
  TVarRec(T v) : Kind(vtUnsigned), UInt(v) {}
  template <class T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
  TVarRec(T v) : TVarRec(static_cast<std::underlying_type_t<T>>(v)) {}
  TVarRec(double v) : Kind(vtFloat), Float(v) {}
  TVarRec(const std::string& s) : Kind(vtString), Str(s) {}
  TVarRec(const char* s) : Kind(vtString), Str(s ? s : "") {}
};

// Format with the host's directives: %s, %d, %u, %x (upper-case hex digits),
// %f, %%, each with optional "-", width and ".precision" (for %d/%u/%x the
// precision is a minimum digit count, for %s a maximum length, for %f the
// decimals). A directive that does not fit its argument raises
// EConvertError "Format '%s' invalid or incompatible with argument".
std::string FormatArgs(const std::string& Fmt, const std::vector<TVarRec>& Args);
template <class... A>
std::string Format(const std::string& Fmt, const A&... Args) {
  return FormatArgs(Fmt, std::vector<TVarRec>{TVarRec(Args)...});
}

std::string IntToStr(std::int64_t Value);
// Upper-case hex, at least Digits digits.
std::string IntToHex(std::uint64_t Value, int Digits);
// Decimal (optionally signed) or "$"/"0x" hexadecimal, blanks around allowed;
// anything else, or a value outside 32 bits, raises EConvertError
// "'%s' is not a valid integer value".
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);
bool TryStrToInt(const std::string& S, int& Value);

// Removes blanks and control characters (<= ' ') at both ends.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);
// ASCII letters only, like the host's UpperCase/LowerCase.
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
// Ordinal comparison ignoring ASCII case: < 0, 0 or > 0.
int CompareText(const std::string& S1, const std::string& S2);
bool SameText(const std::string& S1, const std::string& S2);
int CompareStr(const std::string& S1, const std::string& S2);

// File names, '/' separated.
inline constexpr char PathDelim = '/';
std::string ExtractFilePath(const std::string& FileName);  // with trailing '/'
std::string ExtractFileDir(const std::string& FileName);   // without
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);  // with the dot
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
std::string IncludeTrailingPathDelimiter(const std::string& S);
std::string ExcludeTrailingPathDelimiter(const std::string& S);

bool FileExists(const std::string& FileName);  // a regular file (not a directory)
bool DirectoryExists(const std::string& Name);
bool DeleteFile(const std::string& FileName);

// The running executable's full path (from /proc/self/exe) and its directory
// with a trailing '/'; ParamStr(0) is the path, ParamStr(n) the n-th argument
// given to SetCommandLine.
std::string ExecutablePath();
std::string ExecutableDir();
void SetCommandLine(int argc, char** argv);
int ParamCount();
std::string ParamStr(int Index);
