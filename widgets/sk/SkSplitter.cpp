#include "widgets/sk/SkSplitter.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkDrawCore.h"

void DrawGripDot(TCanvas* Canvas, int X, int Y, bool Raised) {
  if (Raised) {
    Canvas->Brush()->SetColor(TColor(0x808080));
    Canvas->FillRect(Rect(X, Y, X + 2, Y + 2));
    Canvas->Brush()->SetColor(TColor(0xFFFFFF));
    Canvas->FillRect(Rect(X + 1, Y + 1, X + 3, Y + 3));
    Canvas->SetPixels(X + 1, Y + 2, TColor(0xC0C0C0));
    Canvas->SetPixels(X + 1, Y + 1, TColor(0x808080));
    Canvas->SetPixels(X, Y, TColor(0xFFFFFF));
  } else {
    Canvas->SetPixels(X + 1, Y + 1, TColor(0x808080));
    Canvas->SetPixels(X, Y + 1, TColor(0xFFFFFF));
  }
}

void DrawGrip(TSkSplitterSource* Splitter, TCanvas* Canvas, int X, int Y) {
  for (int offset = -40; offset <= 38; offset += 3) {
    if (Splitter->Vertical())
      DrawGripDot(Canvas, X, Y + offset, true);
    else
      DrawGripDot(Canvas, X + offset, Y, true);
  }
}

void BuildSplitterBitmaps(TSkSplitterSource* Splitter) {
  TBitmap* normal = Splitter->NormalBitmap();
  TBitmap* hot = Splitter->HotBitmap();
  if (normal == nullptr || hot == nullptr) return;
  TSkSplitterColors* colors = Splitter->SplitterColors();

  const int width = Splitter->Width();
  const int height = Splitter->Height();
  normal->SetSize(width, height);
  TRect clip = Rect(0, 0, normal->Width(), normal->Height());
  normal->Canvas()->Brush()->SetColor(Splitter->Color());
  normal->Canvas()->FillRect(clip);
  hot->Canvas()->Brush()->SetColor(Splitter->Color());
  hot->Canvas()->FillRect(clip);

  int cx, cy;
  if (Splitter->Vertical()) {
    cy = height / 2;
    cx = (width - 3) / 2;
  } else {
    cy = (height - 3) / 2;
    cx = width / 2;
  }

  // The band keeps its 80-pixel length on a short bar, so the gradient runs
  // as on any other bar; FillGradient cuts it to the bitmap.
  TRect band = clip;
  if (!Splitter->FullLength()) {
    if (Splitter->Vertical()) {
      band.Top = cy - 40;
      band.Bottom = cy + 40;
    } else {
      band.Left = cx - 40;
      band.Right = cx + 40;
    }
  }

  if (colors != nullptr)
    FillGradient(normal, band, colors->DefaultFrom(), colors->DefaultTo(),
                 Splitter->GradientType(), nullptr);
  if (Splitter->ShowGrip()) DrawGrip(Splitter, normal->Canvas(), cx, cy);

  hot->SetSize(width, height);
  if (colors != nullptr)
    FillGradient(hot, band, colors->OverFrom(), colors->OverTo(), Splitter->GradientType(),
                 nullptr);
  if (Splitter->ShowGrip()) DrawGrip(Splitter, hot->Canvas(), cx, cy);

  Splitter->Invalidate();
}
