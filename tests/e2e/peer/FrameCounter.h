#pragma once
// Counts the pictures a slot has shown: every change of the picture of the
// slot's image control (Image2 to Image5 for slots 1 to 4) is one. The
// counter chains itself after the image's own change handler, so the image
// still repaints as before. UI thread only.
#include <array>

class TCustomForm;
class TPicture;

class TFrameCounter {
 public:
  // Hooks the four slot pictures of Form; a slot whose image is missing
  // keeps counting nothing.
  void Attach(TCustomForm* Form);
  // Changes of slot 1 to 4 since Attach; -1 for another number.
  long Count(int Slot) const;
  // The slot's picture (nullptr when the slot has none).
  TPicture* Picture(int Slot) const;

 private:
  std::array<long, 4> FCounts{};
  std::array<TPicture*, 4> FPictures{};
};

// The image control of each slot, by slot number 1 to 4.
const char* SlotImageName(int Slot);
