// Kept apart from the reader: only executables that embed resources define
// FindEmbeddedResource, and only they call this.
#include "platform/layout/LayoutReader.h"
#include "platform/layout/Resources.h"

void ReadLayoutResource(TComponent* root, const std::string& resourceName,
                        const TLayoutHandlers& handlers) {
  const std::string_view* text = FindEmbeddedResource(resourceName);
  if (text == nullptr) throw ELayoutError("layout '" + resourceName + "' is not embedded");
  ReadLayout(root, *text, resourceName, handlers);
}
