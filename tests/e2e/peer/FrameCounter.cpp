#include "FrameCounter.h"

#include "platform/controls/Form.h"
#include "platform/controls/Image.h"
#include "platform/graphics/Graphic.h"

const char* SlotImageName(int Slot) {
  static const char* const names[4] = {"Image2", "Image3", "Image4", "Image5"};
  return Slot >= 1 && Slot <= 4 ? names[Slot - 1] : nullptr;
}

void TFrameCounter::Attach(TCustomForm* Form) {
  for (int slot = 1; slot <= 4; ++slot) {
    auto* image = dynamic_cast<TImage*>(Form->FindComponent(SlotImageName(slot)));
    if (!image) continue;
    TPicture* picture = image->Picture();
    FPictures[slot - 1] = picture;
    TNotifyEvent previous = picture->OnChange();
    picture->SetOnChange([this, slot, previous](TObject* Sender) {
      ++FCounts[slot - 1];
      if (previous) previous(Sender);
    });
  }
}

long TFrameCounter::Count(int Slot) const {
  return Slot >= 1 && Slot <= 4 ? FCounts[Slot - 1] : -1;
}

TPicture* TFrameCounter::Picture(int Slot) const {
  return Slot >= 1 && Slot <= 4 ? FPictures[Slot - 1] : nullptr;
}
