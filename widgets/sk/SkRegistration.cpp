#include "widgets/sk/SkRegistration.h"

#include <strings.h>

#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/layout/Registry.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkColors.h"
#include "widgets/sk/SkPanel.h"
#include "widgets/sk/SkStyleManager.h"

namespace {

void RegisterEnums() {
  RegisterLayoutEnum<TGradientType>({{"gtHorizontal", gtHorizontal},
                                     {"gtVertical", gtVertical},
                                     {"gtFromTopLeft", gtFromTopLeft},
                                     {"gtFromTopRight", gtFromTopRight},
                                     {"gtRadial", gtRadial},
                                     {"gtDoubleHorz", gtDoubleHorz},
                                     {"gtDoubleVert", gtDoubleVert}});
  RegisterLayoutEnum<TFadeSpeed>(
      {{"fsSlow", fsSlow}, {"fsMedium", fsMedium}, {"fsFast", fsFast}, {"fsVeryFast", fsVeryFast}});
  RegisterLayoutEnum<TSkCaptionPos>({{"cpGroupBox", cpGroupBox},
                                     {"cpTopLeft", cpTopLeft},
                                     {"cpTopCenter", cpTopCenter},
                                     {"cpTopRight", cpTopRight},
                                     {"cpMiddleLeft", cpMiddleLeft},
                                     {"cpMiddleCenter", cpMiddleCenter},
                                     {"cpMiddleRight", cpMiddleRight},
                                     {"cpBottomLeft", cpBottomLeft},
                                     {"cpBottomCenter", cpBottomCenter},
                                     {"cpBottomRight", cpBottomRight}});
  RegisterLayoutEnum<TButtonLayout>({{"blGlyphLeft", blGlyphLeft},
                                     {"blGlyphRight", blGlyphRight},
                                     {"blGlyphTop", blGlyphTop},
                                     {"blGlyphBottom", blGlyphBottom}});
}

void RegisterColorSets() {
  RegisterLayoutClass("TSkCustomColors", "");
  RegisterLayoutProperty("TSkCustomColors", "DefaultFrom", &TSkCustomColors::SetDefaultFrom);
  RegisterLayoutProperty("TSkCustomColors", "DefaultTo", &TSkCustomColors::SetDefaultTo);
  RegisterLayoutProperty("TSkCustomColors", "OverFrom", &TSkCustomColors::SetOverFrom);
  RegisterLayoutProperty("TSkCustomColors", "OverTo", &TSkCustomColors::SetOverTo);

  RegisterLayoutClass("TSkControlColors", "TSkCustomColors");
  RegisterLayoutProperty("TSkControlColors", "ClickedFrom", &TSkControlColors::SetClickedFrom);
  RegisterLayoutProperty("TSkControlColors", "ClickedTo", &TSkControlColors::SetClickedTo);
  RegisterLayoutProperty("TSkControlColors", "HotTrack", &TSkControlColors::SetHotTrack);
  RegisterLayoutProperty("TSkControlColors", "BorderColor", &TSkControlColors::SetBorderColor);
  RegisterLayoutProperty("TSkControlColors", "TextShadow", &TSkControlColors::SetTextShadow);

  RegisterLayoutClass("TSkSplitterColors", "TSkCustomColors");
}

// A component of the layout's root named by an identifier; nil for none.
TComponent* ReferencedComponent(const TLayoutValue& value, TLayoutContext& context) {
  const std::string& name = value.AsIdentifier();
  if (strcasecmp(name.c_str(), "nil") == 0) return nullptr;
  TComponent* found = context.Root() != nullptr ? context.Root()->FindComponent(name) : nullptr;
  if (found == nullptr) throw ELayoutError("unknown component '" + name + "'");
  return found;
}

void RegisterControlBase() {
  RegisterLayoutClass("TSkCustomControl", "TCustomControl");
  RegisterLayoutProperty("TSkCustomControl", "TextShadow", &TSkCustomControl::SetTextShadow);
  RegisterLayoutProperty("TSkCustomControl", "ShowCaption", &TSkCustomControl::SetShowCaption);
  RegisterLayoutProperty("TSkCustomControl", "SkStyleManager",
                         [](TPersistent* target, const TLayoutValue& value,
                            TLayoutContext& context) {
                           auto& control = LayoutTarget<TSkCustomControl>(target, "SkStyleManager");
                           TComponent* found = ReferencedComponent(value, context);
                           auto* manager = dynamic_cast<TSkStyleManager*>(found);
                           if (found != nullptr && manager == nullptr)
                             throw ELayoutError("'" + found->Name() + "' is not a TSkStyleManager");
                           control.SetSkStyleManager(manager);
                         });
  // Never stored; accepted and ignored when a layout has it.
  RegisterLayoutProperty("TSkCustomControl", "About",
                         [](TPersistent*, const TLayoutValue&, TLayoutContext&) {});
}

void RegisterPanel() {
  RegisterLayoutClass("TSkPanel", "TSkCustomControl",
                      [](TComponent* owner) { return new TSkPanel(owner); });
  RegisterLayoutProperty("TSkPanel", "CaptionPosition", &TSkPanel::SetCaptionPosition);
  RegisterLayoutProperty("TSkPanel", "CornerWidth", &TSkPanel::SetCornerWidth);
  RegisterLayoutProperty("TSkPanel", "BorderWidth", &TSkPanel::SetBorderWidth);
  RegisterLayoutProperty("TSkPanel", "BorderColor", &TSkPanel::SetBorderColor);
  RegisterLayoutProperty("TSkPanel", "OuterColor", &TSkPanel::SetOuterColor);
  RegisterLayoutProperty("TSkPanel", "TextShadowColor", &TSkPanel::SetTextShadowColor);
  RegisterLayoutProperty("TSkPanel", "Antialiased", &TSkPanel::SetAntialiased);
  RegisterLayoutProperty("TSkPanel", "Gradient", &TSkPanel::SetGradient);
  RegisterLayoutProperty("TSkPanel", "DefaultFrom", &TSkPanel::SetDefaultFrom);
  RegisterLayoutProperty("TSkPanel", "DefaultTo", &TSkPanel::SetDefaultTo);
  RegisterLayoutProperty("TSkPanel", "GradientType", &TSkPanel::SetGradientType);
}

void RegisterButton() {
  RegisterLayoutClass("TSkButton", "TSkCustomControl",
                      [](TComponent* owner) { return new TSkButton(owner); });
  RegisterLayoutProperty("TSkButton", "ModalResult", &TSkButton::SetModalResult);
  RegisterLayoutProperty("TSkButton", "Glyph.Data",
                         [](TPersistent* target, const TLayoutValue& value, TLayoutContext&) {
                           auto& button = LayoutTarget<TSkButton>(target, "Glyph.Data");
                           const std::vector<Byte>& bytes = value.AsBytes();
                           TMemoryStream stream;
                           if (!bytes.empty()) stream.Write(bytes.data(), int(bytes.size()));
                           stream.Seek(0, 0);
                           TBitmap glyph;
                           glyph.ReadData(&stream);
                           button.SetGlyph(&glyph);
                         });
  RegisterLayoutProperty("TSkButton", "Spacing", &TSkButton::SetSpacing);
  RegisterLayoutProperty("TSkButton", "Layout", &TSkButton::SetLayout);
  RegisterLayoutSubObject("TSkButton", "Colors", "TSkControlColors",
                          [](TPersistent* target) -> TPersistent* {
                            return LayoutTarget<TSkButton>(target, "Colors").Colors();
                          });
  RegisterLayoutProperty("TSkButton", "FadeSpeed", &TSkButton::SetFadeSpeed);
  RegisterLayoutProperty("TSkButton", "ShowFocusRect", &TSkButton::SetShowFocusRect);
  RegisterLayoutProperty("TSkButton", "HotTrack", &TSkButton::SetHotTrack);
  RegisterLayoutProperty("TSkButton", "Default", &TSkButton::SetDefault);
  RegisterLayoutProperty("TSkButton", "Cancel", &TSkButton::SetCancel);
  RegisterLayoutProperty("TSkButton", "GradientBorder", &TSkButton::SetGradientBorder);
  RegisterLayoutProperty("TSkButton", "GroupIndex", &TSkButton::SetGroupIndex);
  RegisterLayoutProperty("TSkButton", "AllowAllUp", &TSkButton::SetAllowAllUp);
  RegisterLayoutProperty("TSkButton", "Down", &TSkButton::SetDown);
  RegisterLayoutProperty("TSkButton", "GradientType", &TSkButton::SetGradientType);
}

void RegisterStyleManager() {
  RegisterLayoutClass("TSkStyleManager", "TComponent",
                      [](TComponent* owner) { return new TSkStyleManager(owner); });
  RegisterLayoutSubObject("TSkStyleManager", "Colors", "TSkControlColors",
                          [](TPersistent* target) -> TPersistent* {
                            return LayoutTarget<TSkStyleManager>(target, "Colors").Colors();
                          });
  RegisterLayoutProperty("TSkStyleManager", "ShowFocusRect", &TSkStyleManager::SetShowFocusRect);
  RegisterLayoutProperty("TSkStyleManager", "HotTrack", &TSkStyleManager::SetHotTrack);
  RegisterLayoutProperty("TSkStyleManager", "GradientBorder", &TSkStyleManager::SetGradientBorder);
  RegisterLayoutProperty("TSkStyleManager", "TextShadow", &TSkStyleManager::SetTextShadow);
  RegisterLayoutProperty("TSkStyleManager", "CheckColor", &TSkStyleManager::SetCheckColor);
  RegisterLayoutProperty("TSkStyleManager", "FadeSpeed", &TSkStyleManager::SetFadeSpeed);
  RegisterLayoutProperty("TSkStyleManager", "PanelColor", &TSkStyleManager::SetPanelColor);
  RegisterLayoutProperty("TSkStyleManager", "BorderColor", &TSkStyleManager::SetBorderColor);
  RegisterLayoutSubObject("TSkStyleManager", "SplitterColors", "TSkSplitterColors",
                          [](TPersistent* target) -> TPersistent* {
                            return LayoutTarget<TSkStyleManager>(target, "SplitterColors")
                                .SplitterColors();
                          });
  RegisterLayoutSubObject("TSkStyleManager", "Font", "TFont",
                          [](TPersistent* target) -> TPersistent* {
                            return LayoutTarget<TSkStyleManager>(target, "Font").Font();
                          });
}

}  // namespace

void RegisterSkLayout() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterEnums();
  RegisterColorSets();
  RegisterControlBase();
  RegisterPanel();
  RegisterButton();
  RegisterStyleManager();
}
