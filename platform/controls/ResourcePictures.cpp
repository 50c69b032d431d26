#include "platform/controls/ResourcePictures.h"

#include <memory>

#include "platform/base/Exceptions.h"
#include "platform/graphics/IconFile.h"
#include "platform/layout/Resources.h"

namespace {

HICON LoadIconFile(HINSTANCE Instance, const std::string& FileName) {
  if (Instance != HInstance) return nullptr;
  const std::string_view* bytes = FindEmbeddedResource(FileName);
  if (bytes == nullptr) return nullptr;
  try {
    auto file = std::make_shared<TIconFile>(
        ReadIconFile(reinterpret_cast<const Byte*>(bytes->data()), bytes->size()));
    if (file->Images.empty()) return nullptr;
    return file;
  } catch (const Exception&) {
    return nullptr;  // as the host does: no handle for what it cannot load
  }
}

}  // namespace

HICON LoadIcon(HINSTANCE Instance, const std::string& Name) {
  return LoadIconFile(Instance, Name + ".ico");
}

HCURSOR LoadCursor(HINSTANCE Instance, const std::string& Name) {
  return LoadIconFile(Instance, Name + ".cur");
}
