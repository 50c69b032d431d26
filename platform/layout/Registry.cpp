#include "platform/layout/Registry.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/layout/RegistryLookup.h"

namespace {

struct TSubObject {
  std::string ObjectClass;
  TLayoutSubObject Getter;
};

struct TClassEntry {
  std::string Name;
  std::string Parent;
  bool Declared = false;  // RegisterLayoutClass was called for it
  TLayoutFactory Factory;
  std::map<std::string, TLayoutSetter, TLayoutNameLess> Properties;
  std::map<std::string, TSubObject, TLayoutNameLess> SubObjects;
  TLayoutChildHook ChildHook;
};

using TNameValues = std::map<std::string, std::int64_t, TLayoutNameLess>;

struct TRegistry {
  std::map<std::string, TClassEntry, TLayoutNameLess> Classes;
  TNameValues Identifiers;
  std::map<std::type_index, TNameValues> Enums;

  TClassEntry& Entry(const std::string& name) {
    auto it = Classes.find(name);
    if (it == Classes.end()) {
      it = Classes.emplace(name, TClassEntry{}).first;
      it->second.Name = name;
    }
    return it->second;
  }

  const TClassEntry* Find(std::string_view name) const {
    auto it = Classes.find(name);
    return it == Classes.end() ? nullptr : &it->second;
  }
};

TRegistry& Registry() {
  static TRegistry* registry = [] {
    auto* r = new TRegistry;
    TClassEntry& component = r->Entry("TComponent");
    component.Declared = true;
    component.Properties["Tag"] = [](TPersistent* t, const TLayoutValue& v, TLayoutContext&) {
      LayoutTarget<TComponent>(t, "Tag").SetTag(LayoutValueAs<long>(v));
    };
    return r;
  }();
  return *registry;
}

// A parent chain longer than this is a registration loop.
constexpr int kMaxClassDepth = 64;

}  // namespace

bool LayoutNameLess(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = tolower(static_cast<unsigned char>(a[i]));
    int cb = tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

bool LayoutNameEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && !LayoutNameLess(a, b) && !LayoutNameLess(b, a);
}

void RegisterLayoutClass(const std::string& className, const std::string& parentClass,
                         TLayoutFactory factory) {
  TClassEntry& entry = Registry().Entry(className);
  entry.Parent = parentClass;
  entry.Declared = true;
  entry.Factory = std::move(factory);
}

void RegisterLayoutProperty(const std::string& className, const std::string& property,
                            TLayoutSetter setter) {
  Registry().Entry(className).Properties.insert_or_assign(property, std::move(setter));
}

void RegisterLayoutSubObject(const std::string& className, const std::string& property,
                             const std::string& objectClass, TLayoutSubObject getter) {
  Registry().Entry(className).SubObjects.insert_or_assign(
      property, TSubObject{objectClass, std::move(getter)});
}

void RegisterLayoutChildHook(const std::string& className, TLayoutChildHook hook) {
  Registry().Entry(className).ChildHook = std::move(hook);
}

void RegisterLayoutIdentifiers(std::initializer_list<std::pair<const char*, std::int64_t>> names) {
  TNameValues& table = Registry().Identifiers;
  for (const auto& [name, value] : names) {
    auto [it, added] = table.emplace(name, value);
    if (!added && it->second != value)
      throw ELayoutError(std::string("identifier '") + name + "' registered with two values");
  }
}

namespace layout_detail {

void RegisterEnumName(std::type_index type, const char* name, std::int64_t value) {
  Registry().Enums[type].insert_or_assign(name, value);
}

std::int64_t EnumValue(std::type_index type, const std::string& name) {
  const auto& enums = Registry().Enums;
  auto table = enums.find(type);
  if (table != enums.end()) {
    auto it = table->second.find(name);
    if (it != table->second.end()) return it->second;
  }
  throw ELayoutError("invalid value '" + name + "'");
}

void ThrowOutOfRange(std::int64_t value) {
  throw ELayoutError("value " + std::to_string(value) + " out of range");
}

void ThrowWrongClass(const std::string& property) {
  throw ELayoutError("property '" + property + "' registered for another class");
}

}  // namespace layout_detail

bool FindLayoutClass(std::string_view name, TLayoutClassView& view) {
  const TClassEntry* entry = Registry().Find(name);
  if (entry == nullptr || !entry->Declared) return false;
  view.Name = entry->Name;
  view.Factory = entry->Factory ? &entry->Factory : nullptr;
  return true;
}

bool ResolveLayoutProperty(std::string_view className, TPersistent* target, std::string_view path,
                           TResolvedProperty& resolved) {
  const TRegistry& registry = Registry();
  // The whole path as registered, nearest class first.
  std::string_view name = className;
  for (int depth = 0; depth < kMaxClassDepth && !name.empty(); ++depth) {
    const TClassEntry* entry = registry.Find(name);
    if (entry == nullptr) break;
    auto it = entry->Properties.find(path);
    if (it != entry->Properties.end()) {
      resolved.Target = target;
      resolved.Setter = &it->second;
      return true;
    }
    name = entry->Parent;
  }
  // Else the first part names a sub-object that takes the rest.
  size_t dot = path.find('.');
  if (dot == std::string_view::npos) return false;
  std::string_view head = path.substr(0, dot);
  name = className;
  for (int depth = 0; depth < kMaxClassDepth && !name.empty(); ++depth) {
    const TClassEntry* entry = registry.Find(name);
    if (entry == nullptr) break;
    auto it = entry->SubObjects.find(head);
    if (it != entry->SubObjects.end()) {
      TPersistent* object = it->second.Getter(target);
      if (object == nullptr) throw ELayoutError("'" + std::string(head) + "' holds no object");
      return ResolveLayoutProperty(it->second.ObjectClass, object, path.substr(dot + 1), resolved);
    }
    name = entry->Parent;
  }
  return false;
}

const TLayoutChildHook* FindLayoutChildHook(std::string_view className) {
  const TRegistry& registry = Registry();
  std::string_view name = className;
  for (int depth = 0; depth < kMaxClassDepth && !name.empty(); ++depth) {
    const TClassEntry* entry = registry.Find(name);
    if (entry == nullptr) break;
    if (entry->ChildHook) return &entry->ChildHook;
    name = entry->Parent;
  }
  return nullptr;
}

const std::int64_t* FindLayoutIdentifier(std::string_view name) {
  const TNameValues& table = Registry().Identifiers;
  auto it = table.find(name);
  return it == table.end() ? nullptr : &it->second;
}
