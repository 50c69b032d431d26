#include "platform/layout/LayoutHandlers.h"

#include "platform/layout/RegistryLookup.h"

bool TLayoutHandlers::TNoCaseLess::operator()(std::string_view a, std::string_view b) const {
  return LayoutNameLess(a, b);
}

TLayoutHandlers& TLayoutHandlers::AddAny(const std::string& name, std::any handler) {
  FHandlers.insert_or_assign(name, std::move(handler));
  return *this;
}

const std::any* TLayoutHandlers::Find(std::string_view name) const {
  auto it = FHandlers.find(name);
  return it == FHandlers.end() ? nullptr : &it->second;
}
