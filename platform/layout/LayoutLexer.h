#pragma once
// Splits layout text into tokens: names (dotted: Font.Color), numbers,
// strings (quoted parts and #NN codes written together: 'a'#13#10'b'),
// symbols, and on request the hex digits of a binary block. Tracks the line
// of every token; raises ELayoutError "file(line): ..." on malformed text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Types.h"

enum class TLayoutToken { ltEnd, ltName, ltInteger, ltFloat, ltString, ltSymbol };

class TLayoutLexer {
 public:
  TLayoutLexer(std::string_view text, const std::string& fileName)
      : FText(text), FFileName(fileName) {}

  // Reads the next token.
  void Next();

  TLayoutToken Token() const { return FToken; }
  int Line() const { return FTokenLine; }
  const std::string& Text() const { return FString; }  // name or string
  std::int64_t Integer() const { return FInteger; }
  double Float() const { return FFloat; }
  char Symbol() const { return FSymbol; }
  bool IsSymbol(char c) const { return FToken == TLayoutToken::ltSymbol && FSymbol == c; }
  bool IsName(std::string_view name) const;  // any case

  // How the current token reads in a message: "'end'", "string", "end of file".
  std::string Describe() const;

  // After the opening '{' is the current token: reads hex digit pairs and
  // white space up to '}' (consumed) and returns the bytes.
  std::vector<Byte> ReadHexBlock();

  // "file(line): message" at the current token.
  [[noreturn]] void Fail(const std::string& message) const;
  [[noreturn]] void FailAt(int line, const std::string& message) const;

 private:
  void SkipSpace();
  void ReadName();
  void ReadNumber();
  void ReadString();
  static std::string DescribeChar(char c);

  std::string_view FText;
  const std::string& FFileName;
  size_t FPos = 0;
  int FLine = 1;
  int FTokenLine = 1;
  TLayoutToken FToken = TLayoutToken::ltEnd;
  std::string FString;
  std::int64_t FInteger = 0;
  double FFloat = 0;
  char FSymbol = 0;
};
