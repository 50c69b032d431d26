#include "platform/graphics/Font.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/base/Exceptions.h"
#include "platform/graphics/FontQt.h"

namespace {

constexpr const char* kFallbackFace = "Liberation Sans";

struct TFaceMapping {
  const char* Name;
  const char* Face;
};

// Windows faces the layouts name, and the installed open faces drawn instead.
constexpr TFaceMapping kFaceMappings[] = {
    {"ms sans serif", "Liberation Sans"},
    {"arial", "Liberation Sans"},
    {"verdana", "DejaVu Sans"},
    {"tahoma", "Liberation Sans"},
    {"courier new", "Liberation Mono"},
};

std::string Lower(std::string Text) {
  for (char& c : Text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return Text;
}

void RequireGuiApplication() {
  if (qGuiApp == nullptr)
    throw EInvalidOperation("Fonts need the application object to be created first");
}

// Round half away from zero of A * B / C, the host's MulDiv.
int MulDiv(int A, int B, int C) {
  long long n = static_cast<long long>(A) * B;
  long long q = (std::llabs(n) * 2 + std::llabs(C)) / (2 * std::llabs(static_cast<long long>(C)));
  return int((n < 0) != (C < 0) ? -q : q);
}

QFont BaseFont(const TFont& Font) {
  QFont f(QString::fromStdString(FontFaceFor(Font.Name())));
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setKerning(false);
  f.setBold((Font.Style() & fsBold) != 0);
  f.setItalic((Font.Style() & fsItalic) != 0);
  f.setUnderline((Font.Style() & fsUnderline) != 0);
  f.setStrikeOut((Font.Style() & fsStrikeOut) != 0);
  f.setFixedPitch(Font.Pitch() == fpFixed);
  return f;
}

}  // namespace

std::string FontFaceFor(const std::string& Name) {
  std::string key = Lower(Name);
  for (const TFaceMapping& m : kFaceMappings)
    if (key == m.Name) return m.Face;
  RequireGuiApplication();
  if (!Name.empty() && QFontDatabase::hasFamily(QString::fromLatin1(Name.data(), qsizetype(Name.size()))))
    return Name;
  return kFallbackFace;
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Changed() {
  FCache.reset();
  if (FOnChange) FOnChange(this);
}

void TFont::SetName(const std::string& Value) {
  if (Value == FName || Value.empty()) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FontPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FontPixelsPerInch, 72)); }

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour does not shape glyphs: the cached font stays.
  if (FOnChange) FOnChange(this);
}

void TFont::SetStyle(TFontStyles Value) {
  Value &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  if (FOnChange) FOnChange(this);
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* font = dynamic_cast<TFont*>(Source);
  if (font == nullptr) return TPersistent::Assign(Source);
  if (font == this) return;
  bool shapeChanged = FName != font->FName || FHeight != font->FHeight ||
                      FStyle != font->FStyle || FPitch != font->FPitch;
  FName = font->FName;
  FHeight = font->FHeight;
  FColor = font->FColor;
  FStyle = font->FStyle;
  FCharset = font->FCharset;
  FPitch = font->FPitch;
  if (shapeChanged) FCache.reset();
  if (FOnChange) FOnChange(this);
}

int TFont::PixelSize() const {
  if (FHeight < 0) return -FHeight;
  if (FHeight == 0) return 11;  // the default character height
  // A cell height: scale the face's ascent plus descent to it.
  RequireGuiApplication();
  QFont probe = BaseFont(*this);
  probe.setPixelSize(1000);
  double cell = QFontMetricsF(probe).height();
  if (cell <= 0) return FHeight;
  return std::max(1, int(std::lround(FHeight * 1000.0 / cell)));
}

TFontCache& TFont::Cache() const {
  if (!FCache) {
    RequireGuiApplication();
    QFont f = BaseFont(*this);
    f.setPixelSize(PixelSize());
    FCache = std::make_unique<TFontCache>(f);
  }
  return *FCache;
}
