#pragma once
// TImage: shows a picture (any graphic of the picture registry: bitmap,
// JPEG, ...) without a window of its own. The picture is drawn at the
// top-left corner, centred with Center, or stretched to the whole control
// with Stretch. With Transparent the graphic's transparent colour (a
// bitmap's bottom-left pixel) lets the parent show through. Every change of
// the picture repaints the control.
#include <memory>

#include "platform/controls/CustomControl.h"

class TPicture;

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  // Copies Value's graphic.
  void SetPicture(TPicture* Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);

 protected:
  void Paint() override;

 private:
  void PictureChanged();
  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FTransparent = false;
  bool FApplyingTransparent = false;
};
