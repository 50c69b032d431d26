// The dialogs' tests run on a real application object on Qt's offscreen
// platform, as the program itself does without a display.
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
