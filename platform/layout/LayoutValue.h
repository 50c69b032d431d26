#pragma once
// One parsed property value of a layout: a number, a quoted string, an
// identifier (alTop, clSilver, True, a handler name), a set of identifiers
// ([fsBold, fsItalic]) or binary data ({ 0A1B... }). The accessors raise
// ELayoutError naming the kind expected and the kind found.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Types.h"

enum class TLayoutValueKind { lvInteger, lvFloat, lvString, lvIdentifier, lvSet, lvBinary };

class TLayoutValue {
 public:
  static TLayoutValue Integer(std::int64_t value);
  static TLayoutValue Float(double value);
  static TLayoutValue String(std::string text);
  static TLayoutValue Identifier(std::string name);
  static TLayoutValue Set(std::vector<std::string> names);
  static TLayoutValue Binary(std::vector<Byte> bytes);

  TLayoutValueKind Kind() const { return FKind; }
  // "integer", "float", "string", "identifier", "set", "binary data".
  static const char* KindName(TLayoutValueKind kind);

  // An integer, or an identifier registered with RegisterLayoutIdentifiers
  // (colour names and the like).
  std::int64_t AsInteger() const;
  // AsInteger, range-checked to 32 bits.
  int AsInt() const;
  // A float or an integer.
  double AsFloat() const;
  // The identifiers True or False (any case).
  bool AsBool() const;
  const std::string& AsString() const;
  const std::string& AsIdentifier() const;
  const std::vector<std::string>& AsSet() const;
  const std::vector<Byte>& AsBytes() const;

 private:
  explicit TLayoutValue(TLayoutValueKind kind) : FKind(kind) {}
  void Expect(TLayoutValueKind kind) const;

  TLayoutValueKind FKind;
  std::int64_t FInteger = 0;
  double FFloat = 0;
  std::string FText;                // string or identifier
  std::vector<std::string> FNames;  // set
  std::vector<Byte> FBytes;         // binary
};
