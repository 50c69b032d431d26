#include "app/LayoutClasses.h"

#include <memory>

#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Image.h"
#include "platform/controls/StdRegistration.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "platform/layout/Registry.h"
#include "platform/layout/Resources.h"
#include "platform/sockets/SocketsLayout.h"
#include "platform/sound/SoundLayout.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkRegistration.h"

namespace {

// The embedded file Name as a stream at position 0.
std::unique_ptr<TMemoryStream> EmbeddedPicture(const std::string& Name) {
  const std::string_view* bytes = FindEmbeddedResource(Name);
  if (bytes == nullptr) throw ELayoutError("picture '" + Name + "' is not embedded");
  auto stream = std::make_unique<TMemoryStream>();
  if (!bytes->empty()) stream->WriteBuffer(bytes->data(), int(bytes->size()));
  stream->SetPosition(0);
  return stream;
}

// The embedded picture Name read by the graphic class of its extension.
std::unique_ptr<TGraphic> LoadEmbeddedGraphic(const std::string& Name) {
  std::string ext = ExtractFileExt(Name);
  TGraphicClass graphicClass = ext.size() > 1 ? TPicture::FileFormatClass(ext.substr(1)) : nullptr;
  if (graphicClass == nullptr) throw ELayoutError("picture '" + Name + "' is of no known kind");
  std::unique_ptr<TGraphic> graphic(graphicClass->Create());
  graphic->LoadFromStream(EmbeddedPicture(Name).get());
  return graphic;
}

std::unique_ptr<TBitmap> LoadEmbeddedBitmap(const std::string& Name) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromStream(EmbeddedPicture(Name).get());
  return bitmap;
}

void RegisterImageList() {
  RegisterLayoutClass("TImageList", "TComponent",
                      [](TComponent* owner) { return new TImageList(owner); });
  RegisterLayoutProperty("TImageList", "Width", &TImageList::SetWidth);
  RegisterLayoutProperty("TImageList", "Height", &TImageList::SetHeight);
  RegisterLayoutProperty("TImageList", "BkColor", &TImageList::SetBkColor);
  RegisterLayoutProperty<TImageList, std::string>(
      "TImageList", "Bitmap.Resource", [](TImageList& list, const std::string& name) {
        list.AddMasked(LoadEmbeddedBitmap(name).get(), list.BkColor());
      });
}

void RegisterPictureResources() {
  RegisterLayoutProperty<TImage, std::string>(
      "TImage", "Picture.Resource", [](TImage& image, const std::string& name) {
        image.Picture()->SetGraphic(LoadEmbeddedGraphic(name).get());
      });
  RegisterLayoutProperty<TSkButton, std::string>(
      "TSkButton", "Glyph.Resource", [](TSkButton& button, const std::string& name) {
        button.SetGlyph(LoadEmbeddedBitmap(name).get());
      });
}

}  // namespace

void RegisterProgramLayoutClasses() {
  static const bool registered = [] {
    RegisterStdLayoutClasses();
    RegisterSkLayout();
    RegisterSocketsLayout();
    RegisterSoundLayout();
    RegisterImageList();
    RegisterPictureResources();
    return true;
  }();
  (void)registered;
}
