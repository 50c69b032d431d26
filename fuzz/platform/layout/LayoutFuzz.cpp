// The layout reader over arbitrary text, with a tiny registry: a form, a
// container with a child hook, a leaf, every kind of setter and an event.
// Each input either reads or raises ELayoutError; nothing may leak or crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/layout/LayoutReader.h"
#include "platform/layout/Registry.h"

namespace {

int gLive = 0;

class TFuzzItem : public TComponent {
 public:
  explicit TFuzzItem(TComponent* owner) : TComponent(owner) { ++gLive; }
  ~TFuzzItem() override {
    if (FParent != nullptr) {
      auto& siblings = FParent->FChildren;
      for (auto& c : siblings)
        if (c == this) c = nullptr;
    }
    for (TFuzzItem* c : FChildren)
      if (c != nullptr) c->FParent = nullptr;
    --gLive;
  }
  TFuzzItem* FParent = nullptr;
  std::vector<TFuzzItem*> FChildren;
  int Number = 0;
  std::string Text;
  std::vector<Byte> Data;
  std::uint64_t Flags = 0;
  double Ratio = 0;
  bool On = false;
  TNotifyEvent OnClick;
};

class TFuzzForm : public TFuzzItem {
 public:
  TFuzzForm() : TFuzzItem(nullptr) {}
};

enum TFuzzFlag { ffA, ffB, ffC };

void Register() {
  static bool done = false;
  if (done) return;
  done = true;
  auto make = [](TComponent* owner) -> TComponent* { return new TFuzzItem(owner); };
  RegisterLayoutClass("TFuzzForm", "TFuzzBox");
  RegisterLayoutClass("TFuzzBox", "TFuzzItem", make);
  RegisterLayoutClass("TFuzzItem", "TComponent", make);
  RegisterLayoutProperty<TFuzzItem, int>("TFuzzItem", "Number",
                                         [](TFuzzItem& i, int v) { i.Number = v; });
  RegisterLayoutProperty<TFuzzItem, std::string>(
      "TFuzzItem", "Text", [](TFuzzItem& i, std::string v) { i.Text = std::move(v); });
  RegisterLayoutProperty<TFuzzItem, std::vector<Byte>>(
      "TFuzzItem", "Picture.Data", [](TFuzzItem& i, std::vector<Byte> v) { i.Data = std::move(v); });
  RegisterLayoutProperty<TFuzzItem, double>("TFuzzItem", "Ratio",
                                            [](TFuzzItem& i, double v) { i.Ratio = v; });
  RegisterLayoutProperty<TFuzzItem, bool>("TFuzzItem", "On", [](TFuzzItem& i, bool v) { i.On = v; });
  RegisterLayoutProperty("TFuzzItem", "Flags",
                         [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
                           LayoutTarget<TFuzzItem>(t, "Flags").Flags = LayoutSetMask<TFuzzFlag>(v);
                         });
  RegisterLayoutEvent<TFuzzItem, TNotifyEvent>(
      "TFuzzItem", "OnClick", [](TFuzzItem& i, TNotifyEvent e) { i.OnClick = std::move(e); });
  RegisterLayoutChildHook("TFuzzBox", [](TComponent* parent, TComponent* child) {
    auto* p = static_cast<TFuzzItem*>(parent);
    auto* c = static_cast<TFuzzItem*>(child);
    c->FParent = p;
    p->FChildren.push_back(c);
  });
  RegisterLayoutIdentifiers({{"clRed", 0xFF}});
  RegisterLayoutEnum<TFuzzFlag>({{"ffA", ffA}, {"ffB", ffB}, {"ffC", ffC}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Register();
  TLayoutHandlers handlers;
  handlers.Add("Click", [](TObject*) {});
  {
    TFuzzForm form;
    try {
      ReadLayout(&form, std::string_view(reinterpret_cast<const char*>(data), size), "Fuzz.lay",
                 handlers);
    } catch (const ELayoutError&) {
      if (form.ComponentCount() != 0 || form.IsLoading()) std::abort();
    }
  }
  if (gLive != 0) std::abort();
  return 0;
}
