#pragma once
// GradientFillRect: a linear gradient through two or more colours, drawn as
// one pen line per pixel step. Direction 0 runs from top to bottom (one
// horizontal line per row), any other value from left to right (one vertical
// line per column). The extent is split into n bands for n + 1 colours, each
// band ÷ n pixels long (rounded to nearest, halves to even) and the last one
// taking the rest; neighbouring bands share their boundary line. Fewer than
// two colours raise EMathError "Please specify at least two colors.".
// The canvas's pen is used and given back as it was.
#include <vector>

#include "platform/base/Types.h"
#include "platform/graphics/Color.h"

class TCanvas;

void GradientFillRect(TCanvas* Canvas, const TRect& Rect, int Direction,
                      const std::vector<TColor>& Colors);
