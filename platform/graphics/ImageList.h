#pragma once
// TImageList: a row of pictures of one size (Width x Height), drawn by index.
// Pictures are added with a mask colour: its pixels are left out when a
// picture is drawn. BkColor names the pictures' background colour; a layout
// that fills the list from a picture strip masks that colour.
#include <memory>
#include <vector>

#include "platform/base/Component.h"
#include "platform/graphics/Color.h"

class TBitmap;
class TCanvas;

inline constexpr const char* SInvalidImageSize = "Invalid image size";

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;

  // Changing the size empties the list (its pictures no longer fit).
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value) { FBkColor = Value; }

  int Count() const { return int(FImages.size()); }
  void Clear();

  // Adds each Width-wide cell of Image, left to right, with MaskColor's
  // pixels left out when drawn; returns the index of the first one added.
  // Image must be Height high and hold at least one whole cell, else
  // EInvalidOperation "Invalid image size".
  int AddMasked(TBitmap* Image, TColor MaskColor);

  // Draws picture Index with its top-left corner at (X, Y); an index
  // outside the list draws nothing.
  void Draw(TCanvas* Canvas, int X, int Y, int Index) const;

 private:
  int FWidth = 16;
  int FHeight = 16;
  TColor FBkColor = clNone;
  std::vector<std::unique_ptr<TBitmap>> FImages;
};
