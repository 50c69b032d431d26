#pragma once
// Platform-internal: windows that take no input while a form is modal. The
// host's modal show disables every other window of the program before the
// form's OnShow runs and enables them again when the form has closed; the
// window system's own modality begins only once the window is on screen, so
// it alone leaves the time of OnShow open to clicks on the other windows.
// Only platform .cpp files include this.
class QWidget;

class TDisabledWindows {
 public:
  // Every top-level window showing now, but Modal, takes no input from now on.
  explicit TDisabledWindows(QWidget* Modal);
  // Those windows take input again (unless an outer modal form still holds them).
  ~TDisabledWindows();
  TDisabledWindows(const TDisabledWindows&) = delete;
  TDisabledWindows& operator=(const TDisabledWindows&) = delete;

 private:
  QWidget* FModal;
};
