#pragma once
// TFont: the face, size, colour and style a canvas draws text with.
//
// Heights are pixels as the layouts give them: a negative Height is the
// character height (the em size), a positive one the cell height (ascent plus
// descent). Size is in points at 96 pixels per inch.
//
// The program names Windows faces; they are drawn with installed open faces
// of the same metrics where such a face exists (see FontFaceFor).
#include <memory>
#include <string>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"
#include "platform/graphics/Color.h"

// Font styles, a set of bits: Font->SetStyle(fsBold | fsItalic).
enum TFontStyle : unsigned { fsBold = 1u << 0, fsItalic = 1u << 1, fsUnderline = 1u << 2, fsStrikeOut = 1u << 3 };
using TFontStyles = unsigned;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;

// Screen resolution the point sizes refer to.
inline constexpr int FontPixelsPerInch = 96;

// The installed family that draws the face Name:
//   "MS Sans Serif", "Arial"    -> "Liberation Sans"
//       (Liberation Sans is metric-compatible with Arial; the old bitmap sans
//        face of the layouts has Arial's proportions at 8 to 10 points)
//   "Verdana"                   -> "DejaVu Sans" (the wide humanist sans with Verdana's widths)
//   "Tahoma"                    -> "Liberation Sans" (narrower than Verdana, close to Arial)
//   "Courier New"               -> "Liberation Mono" (metric-compatible)
// Names are compared without regard to case. Any other name is used as it is
// when such a family is installed, else "Liberation Sans".
std::string FontFaceFor(const std::string& Name);

struct TFontCache;  // the rendering back end's font and metrics, made on demand

class TFont : public TPersistent {
 public:
  TFont();
  ~TFont() override;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points: -Height * 72 / 96 rounded; setting it sets Height to -Size * 96 / 72 rounded.
  int Size() const;
  void SetSize(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  // Stored and copied; text is 8-bit Latin-1 whatever the charset.
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);

  // Source: a TFont (every attribute). Fires OnChange once.
  void Assign(TPersistent* Source) override;

  // Fired after any attribute changed to a different value.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

  // The em size in pixels that the face is drawn at (Height resolved for the
  // mapped face; never below 1).
  int PixelSize() const;

  // Back-end font for platform .cpp files (FontQt.h).
  TFontCache& Cache() const;

 private:
  void Changed();

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  TNotifyEvent FOnChange;
  mutable std::unique_ptr<TFontCache> FCache;
};
