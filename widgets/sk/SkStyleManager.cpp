#include "widgets/sk/SkStyleManager.h"

#include <algorithm>

#include "platform/graphics/Font.h"
#include "widgets/sk/SkCustomControl.h"

TSkStyleManager::TSkStyleManager(TComponent* AOwner)
    : TComponent(AOwner),
      FColors(std::make_unique<TSkControlColors>(nullptr)),
      FSplitterColors(std::make_unique<TSkSplitterColors>(nullptr)),
      FFont(std::make_unique<TFont>()) {}

TSkStyleManager::~TSkStyleManager() {
  Destroying();
  // Leave the owner now, while this is still a whole manager, so that the
  // owner's other components recognise what is being removed.
  if (Owner() != nullptr) Owner()->RemoveComponent(this);
  // Controls still naming this manager forget it now, so none of them
  // unregisters from a freed manager later.
  std::vector<TSkCustomControl*> controls;
  controls.swap(FControls);
  for (TSkCustomControl* control : controls) control->StyleManagerGone(this);
}

void TSkStyleManager::RegisterControl(TSkCustomControl* Control) {
  if (Control == nullptr) return;
  if (std::find(FControls.begin(), FControls.end(), Control) == FControls.end())
    FControls.push_back(Control);
}

void TSkStyleManager::UnregisterControl(TSkCustomControl* Control) {
  // Also while the manager is marked as being destroyed: its owner marks it
  // before freeing the controls, which must still leave the list. The
  // manager's own destructor empties the list before it tells the controls.
  auto it = std::find(FControls.begin(), FControls.end(), Control);
  if (it != FControls.end()) FControls.erase(it);
}

void TSkStyleManager::SetColors(TSkControlColors* Value) {
  if (Value != nullptr && Value != FColors.get()) FColors->Assign(Value);
}

void TSkStyleManager::SetSplitterColors(TSkSplitterColors* Value) {
  if (Value != nullptr && Value != FSplitterColors.get()) FSplitterColors->Assign(Value);
}

void TSkStyleManager::SetFont(TFont* Value) {
  if (Value != nullptr && Value != FFont.get()) FFont->Assign(Value);
}

void TSkStyleManager::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TSkStyleManager*>(Dest);
  if (dest == nullptr) {
    TComponent::AssignTo(Dest);
    return;
  }
  dest->FColors->Assign(FColors.get());
  dest->FSplitterColors->Assign(FSplitterColors.get());
  dest->SetShowFocusRect(FShowFocusRect);
  dest->SetHotTrack(FHotTrack);
  dest->SetGradientBorder(FGradientBorder);
  dest->SetCheckColor(FCheckColor);
  dest->FFont->Assign(FFont.get());
  dest->SetFadeSpeed(FFadeSpeed);
  dest->SetPanelColor(FPanelColor);
  dest->SetBorderColor(FBorderColor);
  dest->SetTextShadow(FTextShadow);
}
