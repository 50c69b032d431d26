// The main window's tests run on a real application object on Qt's
// offscreen platform, with the program's real UDP ports. The machine's own
// cameras are not looked for: without a driver the camera start fails, as on
// a machine without a webcam.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/controls/Application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  unsetenv("TAMBLIN_VIRTUAL_CAMERA");
  ::testing::InitGoogleTest(&argc, argv);
  TApplication application(argc, argv);
  application.SetTitle("Tamblin");
  return RUN_ALL_TESTS();
}
