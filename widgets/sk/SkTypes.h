#pragma once
// Small enumerations shared by the skinned controls and their layouts.
#include <cstdint>

// Shape of a two-colour gradient.
enum TGradientType : std::uint8_t {
  gtHorizontal,    // start colour at the left edge, end colour at the right
  gtVertical,      // start colour at the top, end colour at the bottom
  gtFromTopLeft,   // outward from the top-left corner
  gtFromTopRight,  // outward from the top-right corner
  gtRadial,        // outward from the centre
  gtDoubleHorz,    // start colour on the vertical centre line, end colour at both sides
  gtDoubleVert,    // start colour on the horizontal centre line, end colour top and bottom
};

// How fast a button fades: the interval of its fade timer.
enum TFadeSpeed : std::uint8_t { fsSlow, fsMedium, fsFast, fsVeryFast };

// Fade timer interval of a speed: 40, 20, 12 or 8 ms.
constexpr unsigned FadeIntervalMs(TFadeSpeed Speed) {
  switch (Speed) {
    case fsMedium: return 20;
    case fsFast: return 12;
    case fsVeryFast: return 8;
    case fsSlow: break;
  }
  return 40;
}

// Where a panel draws its caption.
enum TSkCaptionPos : std::uint8_t {
  cpGroupBox,
  cpTopLeft,
  cpTopCenter,
  cpTopRight,
  cpMiddleLeft,
  cpMiddleCenter,
  cpMiddleRight,
  cpBottomLeft,
  cpBottomCenter,
  cpBottomRight,
};

// Where a button places its glyph relative to the caption.
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
