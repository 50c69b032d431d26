#include "TestClasses.h"

#include "platform/base/Exceptions.h"
#include "platform/layout/Registry.h"

int TCounted::Live = 0;
bool TCounted::SetOutsideLoading = false;

std::vector<std::string>& TestLog() {
  static std::vector<std::string> log;
  return log;
}

void TCounted::Loaded() {
  TestLog().push_back("Loaded " + Name());
  TComponent::Loaded();
}

void TCounted::Note(const std::string& property) {
  TestLog().push_back(Name() + "." + property);
  TComponent* root = Owner() != nullptr ? Owner() : this;
  if (!IsLoading() || !root->IsLoading()) SetOutsideLoading = true;
}

void TBadLoaded::Loaded() {
  TCounted::Loaded();
  throw EInvalidOperation("cannot finish " + Name());
}

namespace {

template <class T>
TLayoutFactory Factory() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

void RegisterOnce() {
  RegisterLayoutClass("TTestControl", "TComponent");
  RegisterLayoutClass("TTestPanel", "TTestControl", Factory<TTestPanel>());
  RegisterLayoutClass("TTestEdit", "TTestControl", Factory<TTestEdit>());
  RegisterLayoutClass("TTestForm", "TTestPanel");
  RegisterLayoutClass("TForm", "TTestPanel");
  RegisterLayoutClass("TTestTimer", "TComponent", Factory<TTestTimer>());
  RegisterLayoutClass("TRecorder", "TComponent", Factory<TRecorder>());
  RegisterLayoutClass("TBadLoaded", "TComponent", Factory<TBadLoaded>());
  RegisterLayoutClass("TBoom", "TComponent", [](TComponent*) -> TComponent* {
    throw EOutOfResources("Not enough timers available");
  });
  RegisterLayoutClass("TTestFont", "");

  RegisterLayoutProperty("TTestControl", "Left", &TTestControl::SetLeft);
  RegisterLayoutProperty("TTestControl", "Caption", &TTestControl::SetCaption);
  RegisterLayoutProperty("TTestControl", "Enabled", &TTestControl::SetEnabled);
  RegisterLayoutProperty<TTestControl, double>("TTestControl", "Ratio",
                                               [](TTestControl& c, double v) { c.Ratio = v; });
  RegisterLayoutProperty<TTestControl, TTestAlign>(
      "TTestControl", "Align", [](TTestControl& c, TTestAlign v) { c.Align = v; });
  RegisterLayoutProperty<TTestControl, int>("TTestControl", "Color",
                                            [](TTestControl& c, int v) { c.Color = v; });
  RegisterLayoutProperty<TTestControl, unsigned char>(
      "TTestControl", "Small", [](TTestControl& c, unsigned char v) { c.Small = v; });
  RegisterLayoutProperty<TTestControl, std::vector<Byte>>(
      "TTestControl", "Picture.Data",
      [](TTestControl& c, std::vector<Byte> v) { c.PictureData = std::move(v); });
  RegisterLayoutEvent("TTestControl", "OnClick", &TTestControl::SetOnClick);
  RegisterLayoutEvent<TTestControl, THitEvent>(
      "TTestControl", "OnHit", [](TTestControl& c, THitEvent e) { c.OnHit = std::move(e); });

  RegisterLayoutSubObject("TTestControl", "Font", "TTestFont", [](TPersistent* t) -> TPersistent* {
    return &static_cast<TTestControl*>(t)->Font;
  });
  RegisterLayoutProperty<TTestFont, int>("TTestFont", "Color",
                                         [](TTestFont& f, int v) { f.Color = v; });
  RegisterLayoutProperty<TTestFont, int>("TTestFont", "Size",
                                         [](TTestFont& f, int v) { f.Size = v; });
  RegisterLayoutProperty("TTestFont", "Style",
                         [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                           LayoutTarget<TTestFont>(t, "Style").Style = LayoutSetMask<TTestStyle>(v);
                         });
  // Written out in full for edits: wins over the sub-object path.
  RegisterLayoutProperty<TTestEdit, int>("TTestEdit", "Font.Size",
                                         [](TTestEdit& e, int v) { e.SizeAsWritten = v; });

  RegisterLayoutProperty<TTestTimer, int>("TTestTimer", "Interval",
                                          [](TTestTimer& t, int v) { t.Interval = v; });
  for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H"})
    RegisterLayoutProperty("TRecorder", name,
                           [name](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                             LayoutTarget<TRecorder>(t, name).Values.emplace_back(name, v);
                           });

  RegisterLayoutChildHook("TTestPanel", [](TComponent* parent, TComponent* child) {
    auto* control = dynamic_cast<TTestControl*>(child);
    if (control == nullptr) return;
    TestLog().push_back("child " + parent->Name() + " <- " + child->Name());
    control->Parent = static_cast<TTestControl*>(parent);
    control->Parent->Children.push_back(control);
  });

  RegisterLayoutIdentifiers({{"clRed", 0x0000FF}, {"clSilver", 0xC0C0C0}, {"clNone", 0x1FFFFFFF}});
  RegisterLayoutEnum<TTestAlign>({{"taNone", taNone}, {"taTop", taTop}, {"taClient", taClient}});
  RegisterLayoutEnum<TTestStyle>(
      {{"tsBold", tsBold}, {"tsItalic", tsItalic}, {"tsUnderline", tsUnderline}});
}

}  // namespace

void RegisterTestLayoutClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterOnce();
}
