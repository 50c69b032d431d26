// What layouts may say about controls and forms: the classes, their
// properties and events, fonts, and the identifiers for colours, cursors
// and character sets.
#include <strings.h>

#include "platform/controls/Control.h"
#include "platform/controls/CustomControl.h"
#include "platform/controls/Form.h"
#include "platform/graphics/Font.h"
#include "platform/layout/Registry.h"

namespace {

// Properties a layout may carry that mean nothing on this host: the
// designer's bookkeeping and options of the original toolkit that the
// program never relies on. They are read and dropped.
const char* const kLayoutOnlyProperties[] = {
    "OldCreateOrder", "PixelsPerInch", "TextHeight", "Scaled",      "DesignSize",
    "Anchors",        "HelpContext",   "HelpType",   "HelpKeyword", "Ctl3D",
    "ParentCtl3D",    "DragCursor",    "DragKind",   "DragMode",    "BiDiMode",
    "ParentBiDiMode", "ImeMode",       "ImeName",    "PopupMenu",   "Constraints.MinWidth",
    "Constraints.MinHeight", "Constraints.MaxWidth", "Constraints.MaxHeight", "UseDockManager",
    "DockSite",
};

void RegisterIdentifiers() {
  RegisterLayoutIdentifiers({
      {"clBlack", clBlack},         {"clMaroon", clMaroon},
      {"clGreen", clGreen},         {"clOlive", clOlive},
      {"clNavy", clNavy},           {"clPurple", clPurple},
      {"clTeal", clTeal},           {"clGray", clGray},
      {"clSilver", clSilver},       {"clRed", clRed},
      {"clLime", clLime},           {"clYellow", clYellow},
      {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},           {"clLtGray", clLtGray},
      {"clDkGray", clDkGray},       {"clWhite", clWhite},
      {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue},
      {"clCream", clCream},         {"clMedGray", clMedGray},
      {"clNone", clNone},           {"clDefault", clDefault},
      {"clScrollBar", clScrollBar}, {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption}, {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},           {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText},
      {"clWindowText", clWindowText}, {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder}, {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace}, {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},     {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight}, {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight},     {"clInfoText", clInfoText},
      {"clInfoBk", clInfoBk},       {"clGradientActiveCaption", clGradientActiveCaption},
      {"clGradientInactiveCaption", clGradientInactiveCaption},
  });
  RegisterLayoutIdentifiers({
      {"crDefault", crDefault},     {"crNone", crNone},         {"crArrow", crArrow},
      {"crCross", crCross},         {"crIBeam", crIBeam},       {"crSizeNESW", crSizeNESW},
      {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE}, {"crSizeWE", crSizeWE},
      {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
      {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},     {"crVSplit", crVSplit},
      {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},   {"crNo", crNo},
      {"crAppStart", crAppStart},   {"crHelp", crHelp},         {"crHandPoint", crHandPoint},
      {"crSizeAll", crSizeAll},
  });
  RegisterLayoutIdentifiers({
      {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2},
      {"OEM_CHARSET", 255}, {"EASTEUROPE_CHARSET", 238}, {"RUSSIAN_CHARSET", 204},
      {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162}, {"BALTIC_CHARSET", 186},
  });
  RegisterLayoutEnum<TAlign>({{"alNone", alNone}, {"alTop", alTop}, {"alBottom", alBottom},
                              {"alLeft", alLeft}, {"alRight", alRight}, {"alClient", alClient},
                              {"alCustom", alCustom}});
  RegisterLayoutEnum<TFormBorderStyle>({{"bsNone", bsNone}, {"bsSingle", bsSingle},
                                        {"bsSizeable", bsSizeable}, {"bsDialog", bsDialog},
                                        {"bsToolWindow", bsToolWindow},
                                        {"bsSizeToolWin", bsSizeToolWin}});
  RegisterLayoutEnum<TBorderIcon>({{"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize},
                                   {"biMaximize", biMaximize}, {"biHelp", biHelp}});
  RegisterLayoutEnum<TPosition>({{"poDesigned", poDesigned}, {"poDefault", poDefault},
                                 {"poDefaultPosOnly", poDefaultPosOnly},
                                 {"poDefaultSizeOnly", poDefaultSizeOnly},
                                 {"poScreenCenter", poScreenCenter},
                                 {"poDesktopCenter", poDesktopCenter},
                                 {"poMainFormCenter", poMainFormCenter},
                                 {"poOwnerFormCenter", poOwnerFormCenter}});
  RegisterLayoutEnum<TFormStyle>({{"fsNormal", fsNormal}, {"fsMDIChild", fsMDIChild},
                                  {"fsMDIForm", fsMDIForm}, {"fsStayOnTop", fsStayOnTop}});
  RegisterLayoutEnum<TFontPitch>({{"fpDefault", fpDefault}, {"fpVariable", fpVariable},
                                  {"fpFixed", fpFixed}});
}

void RegisterFont() {
  RegisterLayoutClass("TFont", "");
  RegisterLayoutProperty("TFont", "Name", &TFont::SetName);
  RegisterLayoutProperty("TFont", "Height", &TFont::SetHeight);
  RegisterLayoutProperty("TFont", "Size", &TFont::SetSize);
  RegisterLayoutProperty("TFont", "Color", &TFont::SetColor);
  RegisterLayoutProperty("TFont", "Charset", &TFont::SetCharset);
  RegisterLayoutProperty("TFont", "Pitch", &TFont::SetPitch);
  RegisterLayoutProperty(
      "TFont", "Style",
      TLayoutSetter([](TPersistent* target, const TLayoutValue& value, TLayoutContext&) {
        TFont& font = LayoutTarget<TFont>(target, "Style");
        static const std::pair<const char*, TFontStyle> names[] = {
            {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline},
            {"fsStrikeOut", fsStrikeOut}};
        TFontStyles styles = 0;
        for (const std::string& name : value.AsSet()) {
          bool known = false;
          for (const auto& [text, style] : names)
            if (strcasecmp(text, name.c_str()) == 0) {
              styles |= style;
              known = true;
            }
          if (!known) throw ELayoutError("invalid value '" + name + "'");
        }
        font.SetStyle(styles);
      }));
}

void RegisterControl() {
  RegisterLayoutClass("TControl", "TComponent");
  RegisterLayoutProperty("TControl", "Left", &TControl::SetLeft);
  RegisterLayoutProperty("TControl", "Top", &TControl::SetTop);
  RegisterLayoutProperty("TControl", "Width", &TControl::SetWidth);
  RegisterLayoutProperty("TControl", "Height", &TControl::SetHeight);
  RegisterLayoutProperty("TControl", "ClientWidth", &TControl::SetClientWidth);
  RegisterLayoutProperty("TControl", "ClientHeight", &TControl::SetClientHeight);
  RegisterLayoutProperty("TControl", "Align", &TControl::SetAlign);
  RegisterLayoutProperty("TControl", "Visible", &TControl::SetVisible);
  RegisterLayoutProperty("TControl", "Enabled", &TControl::SetEnabled);
  RegisterLayoutProperty("TControl", "Color", &TControl::SetColor);
  RegisterLayoutProperty("TControl", "ParentColor", &TControl::SetParentColor);
  RegisterLayoutProperty("TControl", "ParentFont", &TControl::SetParentFont);
  RegisterLayoutProperty("TControl", "Caption", &TControl::SetCaption);
  RegisterLayoutProperty("TControl", "Text", &TControl::SetText);
  RegisterLayoutProperty("TControl", "Hint", &TControl::SetHint);
  RegisterLayoutProperty("TControl", "ShowHint", &TControl::SetShowHint);
  RegisterLayoutProperty("TControl", "ParentShowHint", &TControl::SetParentShowHint);
  RegisterLayoutProperty<TControl, int>("TControl", "Cursor",
                                        [](TControl& c, int v) { c.SetCursor(v); });
  RegisterLayoutSubObject("TControl", "Font", "TFont",
                          [](TPersistent* t) -> TPersistent* {
                            return LayoutTarget<TControl>(t, "Font").Font();
                          });
  for (const char* name : kLayoutOnlyProperties)
    RegisterLayoutProperty("TControl", name,
                           TLayoutSetter([](TPersistent*, const TLayoutValue&, TLayoutContext&) {}));

  RegisterLayoutEvent("TControl", "OnClick", &TControl::SetOnClick);
  RegisterLayoutEvent("TControl", "OnDblClick", &TControl::SetOnDblClick);
  RegisterLayoutEvent("TControl", "OnMouseDown", &TControl::SetOnMouseDown);
  RegisterLayoutEvent("TControl", "OnMouseMove", &TControl::SetOnMouseMove);
  RegisterLayoutEvent("TControl", "OnMouseUp", &TControl::SetOnMouseUp);
  RegisterLayoutEvent("TControl", "OnMouseEnter", &TControl::SetOnMouseEnter);
  RegisterLayoutEvent("TControl", "OnMouseLeave", &TControl::SetOnMouseLeave);
  RegisterLayoutEvent("TControl", "OnResize", &TControl::SetOnResize);
}

void RegisterWinControl() {
  RegisterLayoutClass("TWinControl", "TControl");
  RegisterLayoutProperty("TWinControl", "TabStop", &TWinControl::SetTabStop);
  RegisterLayoutProperty("TWinControl", "TabOrder", &TWinControl::SetTabOrder);
  RegisterLayoutProperty("TWinControl", "DoubleBuffered", &TWinControl::SetDoubleBuffered);
  RegisterLayoutEvent("TWinControl", "OnKeyDown", &TWinControl::SetOnKeyDown);
  RegisterLayoutEvent("TWinControl", "OnKeyUp", &TWinControl::SetOnKeyUp);
  RegisterLayoutEvent("TWinControl", "OnKeyPress", &TWinControl::SetOnKeyPress);
  RegisterLayoutEvent("TWinControl", "OnEnter", &TWinControl::SetOnEnter);
  RegisterLayoutEvent("TWinControl", "OnExit", &TWinControl::SetOnExit);
  // A control read inside another one lies on it.
  RegisterLayoutChildHook("TWinControl", [](TComponent* parent, TComponent* child) {
    auto* control = dynamic_cast<TControl*>(child);
    if (control != nullptr) control->SetParent(static_cast<TWinControl*>(parent));
  });
  RegisterLayoutClass("TCustomControl", "TWinControl");
  RegisterLayoutClass("TGraphicControl", "TControl");
}

void RegisterForm() {
  RegisterLayoutClass("TCustomForm", "TWinControl");
  RegisterLayoutClass("TForm", "TCustomForm");
  RegisterLayoutProperty("TCustomForm", "BorderStyle", &TCustomForm::SetBorderStyle);
  RegisterLayoutProperty(
      "TCustomForm", "BorderIcons",
      TLayoutSetter([](TPersistent* target, const TLayoutValue& value, TLayoutContext&) {
        LayoutTarget<TCustomForm>(target, "BorderIcons")
            .SetBorderIcons(TBorderIcons(LayoutSetMask<TBorderIcon>(value)));
      }));
  RegisterLayoutProperty("TCustomForm", "Position", &TCustomForm::SetPosition);
  RegisterLayoutProperty("TCustomForm", "FormStyle", &TCustomForm::SetFormStyle);
  RegisterLayoutEvent("TCustomForm", "OnCreate", &TCustomForm::SetOnCreate);
  RegisterLayoutEvent("TCustomForm", "OnDestroy", &TCustomForm::SetOnDestroy);
  RegisterLayoutEvent("TCustomForm", "OnShow", &TCustomForm::SetOnShow);
  RegisterLayoutEvent("TCustomForm", "OnHide", &TCustomForm::SetOnHide);
  RegisterLayoutEvent("TCustomForm", "OnActivate", &TCustomForm::SetOnActivate);
  RegisterLayoutEvent("TCustomForm", "OnDeactivate", &TCustomForm::SetOnDeactivate);
  RegisterLayoutEvent("TCustomForm", "OnClose", &TCustomForm::SetOnClose);
  RegisterLayoutEvent("TCustomForm", "OnCloseQuery", &TCustomForm::SetOnCloseQuery);
  RegisterLayoutEvent("TCustomForm", "OnPaint", &TCustomForm::SetOnPaint);
}

}  // namespace

// Called by the application and by every form before a layout is read.
void RegisterCoreLayoutClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterIdentifiers();
  RegisterFont();
  RegisterControl();
  RegisterWinControl();
  RegisterForm();
}
