#include "platform/videodriver/DriverDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "platform/controls/Application.h"
#include "platform/controls/QtText.h"

namespace {

TDriverDialogHook& Hook() {
  static TDriverDialogHook hook;
  return hook;
}

// Runs a dialog as every modal box runs: the active form steps back meanwhile.
bool RunModal(const std::function<bool()>& Show) {
  if (Application == nullptr) return Show();
  return Application->RunModalBox([&] { return Show() ? mrOk : mrCancel; }) == mrOk;
}

// Window managers show a caption in the title bar beside their own icon and
// buttons: a dialog is made wide enough for its whole caption there.
void FitCaption(QDialog& dialog) {
  QFont font = dialog.font();
  font.setBold(true);  // as most title bars draw it
  constexpr int TitleBarChrome = 150;  // icon, three buttons and margins
  const int wanted = QFontMetrics(font).horizontalAdvance(dialog.windowTitle()) + TitleBarChrome;
  dialog.setMinimumWidth(std::max(dialog.minimumWidth(), wanted));
}

QString SizeText(int width, int height) {
  return QStringLiteral("%1 x %2").arg(width).arg(height);
}

// A format the camera does not deliver itself is marked as converted.
std::string FormatLabel(const TVideoFormatChoice& choice) {
  return choice.Emulated ? choice.PixelFormat + " (converted)" : choice.PixelFormat;
}

int RunFormatDialog(const std::string& caption, const std::vector<TVideoFormatChoice>& choices,
                    int current) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QtText(caption));
  auto* formats = new QComboBox(&dialog);
  auto* sizes = new QComboBox(&dialog);
  std::vector<std::string> names;
  for (const TVideoFormatChoice& c : choices)
    if (std::find(names.begin(), names.end(), FormatLabel(c)) == names.end()) {
      names.push_back(FormatLabel(c));
      formats->addItem(QtText(names.back()));
    }
  // The sizes box lists the sizes of the chosen pixel format; each item keeps
  // its index into choices.
  auto fillSizes = [&](int formatIndex) {
    sizes->clear();
    if (formatIndex < 0 || std::size_t(formatIndex) >= names.size()) return;
    for (std::size_t i = 0; i < choices.size(); ++i)
      if (FormatLabel(choices[i]) == names[std::size_t(formatIndex)]) {
        sizes->addItem(SizeText(choices[i].Width, choices[i].Height), int(i));
        if (int(i) == current) sizes->setCurrentIndex(sizes->count() - 1);
      }
  };
  if (current >= 0 && std::size_t(current) < choices.size()) {
    auto it = std::find(names.begin(), names.end(), FormatLabel(choices[std::size_t(current)]));
    formats->setCurrentIndex(int(it - names.begin()));
  }
  fillSizes(formats->currentIndex());
  QObject::connect(formats, &QComboBox::currentIndexChanged, &dialog, fillSizes);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Pixel format:"), formats);
  form->addRow(QStringLiteral("Size:"), sizes);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  FitCaption(dialog);
  if (dialog.exec() != QDialog::Accepted || sizes->currentIndex() < 0) return -1;
  return sizes->currentData().toInt();
}

bool RunSourceDialog(const std::string& caption, const std::vector<TVideoSourceControl>& controls,
                     const TApplySourceControl& apply) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QtText(caption));
  auto* form = new QFormLayout;
  std::vector<std::function<void(int)>> resets;  // show a value without applying it twice
  for (const TVideoSourceControl& c : controls) {
    const std::uint32_t id = c.Id;
    QWidget* editor = nullptr;
    if (c.Kind == sckBoolean) {
      auto* box = new QCheckBox(&dialog);
      box->setChecked(c.Value != 0);
      QObject::connect(box, &QCheckBox::toggled, &dialog, [apply, id](bool on) { apply(id, on); });
      resets.push_back([box](int v) { box->setChecked(v != 0); });
      editor = box;
    } else if (c.Kind == sckMenu) {
      auto* combo = new QComboBox(&dialog);
      for (std::size_t i = 0; i < c.MenuItems.size(); ++i)
        combo->addItem(QtText(c.MenuItems[i]), c.Minimum + int(i));
      combo->setCurrentIndex(c.Value - c.Minimum);
      QObject::connect(combo, &QComboBox::currentIndexChanged, &dialog,
                       [apply, id, combo](int) { apply(id, combo->currentData().toInt()); });
      resets.push_back([combo, min = c.Minimum](int v) { combo->setCurrentIndex(v - min); });
      editor = combo;
    } else {
      auto* row = new QWidget(&dialog);
      auto* slider = new QSlider(Qt::Horizontal, row);
      auto* value = new QLabel(QString::number(c.Value), row);
      slider->setRange(c.Minimum, c.Maximum);
      slider->setSingleStep(c.Step);
      slider->setValue(c.Value);
      auto* h = new QHBoxLayout(row);
      h->setContentsMargins(0, 0, 0, 0);
      h->addWidget(slider, 1);
      h->addWidget(value);
      QObject::connect(slider, &QSlider::valueChanged, &dialog, [apply, id, value](int v) {
        value->setText(QString::number(v));
        apply(id, v);
      });
      resets.push_back([slider](int v) { slider->setValue(v); });
      editor = row;
    }
    form->addRow(QtText(c.Name + ":"), editor);
  }
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked,
                   &dialog, [&] {
                     for (std::size_t i = 0; i < controls.size(); ++i) resets[i](controls[i].Default);
                   });
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  FitCaption(dialog);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

int ShowDriverFormatDialog(const std::string& DriverName,
                           const std::vector<TVideoFormatChoice>& Choices, int Current) {
  TDriverDialogRequest request;
  request.Kind = ddkFormat;
  request.Caption = "Video Format - " + DriverName;
  request.Formats = Choices;
  request.Selected = Current;
  int chosen = -1;
  RunModal([&] {
    if (TDriverDialogHook hook = Hook()) {
      if (!hook(request)) return false;
      chosen = request.Selected;
    } else {
      chosen = RunFormatDialog(request.Caption, Choices, Current);
    }
    return chosen >= 0;
  });
  if (chosen < 0 || std::size_t(chosen) >= Choices.size()) return -1;
  return chosen;
}

void ShowDriverSourceDialog(const std::string& DriverName,
                            const std::vector<TVideoSourceControl>& Controls,
                            const TApplySourceControl& Apply) {
  TDriverDialogRequest request;
  request.Kind = ddkSource;
  request.Caption = "Video Source - " + DriverName;
  request.Controls = Controls;
  // Remember the last value applied to each control, so that Cancel puts
  // back exactly those that changed.
  std::map<std::uint32_t, int> changed;
  request.Apply = [&](std::uint32_t id, int value) {
    changed[id] = value;
    Apply(id, value);
  };
  const bool accepted = RunModal([&] {
    if (TDriverDialogHook hook = Hook()) return hook(request);
    return RunSourceDialog(request.Caption, Controls, request.Apply);
  });
  if (accepted) return;
  for (const TVideoSourceControl& c : Controls)
    if (changed.count(c.Id) && changed[c.Id] != c.Value) Apply(c.Id, c.Value);
}

void SetDriverDialogHook(TDriverDialogHook Value) { Hook() = std::move(Value); }
