#pragma once
// The reader's side of the registry (this library only): classes by name,
// property resolution along the parent chain and through sub-objects, child
// hooks and identifiers.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/layout/Registry.h"

// Case-insensitive ordering and equality of names.
bool LayoutNameLess(std::string_view a, std::string_view b);
bool LayoutNameEqual(std::string_view a, std::string_view b);

struct TLayoutNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return LayoutNameLess(a, b); }
};

// A class declared with RegisterLayoutClass, or nullptr.
struct TLayoutClassView {
  std::string Name;  // as registered
  const TLayoutFactory* Factory;  // nullptr when the class is never created
};
bool FindLayoutClass(std::string_view name, TLayoutClassView& view);

// The setter and the object it applies to for a property path of an object
// of class className; false when no class of the chain knows the path.
// Raises ELayoutError when a sub-object getter gives no object.
struct TResolvedProperty {
  TPersistent* Target = nullptr;
  const TLayoutSetter* Setter = nullptr;
};
bool ResolveLayoutProperty(std::string_view className, TPersistent* target, std::string_view path,
                           TResolvedProperty& resolved);

// The child hook of the class or its nearest ancestor, or nullptr.
const TLayoutChildHook* FindLayoutChildHook(std::string_view className);

// The value of an identifier registered with RegisterLayoutIdentifiers, or nullptr.
const std::int64_t* FindLayoutIdentifier(std::string_view name);
