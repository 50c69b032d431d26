#include "platform/controls/Frame3D.h"

#include "platform/graphics/Canvas.h"

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    const int l = Rect.Left + i, t = Rect.Top + i;
    const int r = Rect.Right - 1 - i, b = Rect.Bottom - 1 - i;
    if (r < l || b < t) break;
    // Left edge upwards and the top edge; the top-right pixel belongs to the
    // right edge, the bottom-left one to the bottom edge.
    Canvas->Pen()->SetColor(TopColor);
    Canvas->MoveTo(l, b);
    Canvas->LineTo(l, t);
    Canvas->LineTo(r, t);
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->MoveTo(r, t);
    Canvas->LineTo(r, b);
    Canvas->LineTo(l - 1, b);
  }
  Rect.Left += Width;
  Rect.Top += Width;
  Rect.Right -= Width;
  Rect.Bottom -= Width;
}
