#include "platform/controls/StdRegistration.h"

#include "platform/base/Streams.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/GroupBox.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OpenDialog.h"
#include "platform/controls/Panel.h"
#include "platform/controls/SpeedButton.h"
#include "platform/controls/SpinEdit.h"
#include "platform/controls/Timer.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/layout/Registry.h"

namespace {

template <class T>
TLayoutFactory Factory() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

// A stream over a binary layout value, for the graphics' own readers.
void ReadBinary(const TLayoutValue& Value, const std::function<void(TStream*)>& Read) {
  const std::vector<Byte>& bytes = Value.AsBytes();
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int(bytes.size()));
  stream.SetPosition(0);
  Read(&stream);
}

void RegisterEnums() {
  RegisterLayoutEnum<TAlignment>(
      {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}});
  RegisterLayoutEnum<TCheckBoxState>(
      {{"cbUnchecked", cbUnchecked}, {"cbChecked", cbChecked}, {"cbGrayed", cbGrayed}});
  RegisterLayoutEnum<TListBoxStyle>(
      {{"lbStandard", lbStandard}, {"lbOwnerDrawFixed", lbOwnerDrawFixed}});
  RegisterLayoutEnum<TPanelBevel>({{"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}});
  RegisterLayoutEnum<TFormBorderStyle>({{"bsNone", bsNone}, {"bsSingle", bsSingle}});
}

void RegisterEdit() {
  RegisterLayoutClass("TEdit", "TWinControl", Factory<TEdit>());
  RegisterLayoutProperty("TEdit", "MaxLength", &TEdit::SetMaxLength);
}

void RegisterLabel() {
  RegisterLayoutClass("TLabel", "TGraphicControl", Factory<TLabel>());
  RegisterLayoutProperty("TLabel", "Alignment", &TLabel::SetAlignment);
  RegisterLayoutProperty("TLabel", "Transparent", &TLabel::SetTransparent);
  RegisterLayoutProperty("TLabel", "WordWrap", &TLabel::SetWordWrap);
  RegisterLayoutProperty("TLabel", "AutoSize", &TLabel::SetAutoSize);
}

void RegisterCheckBox() {
  RegisterLayoutClass("TCheckBox", "TWinControl", Factory<TCheckBox>());
  RegisterLayoutProperty("TCheckBox", "Checked", &TCheckBox::SetChecked);
  RegisterLayoutProperty("TCheckBox", "State", &TCheckBox::SetState);
}

void RegisterListBox() {
  RegisterLayoutClass("TListBox", "TWinControl", Factory<TListBox>());
  RegisterLayoutProperty("TListBox", "Items.Strings",
                         [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                           LayoutTarget<TListBox>(t, "Items.Strings").Items()->SetText(v.AsString());
                         });
  RegisterLayoutProperty("TListBox", "Sorted", &TListBox::SetSorted);
  RegisterLayoutProperty("TListBox", "Style", &TListBox::SetStyle);
  RegisterLayoutProperty("TListBox", "ItemHeight", &TListBox::SetItemHeight);
  RegisterLayoutProperty("TListBox", "BorderStyle", &TListBox::SetBorderStyle);
  RegisterLayoutProperty("TListBox", "Ctl3D", &TListBox::SetCtl3D);
  RegisterLayoutEvent("TListBox", "OnDrawItem", &TListBox::SetOnDrawItem);
}

void RegisterContainers() {
  RegisterLayoutClass("TGroupBox", "TCustomControl", Factory<TGroupBox>());
  RegisterLayoutClass("TPanel", "TCustomControl", Factory<TPanel>());
  RegisterLayoutProperty("TPanel", "BevelOuter", &TPanel::SetBevelOuter);
  RegisterLayoutProperty("TPanel", "BevelInner", &TPanel::SetBevelInner);
  RegisterLayoutProperty("TPanel", "BevelWidth", &TPanel::SetBevelWidth);
  RegisterLayoutProperty("TPanel", "Alignment", &TPanel::SetAlignment);
}

void RegisterImage() {
  RegisterLayoutClass("TImage", "TGraphicControl", Factory<TImage>());
  RegisterLayoutProperty("TImage", "Picture.Data",
                         [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                           TImage& image = LayoutTarget<TImage>(t, "Picture.Data");
                           ReadBinary(v, [&](TStream* s) { image.Picture()->ReadData(s); });
                         });
  RegisterLayoutProperty("TImage", "Stretch", &TImage::SetStretch);
  RegisterLayoutProperty("TImage", "Center", &TImage::SetCenter);
  RegisterLayoutProperty("TImage", "Transparent", &TImage::SetTransparent);
}

void RegisterSpinEdit() {
  RegisterLayoutClass("TSpinEdit", "TWinControl", Factory<TSpinEdit>());
  RegisterLayoutProperty("TSpinEdit", "MinValue", &TSpinEdit::SetMinValue);
  RegisterLayoutProperty("TSpinEdit", "MaxValue", &TSpinEdit::SetMaxValue);
  RegisterLayoutProperty("TSpinEdit", "Increment", &TSpinEdit::SetIncrement);
  RegisterLayoutProperty("TSpinEdit", "Value", &TSpinEdit::SetValue);
}

void RegisterSpeedButton() {
  RegisterLayoutClass("TSpeedButton", "TGraphicControl", Factory<TSpeedButton>());
  RegisterLayoutProperty("TSpeedButton", "Flat", &TSpeedButton::SetFlat);
  RegisterLayoutProperty("TSpeedButton", "NumGlyphs", &TSpeedButton::SetNumGlyphs);
  RegisterLayoutProperty("TSpeedButton", "Glyph.Data",
                         [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                           TSpeedButton& button = LayoutTarget<TSpeedButton>(t, "Glyph.Data");
                           ReadBinary(v, [&](TStream* s) { button.Glyph()->ReadData(s); });
                         });
}

void RegisterComponents() {
  RegisterLayoutClass("TTimer", "TComponent", Factory<TTimer>());
  RegisterLayoutProperty("TTimer", "Enabled", &TTimer::SetEnabled);
  RegisterLayoutProperty("TTimer", "Interval", &TTimer::SetInterval);
  RegisterLayoutEvent("TTimer", "OnTimer", &TTimer::SetOnTimer);

  RegisterLayoutClass("TOpenDialog", "TComponent", Factory<TOpenDialog>());
  RegisterLayoutProperty("TOpenDialog", "Filter", &TOpenDialog::SetFilter);
  RegisterLayoutProperty("TOpenDialog", "FilterIndex", &TOpenDialog::SetFilterIndex);
  RegisterLayoutProperty("TOpenDialog", "InitialDir", &TOpenDialog::SetInitialDir);
  RegisterLayoutProperty("TOpenDialog", "FileName", &TOpenDialog::SetFileName);
}

}  // namespace

void RegisterStdLayoutClasses() {
  static const bool registered = [] {
    RegisterEnums();
    RegisterEdit();
    RegisterLabel();
    RegisterCheckBox();
    RegisterListBox();
    RegisterContainers();
    RegisterImage();
    RegisterSpinEdit();
    RegisterSpeedButton();
    RegisterComponents();
    return true;
  }();
  (void)registered;
}
