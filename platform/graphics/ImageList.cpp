#include "platform/graphics/ImageList.h"

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}
TImageList::~TImageList() = default;

void TImageList::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Clear();
}

void TImageList::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Clear();
}

void TImageList::Clear() { FImages.clear(); }

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (Image == nullptr || FWidth <= 0 || FHeight <= 0 || Image->Height() != FHeight ||
      Image->Width() < FWidth)
    throw EInvalidOperation(SInvalidImageSize);
  const int first = Count();
  const int cells = Image->Width() / FWidth;
  for (int i = 0; i < cells; ++i) {
    auto cell = std::make_unique<TBitmap>();
    cell->SetPixelFormat(pf24bit);
    cell->SetSize(FWidth, FHeight);
    BitBlt(cell->Canvas(), 0, 0, FWidth, FHeight, Image->Canvas(), i * FWidth, 0, SRCCOPY);
    cell->SetTransparentMode(tmFixed);
    cell->SetTransparentColor(ColorToRGB(MaskColor));
    cell->SetTransparent(true);
    FImages.push_back(std::move(cell));
  }
  return first;
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) const {
  if (Index < 0 || Index >= Count()) return;
  Canvas->Draw(X, Y, FImages[size_t(Index)].get());
}
