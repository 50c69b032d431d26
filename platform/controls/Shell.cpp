#include "platform/controls/Shell.h"

#include <QApplication>
#include <QProcess>
#include <QStringList>
#include <QWidget>

#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"
#include "platform/controls/Form.h"
#include "platform/controls/QtText.h"

namespace {

TShellLauncher& Launcher() {
  static TShellLauncher launcher;
  return launcher;
}

TFlashObserver& FlashObserver() {
  static TFlashObserver observer;
  return observer;
}

bool StartDetached(const std::string& Program, const std::vector<std::string>& Arguments) {
  if (TShellLauncher launcher = Launcher()) return launcher(Program, Arguments);
  QStringList args;
  for (const std::string& a : Arguments) args << QtText(a);
  // No shell is involved: the address reaches the opener as one argument.
  return QProcess::startDetached(QtText(Program), args);
}

}  // namespace

bool ShellExecute(const std::string& Verb, const std::string& File) {
  if (Verb != "open" || File.empty() || File.front() == '-') return false;
  return StartDetached("xdg-open", {File});
}

void FlashWindow(TWinControl* Window, bool /*Invert*/) {
  if (TFlashObserver observer = FlashObserver()) observer(Window);
  QWidget* widget = nullptr;
  if (Window != nullptr) {
    widget = ControlWidget(Window)->window();
  } else if (Application != nullptr && Application->MainForm() != nullptr) {
    widget = ControlWidget(Application->MainForm());
  } else {
    widget = QApplication::activeWindow();
  }
  if (widget != nullptr) QApplication::alert(widget, 0);
}

void SetShellLauncher(TShellLauncher Value) { Launcher() = std::move(Value); }

void SetFlashObserver(TFlashObserver Value) { FlashObserver() = std::move(Value); }
