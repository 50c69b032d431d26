#pragma once
// TPanel: a plain container. It fills itself with its colour, draws its
// bevels (an outer raised one of one pixel by default; bvNone for none) and
// its caption centred (or as Alignment says), then its windowless children.
#include "platform/controls/Alignment.h"
#include "platform/controls/CustomControl.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);

  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void Paint() override;
  // Aligned children keep clear of the bevels.
  void AdjustClientRect(TRect& Rect) override;

 private:
  int BevelSize() const;

  TPanelBevel FBevelOuter = bvRaised;
  TPanelBevel FBevelInner = bvNone;
  int FBevelWidth = 1;
  TAlignment FAlignment = taCenter;
};
