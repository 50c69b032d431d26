// Every window of both programs as the window system gets it: the caption
// (what a window manager is handed, after whatever Qt adds to a title) and
// the border buttons and sizing its flags ask for.
#include <gtest/gtest.h>

#include <QWidget>
#include <QWindow>
#include <qpa/qplatformwindow.h>

#include <memory>

#include "WindowTestSupport.h"
#include "capture/VideoOptions.h"
#include "dialogs/IP.h"
#include "dialogs/NetWorkClients.h"
#include "dialogs/PageExport.h"
#include "dialogs/Settings.h"
#include "platform/controls/Application.h"
#include "platform/controls/ControlQt.h"

namespace {

enum TFrame { MainFrame, DialogFrame };

// Qt's own step from a window's title to what a platform (X11 among them)
// hands the window manager: it may append the application's display name.
struct TPlatformTitle : QPlatformWindow {
  using QPlatformWindow::formatWindowTitle;
};

std::string TitleForWindowSystem(QWidget* Window) {
  Window->winId();  // the platform window exists from here on
  const QString title = Window->windowHandle()->title();
  return TPlatformTitle::formatWindowTitle(title, QString::fromUtf8(" \u2014 ")).toStdString();
}

void ExpectFrame(TCustomForm* Form, const std::string& Caption, TFrame Frame) {
  SCOPED_TRACE(Caption);
  QWidget* w = ControlWidget(Form);
  EXPECT_EQ(w->windowTitle().toStdString(), Caption);
  EXPECT_EQ(TitleForWindowSystem(w), Caption);
  const Qt::WindowFlags flags = w->windowHandle()->flags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Frame == MainFrame ? Qt::Window : Qt::Dialog);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);  // only the buttons asked for
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_EQ(bool(flags & Qt::WindowMinimizeButtonHint), Frame == MainFrame);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  // Fixed borders: the window cannot be resized.
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_EQ(w->minimumSize(), QSize(Form->Width(), Form->Height()));
}

class WindowFrames : public MainWindowTest {};

TEST_P(WindowFrames, CaptionsAndBorderButtonsAsTheLayoutsGiveThem) {
  Application->SetTitle("Tamblin");  // as the program does, before its windows
  Create();
  ExpectFrame(Form, GetParam().Wide ? "Quillory - Tamblin 1024" : "Quillory - Tamblin", MainFrame);
  auto book = std::make_unique<TfrmIP>(nullptr);
  ExpectFrame(book.get(), "IP Address Book", DialogFrame);
  auto settings = std::make_unique<TfrmSettings>(nullptr);
  ExpectFrame(settings.get(), "Settings", DialogFrame);
  auto wait = std::make_unique<TfrmExport>(nullptr);
  ExpectFrame(wait.get(), "Searching For Network Clients...", DialogFrame);
  auto clients = std::make_unique<TfrmNetworkClients>(nullptr);
  ExpectFrame(clients.get(), "Online Network Clients", DialogFrame);
  auto options = std::make_unique<TfrmVideoOptions>(nullptr);
  ExpectFrame(options.get(), "Video Display Options", DialogFrame);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, WindowFrames, testing::Values(kCompactLayout, kWideLayout),
                         PrintLayout);

}  // namespace
