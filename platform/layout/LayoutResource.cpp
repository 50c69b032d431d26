#include "platform/layout/LayoutReader.h"
#include "platform/layout/Resources.h"

namespace {
// Constant-initialised, so it is set before any program code asks.
TEmbeddedResourceLookup gLookup = nullptr;
}  // namespace

void SetEmbeddedResourceLookup(TEmbeddedResourceLookup Lookup) { gLookup = Lookup; }

const std::string_view* FindEmbeddedResource(std::string_view name) {
  return gLookup != nullptr ? gLookup(name) : nullptr;
}

void ReadLayoutResource(TComponent* root, const std::string& resourceName,
                        const TLayoutHandlers& handlers) {
  const std::string_view* text = FindEmbeddedResource(resourceName);
  if (text == nullptr) throw ELayoutError("layout '" + resourceName + "' is not embedded");
  ReadLayout(root, *text, resourceName, handlers);
}
