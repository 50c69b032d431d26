#include "platform/base/SysUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <mutex>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"

namespace {

[[noreturn]] void BadFormat(const std::string& fmt) {
  throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}

std::string Pad(std::string text, int width, bool left) {
  if (width > 0 && int(text.size()) < width) {
    std::string fill(size_t(width) - text.size(), ' ');
    text = left ? text + fill : fill + text;
  }
  return text;
}

std::string Digits(std::uint64_t value, unsigned base) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

std::string MinDigits(std::string digits, int precision) {
  if (precision > int(digits.size())) digits.insert(0, size_t(precision) - digits.size(), '0');
  return digits;
}

}  // namespace

std::string FormatArgs(const std::string& Fmt, const std::vector<TVarRec>& Args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < Fmt.size(); ++i) {
    if (Fmt[i] != '%') {
      out += Fmt[i];
      continue;
    }
    if (++i >= Fmt.size()) BadFormat(Fmt);
    if (Fmt[i] == '%') {
      out += '%';
      continue;
    }
    bool left = false;
    if (Fmt[i] == '-') {
      left = true;
      if (++i >= Fmt.size()) BadFormat(Fmt);
    }
    int width = 0, precision = -1;
    while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9' && width < 100000) width = width * 10 + (Fmt[i++] - '0');
    if (i < Fmt.size() && Fmt[i] == '.') {
      precision = 0;
      ++i;
      while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9' && precision < 100000)
        precision = precision * 10 + (Fmt[i++] - '0');
    }
    if (i >= Fmt.size() || next >= Args.size()) BadFormat(Fmt);
    const TVarRec& arg = Args[next++];
    std::string text;
    switch (Fmt[i]) {
      case 'd': case 'D':
        if (arg.Kind == TVarRec::vtInteger) {
          std::uint64_t magnitude = arg.Int < 0 ? 0 - std::uint64_t(arg.Int) : std::uint64_t(arg.Int);
          text = (arg.Int < 0 ? "-" : "") + MinDigits(Digits(magnitude, 10), precision);
        } else if (arg.Kind == TVarRec::vtUnsigned) {
          text = MinDigits(Digits(arg.UInt, 10), precision);
        } else {
          BadFormat(Fmt);
        }
        break;
      case 'u': case 'U':
        if (arg.Kind == TVarRec::vtInteger) text = MinDigits(Digits(std::uint32_t(arg.Int), 10), precision);
        else if (arg.Kind == TVarRec::vtUnsigned) text = MinDigits(Digits(arg.UInt, 10), precision);
        else BadFormat(Fmt);
        break;
      case 'x': case 'X':
        // Negative 32-bit values print as their two's complement, as the host does.
        if (arg.Kind == TVarRec::vtInteger)
          text = MinDigits(Digits(arg.Int < 0 && arg.Int >= INT32_MIN ? std::uint32_t(arg.Int)
                                                                       : std::uint64_t(arg.Int), 16),
                           precision);
        else if (arg.Kind == TVarRec::vtUnsigned) text = MinDigits(Digits(arg.UInt, 16), precision);
        else BadFormat(Fmt);
        break;
      case 's': case 'S':
        if (arg.Kind != TVarRec::vtString) BadFormat(Fmt);
        text = precision >= 0 && size_t(precision) < arg.Str.size() ? arg.Str.substr(0, size_t(precision)) : arg.Str;
        break;
      case 'f': case 'F': {
        if (arg.Kind != TVarRec::vtFloat) BadFormat(Fmt);
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", precision < 0 ? 2 : std::min(precision, 18), arg.Float);
        text = buffer;
        break;
      }
      default:
        BadFormat(Fmt);
    }
    out += Pad(std::move(text), width, left);
  }
  return out;
}

std::string IntToStr(std::int64_t Value) { return Format("%d", Value); }

std::string IntToHex(std::uint64_t Value, int Digits) { return MinDigits(::Digits(Value, 16), Digits); }

bool TryStrToInt(const std::string& S, int& Value) {
  std::string s = Trim(S);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  unsigned base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t value = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = unsigned(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = unsigned(c - 'A' + 10);
    else return false;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return false;
  }
  if (base == 10) {
    // Decimal must fit a signed 32-bit integer.
    if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return false;
    Value = negative ? int(-std::int64_t(value)) : int(value);
  } else {
    // Hexadecimal covers all 32 bits ($FFFFFFFF is -1).
    std::int32_t bits = std::int32_t(std::uint32_t(value));
    Value = negative ? -bits : bits;
  }
  return true;
}

int StrToInt(const std::string& S) {
  int value = 0;
  if (!TryStrToInt(S, value)) throw EConvertError(Format(SInvalidInteger, S));
  return value;
}

int StrToIntDef(const std::string& S, int Default) {
  int value = 0;
  return TryStrToInt(S, value) ? value : Default;
}

std::string TrimLeft(const std::string& S) {
  size_t first = 0;
  while (first < S.size() && static_cast<unsigned char>(S[first]) <= ' ') ++first;
  return S.substr(first);
}

std::string TrimRight(const std::string& S) {
  size_t end = S.size();
  while (end > 0 && static_cast<unsigned char>(S[end - 1]) <= ' ') --end;
  return S.substr(0, end);
}

std::string Trim(const std::string& S) { return TrimLeft(TrimRight(S)); }

std::string UpperCase(const std::string& S) {
  std::string out = S;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

std::string LowerCase(const std::string& S) {
  std::string out = S;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

int CompareText(const std::string& S1, const std::string& S2) {
  size_t n = std::min(S1.size(), S2.size());
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(S1[i]), b = static_cast<unsigned char>(S2[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return a - b;
  }
  return int(S1.size()) - int(S2.size());
}

bool SameText(const std::string& S1, const std::string& S2) { return CompareText(S1, S2) == 0; }

int CompareStr(const std::string& S1, const std::string& S2) {
  size_t n = std::min(S1.size(), S2.size());
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(S1[i]), b = static_cast<unsigned char>(S2[i]);
    if (a != b) return a - b;
  }
  return int(S1.size()) - int(S2.size());
}

std::string ExtractFilePath(const std::string& FileName) {
  size_t slash = FileName.rfind(PathDelim);
  return slash == std::string::npos ? std::string() : FileName.substr(0, slash + 1);
}

std::string ExtractFileDir(const std::string& FileName) {
  size_t slash = FileName.rfind(PathDelim);
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : FileName.substr(0, slash);
}

std::string ExtractFileName(const std::string& FileName) {
  size_t slash = FileName.rfind(PathDelim);
  return slash == std::string::npos ? FileName : FileName.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& FileName) {
  size_t dot = FileName.rfind('.');
  size_t slash = FileName.rfind(PathDelim);
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return FileName.substr(dot);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  size_t dot = FileName.rfind('.');
  size_t slash = FileName.rfind(PathDelim);
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return FileName + Extension;
  return FileName.substr(0, dot) + Extension;
}

std::string IncludeTrailingPathDelimiter(const std::string& S) {
  return !S.empty() && S.back() == PathDelim ? S : S + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& S) {
  return S.size() > 1 && S.back() == PathDelim ? S.substr(0, S.size() - 1) : S;
}

bool FileExists(const std::string& FileName) {
  struct stat info {};
  return !FileName.empty() && ::stat(FileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& Name) {
  struct stat info {};
  return !Name.empty() && ::stat(Name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool DeleteFile(const std::string& FileName) { return ::unlink(FileName.c_str()) == 0; }

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return std::string();
    if (size_t(n) < path.size()) {
      path.resize(size_t(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string ExecutableDir() { return ExtractFilePath(ExecutablePath()); }

namespace {
std::mutex gArgsLock;
std::vector<std::string> gArgs;
}  // namespace

void SetCommandLine(int argc, char** argv) {
  std::lock_guard<std::mutex> guard(gArgsLock);
  gArgs.assign(argv, argv + argc);
}

int ParamCount() {
  std::lock_guard<std::mutex> guard(gArgsLock);
  return gArgs.empty() ? 0 : int(gArgs.size()) - 1;
}

std::string ParamStr(int Index) {
  if (Index == 0) return ExecutablePath();
  std::lock_guard<std::mutex> guard(gArgsLock);
  return Index > 0 && size_t(Index) < gArgs.size() ? gArgs[size_t(Index)] : std::string();
}
