#include "platform/layout/LayoutLexer.h"

#include <charconv>
#include <cstdio>

#include "platform/layout/LayoutError.h"
#include "platform/layout/RegistryLookup.h"

namespace {

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr std::string_view kSymbols = ":=[],{}+";

}  // namespace

void TLayoutLexer::FailAt(int line, const std::string& message) const {
  throw ELayoutError(FFileName + "(" + std::to_string(line) + "): " + message);
}

void TLayoutLexer::Fail(const std::string& message) const { FailAt(FTokenLine, message); }

std::string TLayoutLexer::DescribeChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u > 32 && u < 127) return std::string("'") + c + "'";
  return "#" + std::to_string(u);
}

bool TLayoutLexer::IsName(std::string_view name) const {
  return FToken == TLayoutToken::ltName && LayoutNameEqual(FString, name);
}

std::string TLayoutLexer::Describe() const {
  switch (FToken) {
    case TLayoutToken::ltEnd: return "end of file";
    case TLayoutToken::ltName: return "'" + FString + "'";
    case TLayoutToken::ltInteger: return "number " + std::to_string(FInteger);
    case TLayoutToken::ltFloat: return "a number";
    case TLayoutToken::ltString: return "a string";
    case TLayoutToken::ltSymbol: return DescribeChar(FSymbol);
  }
  return "?";
}

void TLayoutLexer::SkipSpace() {
  while (FPos < FText.size()) {
    char c = FText[FPos];
    if (c == '\n' || (c == '\r' && (FPos + 1 >= FText.size() || FText[FPos + 1] != '\n'))) {
      ++FLine;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      return;
    }
    ++FPos;
  }
}

void TLayoutLexer::Next() {
  SkipSpace();
  FTokenLine = FLine;
  if (FPos >= FText.size()) {
    FToken = TLayoutToken::ltEnd;
    return;
  }
  char c = FText[FPos];
  if (IsNameStart(c)) {
    ReadName();
  } else if (IsDigit(c) || c == '$' ||
             (c == '-' && FPos + 1 < FText.size() &&
              (IsDigit(FText[FPos + 1]) || FText[FPos + 1] == '$'))) {
    ReadNumber();
  } else if (c == '\'' || c == '#') {
    ReadString();
  } else if (kSymbols.find(c) != std::string_view::npos) {
    FToken = TLayoutToken::ltSymbol;
    FSymbol = c;
    ++FPos;
  } else {
    FailAt(FLine, "invalid character " + DescribeChar(c));
  }
}

void TLayoutLexer::ReadName() {
  size_t start = FPos;
  for (;;) {
    while (FPos < FText.size() && IsNameChar(FText[FPos])) ++FPos;
    // A dot joins the next part only when a name follows it.
    if (FPos + 1 < FText.size() && FText[FPos] == '.' && IsNameStart(FText[FPos + 1])) {
      ++FPos;
      continue;
    }
    break;
  }
  FToken = TLayoutToken::ltName;
  FString.assign(FText.substr(start, FPos - start));
}

void TLayoutLexer::ReadNumber() {
  size_t start = FPos;
  bool negative = FText[FPos] == '-';
  if (negative) ++FPos;
  std::uint64_t magnitude = 0;
  if (FText[FPos] == '$') {
    ++FPos;
    size_t digits = 0;
    while (FPos < FText.size() && HexDigit(FText[FPos]) >= 0) {
      if (++digits > 16) FailAt(FLine, "number out of range");
      magnitude = magnitude << 4 | std::uint64_t(HexDigit(FText[FPos]));
      ++FPos;
    }
    if (digits == 0) FailAt(FLine, "hex digits expected after '$'");
    // $FFFFFFFF.. keeps its bit pattern.
    FInteger = static_cast<std::int64_t>(magnitude);
    if (negative) FInteger = static_cast<std::int64_t>(0 - magnitude);
    FToken = TLayoutToken::ltInteger;
  } else {
    while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    bool isFloat = false;
    if (FPos + 1 < FText.size() && FText[FPos] == '.' && IsDigit(FText[FPos + 1])) {
      isFloat = true;
      ++FPos;
      while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    }
    if (FPos < FText.size() && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
      size_t p = FPos + 1;
      if (p < FText.size() && (FText[p] == '+' || FText[p] == '-')) ++p;
      if (p < FText.size() && IsDigit(FText[p])) {
        isFloat = true;
        FPos = p;
        while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
      }
    }
    const char* first = FText.data() + start;
    const char* last = FText.data() + FPos;
    if (isFloat) {
      auto [end, ec] = std::from_chars(first, last, FFloat);
      if (ec != std::errc() || end != last) FailAt(FLine, "number out of range");
      FToken = TLayoutToken::ltFloat;
    } else {
      auto [end, ec] = std::from_chars(first, last, FInteger);
      if (ec != std::errc() || end != last) FailAt(FLine, "number out of range");
      FToken = TLayoutToken::ltInteger;
    }
  }
  if (FPos < FText.size() && (IsNameChar(FText[FPos]) || FText[FPos] == '.'))
    FailAt(FLine, "invalid number");
}

void TLayoutLexer::ReadString() {
  FString.clear();
  while (FPos < FText.size()) {
    char c = FText[FPos];
    if (c == '\'') {
      ++FPos;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r')
          FailAt(FLine, "unterminated string");
        char s = FText[FPos++];
        if (s == '\'') {
          if (FPos < FText.size() && FText[FPos] == '\'') {
            FString += '\'';
            ++FPos;
            continue;
          }
          break;
        }
        FString += s;
      }
    } else if (c == '#') {
      ++FPos;
      unsigned code = 0;
      size_t digits = 0;
      bool hex = FPos < FText.size() && FText[FPos] == '$';
      if (hex) ++FPos;
      while (FPos < FText.size() && (hex ? HexDigit(FText[FPos]) >= 0 : IsDigit(FText[FPos]))) {
        code = code * (hex ? 16 : 10) + unsigned(hex ? HexDigit(FText[FPos]) : FText[FPos] - '0');
        if (code > 255) FailAt(FLine, "character code out of range");
        ++digits;
        ++FPos;
      }
      if (digits == 0) FailAt(FLine, "character code expected after '#'");
      FString += static_cast<char>(code);
    } else {
      break;
    }
  }
  FToken = TLayoutToken::ltString;
}

std::vector<Byte> TLayoutLexer::ReadHexBlock() {
  std::vector<Byte> bytes;
  int high = -1;
  for (;;) {
    SkipSpace();
    if (FPos >= FText.size()) FailAt(FLine, "'}' expected, found end of file");
    char c = FText[FPos++];
    if (c == '}') break;
    int digit = HexDigit(c);
    if (digit < 0) FailAt(FLine, "invalid character " + DescribeChar(c) + " in binary data");
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<Byte>(high << 4 | digit));
      high = -1;
    }
  }
  if (high >= 0) FailAt(FLine, "odd number of hex digits in binary data");
  return bytes;
}
