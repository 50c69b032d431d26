#pragma once
// Helpers of the standard-control tests: a shown test form, waiting for the
// message loop, and reading what a form shows.
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/graphics/Bitmap.h"

// Handles messages until Done() holds or Milliseconds have passed; answers Done().
inline bool WaitUntil(const std::function<bool()>& Done, int Milliseconds = 2000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Handles messages for a while (for things that must NOT happen).
inline void Pump(int Milliseconds) {
  WaitUntil([] { return false; }, Milliseconds);
}

// A visible, active form of the given client size, freed with the holder.
inline std::unique_ptr<TForm> ShownForm(int Width = 300, int Height = 200) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, Width, Height);
  form->SetColor(clWhite);
  form->Show();
  Application->ProcessMessages();
  return form;
}

// The colour the form shows at a client pixel.
inline TColor FormPixel(TForm& Form, int X, int Y) {
  std::unique_ptr<TBitmap> image = Form.GetFormImage();
  return image->Pixel(X, Y);
}
