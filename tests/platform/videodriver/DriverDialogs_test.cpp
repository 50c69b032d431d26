// The drivers' dialogs as the user sees them: the format dialog's two lists
// and the source dialog's controls, answered from inside their modal loop.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/videodriver/DriverDialogs.h"

namespace {

// Runs Answer on the dialog once it is up.
void WhenShown(std::function<void(QDialog*)> Answer) {
  QTimer::singleShot(0, [Answer] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    Answer(dialog);
  });
}

const std::vector<TVideoFormatChoice> kChoices = {
    {"YUY2", 160, 120}, {"YUY2", 320, 240}, {"RGB 24", 640, 480}};

}  // namespace

TEST(DriverFormatDialog, ListsFormatsAndTheSizesOfTheChosenOne) {
  WhenShown([](QDialog* dialog) {
    const auto combos = dialog->findChildren<QComboBox*>();
    ASSERT_EQ(combos.size(), 2);
    QComboBox* formats = combos[0];
    QComboBox* sizes = combos[1];
    EXPECT_EQ(formats->count(), 2);
    EXPECT_EQ(formats->currentText(), "YUY2");
    EXPECT_EQ(sizes->count(), 2);
    EXPECT_EQ(sizes->currentText(), "320 x 240");
    formats->setCurrentIndex(1);
    EXPECT_EQ(sizes->count(), 1);
    EXPECT_EQ(sizes->currentText(), "640 x 480");
    dialog->accept();
  });
  EXPECT_EQ(ShowDriverFormatDialog("Cam", kChoices, 1), 2);
}

TEST(DriverFormatDialog, MarksFormatsConvertedFromTheCamerasOwn) {
  std::vector<TVideoFormatChoice> choices = kChoices;
  choices[2].Emulated = true;
  WhenShown([](QDialog* dialog) {
    QComboBox* formats = dialog->findChildren<QComboBox*>()[0];
    ASSERT_EQ(formats->count(), 2);
    EXPECT_EQ(formats->itemText(1), "RGB 24 (converted)");
    formats->setCurrentIndex(1);
    dialog->accept();
  });
  EXPECT_EQ(ShowDriverFormatDialog("Cam", choices, 0), 2);
}

TEST(DriverFormatDialog, CancelChoosesNothing) {
  WhenShown([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Video Format - Cam");
    dialog->reject();
  });
  EXPECT_EQ(ShowDriverFormatDialog("Cam", kChoices, 0), -1);
}

TEST(DriverSourceDialog, ChangesApplyAtOnceAndCancelPutsThemBack) {
  const std::vector<TVideoSourceControl> controls = {
      {1, "Brightness", sckInteger, 0, 10, 1, 4, 5, {}},
      {2, "Auto", sckBoolean, 0, 1, 1, 1, 0, {}},
      {3, "Mains", sckMenu, 0, 2, 1, 1, 1, {"Off", "50 Hz", "60 Hz"}}};
  for (bool accept : {false, true}) {
    std::map<std::uint32_t, int> applied;
    std::vector<std::pair<std::uint32_t, int>> order;
    WhenShown([accept](QDialog* dialog) {
      dialog->findChild<QSlider*>()->setValue(7);
      dialog->findChild<QCheckBox*>()->setChecked(true);
      dialog->findChild<QComboBox*>()->setCurrentIndex(2);
      if (accept)
        dialog->accept();
      else
        dialog->reject();
    });
    ShowDriverSourceDialog("Cam", controls, [&](std::uint32_t id, int value) {
      applied[id] = value;
      order.emplace_back(id, value);
    });
    if (accept) {
      EXPECT_EQ(applied, (std::map<std::uint32_t, int>{{1, 7}, {2, 1}, {3, 2}}));
    } else {
      EXPECT_EQ(applied, (std::map<std::uint32_t, int>{{1, 5}, {2, 0}, {3, 1}}));
      EXPECT_EQ(order.size(), 6u);  // three changes, three put back
    }
  }
}
