#pragma once
// Platform-internal: the host's 3-D frame lines, shared by the panels,
// group boxes and buttons drawn here.
#include "platform/base/Types.h"
#include "platform/graphics/Color.h"

class TCanvas;

// Draws Width nested one-pixel frames inside Rect: top and left edges in
// TopColor, bottom and right edges in BottomColor, and shrinks Rect by Width
// on every side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
