#include "platform/layout/LayoutValue.h"

#include <strings.h>

#include <limits>

#include "platform/layout/LayoutError.h"
#include "platform/layout/RegistryLookup.h"

TLayoutValue TLayoutValue::Integer(std::int64_t value) {
  TLayoutValue v(TLayoutValueKind::lvInteger);
  v.FInteger = value;
  return v;
}

TLayoutValue TLayoutValue::Float(double value) {
  TLayoutValue v(TLayoutValueKind::lvFloat);
  v.FFloat = value;
  return v;
}

TLayoutValue TLayoutValue::String(std::string text) {
  TLayoutValue v(TLayoutValueKind::lvString);
  v.FText = std::move(text);
  return v;
}

TLayoutValue TLayoutValue::Identifier(std::string name) {
  TLayoutValue v(TLayoutValueKind::lvIdentifier);
  v.FText = std::move(name);
  return v;
}

TLayoutValue TLayoutValue::Set(std::vector<std::string> names) {
  TLayoutValue v(TLayoutValueKind::lvSet);
  v.FNames = std::move(names);
  return v;
}

TLayoutValue TLayoutValue::Binary(std::vector<Byte> bytes) {
  TLayoutValue v(TLayoutValueKind::lvBinary);
  v.FBytes = std::move(bytes);
  return v;
}

const char* TLayoutValue::KindName(TLayoutValueKind kind) {
  switch (kind) {
    case TLayoutValueKind::lvInteger: return "integer";
    case TLayoutValueKind::lvFloat: return "float";
    case TLayoutValueKind::lvString: return "string";
    case TLayoutValueKind::lvIdentifier: return "identifier";
    case TLayoutValueKind::lvSet: return "set";
    case TLayoutValueKind::lvBinary: return "binary data";
  }
  return "value";
}

void TLayoutValue::Expect(TLayoutValueKind kind) const {
  if (FKind != kind)
    throw ELayoutError(std::string(KindName(kind)) + " expected, found " + KindName(FKind));
}

std::int64_t TLayoutValue::AsInteger() const {
  if (FKind == TLayoutValueKind::lvIdentifier) {
    const std::int64_t* value = FindLayoutIdentifier(FText);
    if (value == nullptr) throw ELayoutError("unknown identifier '" + FText + "'");
    return *value;
  }
  Expect(TLayoutValueKind::lvInteger);
  return FInteger;
}

int TLayoutValue::AsInt() const {
  std::int64_t v = AsInteger();
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    throw ELayoutError("value " + std::to_string(v) + " out of range");
  return int(v);
}

double TLayoutValue::AsFloat() const {
  if (FKind == TLayoutValueKind::lvInteger) return double(FInteger);
  Expect(TLayoutValueKind::lvFloat);
  return FFloat;
}

bool TLayoutValue::AsBool() const {
  if (FKind == TLayoutValueKind::lvIdentifier) {
    if (strcasecmp(FText.c_str(), "True") == 0) return true;
    if (strcasecmp(FText.c_str(), "False") == 0) return false;
    throw ELayoutError("True or False expected, found '" + FText + "'");
  }
  throw ELayoutError(std::string("True or False expected, found ") + KindName(FKind));
}

const std::string& TLayoutValue::AsString() const {
  Expect(TLayoutValueKind::lvString);
  return FText;
}

const std::string& TLayoutValue::AsIdentifier() const {
  Expect(TLayoutValueKind::lvIdentifier);
  return FText;
}

const std::vector<std::string>& TLayoutValue::AsSet() const {
  Expect(TLayoutValueKind::lvSet);
  return FNames;
}

const std::vector<Byte>& TLayoutValue::AsBytes() const {
  Expect(TLayoutValueKind::lvBinary);
  return FBytes;
}
