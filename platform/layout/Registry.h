#pragma once
// What layouts may contain: the classes they create, the properties each
// class accepts, the objects nested inside a property ("Font" of a control),
// what happens when an object is read inside another (a control gets its
// Parent), and the identifiers that stand for numbers (clSilver, alTop).
//
// Every library registers its own classes once at start-up, before the first
// layout is read (UI thread only). Names are matched in any case. A property
// is looked up along the class's parent chain, so a property registered for
// "TControl" serves every control.
//
//   RegisterLayoutClass("TControl", "TComponent");                       // no factory: never created
//   RegisterLayoutClass("TSkPanel", "TCustomControl",
//                       [](TComponent* owner) { return new TSkPanel(owner); });
//   RegisterLayoutProperty("TControl", "Left", &TControl::SetLeft);     // typed setter
//   RegisterLayoutProperty<TControl, TColor>("TControl", "Font.Color",
//                       [](TControl& c, TColor v) { c.Font()->SetColor(v); });
//   RegisterLayoutProperty("TImage", "Picture.Data",                    // raw setter
//       [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) { ... v.AsBytes() ... });
//   RegisterLayoutEvent("TControl", "OnClick", &TControl::SetOnClick);
//   RegisterLayoutSubObject("TControl", "Font", "TFont",
//       [](TPersistent* t) -> TPersistent* { return static_cast<TControl*>(t)->Font(); });
//   RegisterLayoutChildHook("TWinControl", [](TComponent* parent, TComponent* child) { ... });
//   RegisterLayoutIdentifiers({{"clSilver", 0xC0C0C0}, {"clWhite", 0xFFFFFF}});
//   RegisterLayoutEnum<TAlign>({{"alNone", alNone}, {"alTop", alTop}, ...});
//
// A dotted name ("Font.Color") is first looked up as written; when no class
// of the chain registers it, the part before the first dot names a sub-object
// and the rest is looked up in the sub-object's class.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/base/Component.h"
#include "platform/layout/LayoutContext.h"
#include "platform/layout/LayoutError.h"
#include "platform/layout/LayoutValue.h"

using TLayoutFactory = std::function<TComponent*(TComponent* owner)>;
using TLayoutSetter =
    std::function<void(TPersistent* target, const TLayoutValue& value, TLayoutContext& context)>;
using TLayoutSubObject = std::function<TPersistent*(TPersistent* target)>;
using TLayoutChildHook = std::function<void(TComponent* parent, TComponent* child)>;

// Registering a class, property, sub-object or hook again replaces it.
// parentClass "" ends the chain; "TComponent" is registered by this library
// (with its property Tag). A class without a factory cannot be created by a
// layout; it serves as a parent class or a sub-object class.
void RegisterLayoutClass(const std::string& className, const std::string& parentClass,
                         TLayoutFactory factory = nullptr);
void RegisterLayoutProperty(const std::string& className, const std::string& property,
                            TLayoutSetter setter);
void RegisterLayoutSubObject(const std::string& className, const std::string& property,
                             const std::string& objectClass, TLayoutSubObject getter);
void RegisterLayoutChildHook(const std::string& className, TLayoutChildHook hook);

// Identifiers accepted wherever an integer is (TLayoutValue::AsInteger).
// Registering a known name with another value raises ELayoutError.
void RegisterLayoutIdentifiers(std::initializer_list<std::pair<const char*, std::int64_t>> names);

// --- value conversion for typed setters ------------------------------------

namespace layout_detail {
void RegisterEnumName(std::type_index type, const char* name, std::int64_t value);
// Raises ELayoutError "invalid value 'x'" for a name not registered for type.
std::int64_t EnumValue(std::type_index type, const std::string& name);
[[noreturn]] void ThrowOutOfRange(std::int64_t value);
[[noreturn]] void ThrowWrongClass(const std::string& property);
}  // namespace layout_detail

// Identifiers of one enumeration type; an enum-typed setter accepts these
// names and plain integers.
template <class E>
void RegisterLayoutEnum(std::initializer_list<std::pair<const char*, E>> names) {
  for (const auto& [name, value] : names)
    layout_detail::RegisterEnumName(typeid(E), name, static_cast<std::int64_t>(value));
}

// The value as a C++ type: integers (range-checked, registered identifiers
// allowed), enums (their registered names or integers), bool, double,
// std::string (string values only), std::vector<Byte> (binary data),
// std::vector<std::string> (sets).
template <class V>
V LayoutValueAs(const TLayoutValue& value) {
  if constexpr (std::is_same_v<V, bool>) {
    return value.AsBool();
  } else if constexpr (std::is_enum_v<V>) {
    if (value.Kind() == TLayoutValueKind::lvIdentifier)
      return static_cast<V>(layout_detail::EnumValue(typeid(V), value.AsIdentifier()));
    return static_cast<V>(value.AsInteger());
  } else if constexpr (std::is_integral_v<V>) {
    std::int64_t v = value.AsInteger();
    using Limits = std::numeric_limits<V>;
    if constexpr (std::is_signed_v<V>) {
      if (v < std::int64_t(Limits::min()) || v > std::int64_t(Limits::max()))
        layout_detail::ThrowOutOfRange(v);
    } else if constexpr (sizeof(V) < sizeof(std::int64_t)) {
      if (v < 0 || v > std::int64_t(Limits::max())) layout_detail::ThrowOutOfRange(v);
    }
    return static_cast<V>(v);
  } else if constexpr (std::is_floating_point_v<V>) {
    return static_cast<V>(value.AsFloat());
  } else if constexpr (std::is_same_v<V, std::string>) {
    return value.AsString();
  } else if constexpr (std::is_same_v<V, std::vector<Byte>>) {
    return value.AsBytes();
  } else if constexpr (std::is_same_v<V, std::vector<std::string>>) {
    return value.AsSet();
  } else {
    static_assert(sizeof(V) == 0, "no layout conversion for this type");
  }
}

// A set of enum names as a bit mask: bit (1 << value) for each element.
template <class E>
std::uint64_t LayoutSetMask(const TLayoutValue& value) {
  std::uint64_t mask = 0;
  for (const std::string& name : value.AsSet()) {
    std::int64_t bit = layout_detail::EnumValue(typeid(E), name);
    if (bit < 0 || bit > 63) layout_detail::ThrowOutOfRange(bit);
    mask |= std::uint64_t(1) << bit;
  }
  return mask;
}

// --- typed registration ----------------------------------------------------

template <class T>
T& LayoutTarget(TPersistent* target, const std::string& property) {
  T* typed = dynamic_cast<T*>(target);
  if (typed == nullptr) layout_detail::ThrowWrongClass(property);
  return *typed;
}

template <class T, class V>
void RegisterLayoutProperty(const std::string& className, const std::string& property,
                            std::function<void(T&, V)> set) {
  using Value = std::remove_cvref_t<V>;
  RegisterLayoutProperty(className, property,
                         TLayoutSetter([set, property](TPersistent* t, const TLayoutValue& v,
                                                       TLayoutContext&) {
                           set(LayoutTarget<T>(t, property), LayoutValueAs<Value>(v));
                         }));
}

template <class T, class Arg>
void RegisterLayoutProperty(const std::string& className, const std::string& property,
                            void (T::*set)(Arg)) {
  RegisterLayoutProperty<T, Arg>(className, property,
                                 std::function<void(T&, Arg)>([set](T& t, Arg v) { (t.*set)(v); }));
}

// Events: the value names a handler of TLayoutHandlers; its type must be E.
template <class T, class E>
void RegisterLayoutEvent(const std::string& className, const std::string& property,
                         std::function<void(T&, E)> set) {
  using Event = std::remove_cvref_t<E>;
  RegisterLayoutProperty(className, property,
                         TLayoutSetter([set, property](TPersistent* t, const TLayoutValue& v,
                                                       TLayoutContext& context) {
                           set(LayoutTarget<T>(t, property), context.Handler<Event>(v));
                         }));
}

template <class T, class Arg>
void RegisterLayoutEvent(const std::string& className, const std::string& property,
                         void (T::*set)(Arg)) {
  RegisterLayoutEvent<T, Arg>(className, property,
                              std::function<void(T&, Arg)>([set](T& t, Arg e) { (t.*set)(e); }));
}
