#pragma once
// A non-visual component holding one set of shared style values for the
// skinned controls that name it in their SkStyleManager property, and the
// list of those controls.
//
// The manager and its controls never hold a freed reference to each other:
// a control leaves the list when it is freed, and a manager freed first tells
// every control on its list to forget it.
#include <memory>
#include <vector>

#include "platform/base/Component.h"
#include "platform/graphics/Color.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkTypes.h"

class TFont;
class TSkCustomControl;

class TSkStyleManager : public TComponent {
 public:
  explicit TSkStyleManager(TComponent* AOwner);
  ~TSkStyleManager() override;

  // Adds the control unless it is on the list already.
  void RegisterControl(TSkCustomControl* Control);
  // Removes the control if it is on the list.
  void UnregisterControl(TSkCustomControl* Control);
  int ControlCount() const { return int(FControls.size()); }
  TSkCustomControl* Controls(int Index) const { return FControls.at(std::size_t(Index)); }

  // The owned sets and font. The setters copy the given values into them;
  // the objects themselves are never replaced.
  TSkControlColors* Colors() const { return FColors.get(); }
  void SetColors(TSkControlColors* Value);
  TSkSplitterColors* SplitterColors() const { return FSplitterColors.get(); }
  void SetSplitterColors(TSkSplitterColors* Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);

  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value) { FShowFocusRect = Value; }
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value) { FHotTrack = Value; }
  bool GradientBorder() const { return FGradientBorder; }
  void SetGradientBorder(bool Value) { FGradientBorder = Value; }
  bool TextShadow() const { return FTextShadow; }
  void SetTextShadow(bool Value) { FTextShadow = Value; }
  TColor CheckColor() const { return FCheckColor; }
  void SetCheckColor(TColor Value) { FCheckColor = Value; }
  TFadeSpeed FadeSpeed() const { return FFadeSpeed; }
  void SetFadeSpeed(TFadeSpeed Value) { FFadeSpeed = Value; }
  TColor PanelColor() const { return FPanelColor; }
  void SetPanelColor(TColor Value) { FPanelColor = Value; }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { FBorderColor = Value; }

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::vector<TSkCustomControl*> FControls;
  std::unique_ptr<TSkControlColors> FColors;
  bool FShowFocusRect = true;
  bool FHotTrack = false;
  bool FGradientBorder = true;
  bool FTextShadow = true;
  TColor FCheckColor = clGreen;
  TFadeSpeed FFadeSpeed = fsMedium;
  TColor FPanelColor = TColor(14933983);
  TColor FBorderColor = clGray;
  std::unique_ptr<TSkSplitterColors> FSplitterColors;
  std::unique_ptr<TFont> FFont;
};
