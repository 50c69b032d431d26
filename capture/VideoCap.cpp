// The capture window and its driver: creation in the display panel, the
// driver search, the preview, the driver's dialogs and the two bitmap
// header routines.
#include "capture/VideoCap.h"

#include <exception>

#include "capture/AviCap.h"
#include "capture/VideoCapState.h"
#include "platform/controls/Control.h"

namespace {

constexpr const char* kCaptureWindowCaption = "Quillory Soft";
constexpr int kDriverCount = 10;
constexpr int kPreviewRateMs = 33;

}  // namespace

void SetDisplayPanel(TWinControl* Panel) { videocap::State().DisplayPanel = Panel; }

void SetStatusLabel(TControl* Label) { videocap::State().StatusLabel = Label; }

bool OpenCaptureDriver() {
  videocap::TModuleState& s = videocap::State();
  if (s.DisplayPanel == nullptr) return false;
  // A window left from a start whose frame buffer failed goes first, so
  // that windows never pile up in the panel.
  CloseCaptureDriver();
  s.CaptureWindow =
      capCreateCaptureWindowA(kCaptureWindowCaption, WS_CHILD | WS_VISIBLE, 0, 0,
                              s.DisplayPanel->Width(), s.DisplayPanel->Height(), s.DisplayPanel, 0);
  const bool ready = s.CaptureWindow != nullptr &&
                     capSetCallbackOnStatus(s.CaptureWindow, nullptr) &&
                     capSetCallbackOnStatus(s.CaptureWindow, CaptureStatusCallback);
  if (!ready) {
    CloseCaptureDriver();
    s.CaptureWindow = nullptr;
    return false;
  }
  capSetCallbackOnFrame(s.CaptureWindow, CaptureFrameCallback);
  for (int index = 0; index < kDriverCount; ++index)
    if (ConnectCaptureDriver(index)) break;
  return true;
}

bool ConnectCaptureDriver(int DriverIndex) {
  HWND window = videocap::State().CaptureWindow;
  if (window == nullptr) return false;
  try {
    if (!capDriverConnect(window, DriverIndex)) return false;
    CAPTUREPARMS parms{};
    // A driver that cannot tell its parameters is used with its own.
    if (!capCaptureGetSetup(window, &parms, sizeof parms)) return true;
    parms.dwRequestMicroSecPerFrame = 66667;
    parms.fYield = 1;
    parms.fCaptureAudio = 1;
    parms.vKeyAbort = 27;
    parms.fAbortLeftMouse = 0;
    parms.fAbortRightMouse = 0;
    parms.fLimitEnabled = 0;
    parms.fMCIControl = 0;
    return capCaptureSetSetup(window, &parms, sizeof parms);
  } catch (const std::exception&) {
    return false;
  }
}

void StartPreview() {
  HWND window = videocap::State().CaptureWindow;
  if (window == nullptr) return;
  capPreviewScale(window, true);
  capPreviewRate(window, kPreviewRateMs);
  capOverlay(window, false);
  capPreview(window, true);
}

void AbortCapture() {
  HWND window = videocap::State().CaptureWindow;
  if (window != nullptr) capCaptureAbort(window);
}

void CloseCaptureDriver() {
  videocap::TModuleState& s = videocap::State();
  if (s.CaptureWindow == nullptr) return;
  capSetCallbackOnStatus(s.CaptureWindow, nullptr);
  capSetCallbackOnFrame(s.CaptureWindow, nullptr);
  capDriverDisconnect(s.CaptureWindow);
  DestroyWindow(s.CaptureWindow);
  s.CaptureWindow = nullptr;
}

namespace {

bool DriverCaps(CAPDRIVERCAPS& caps) {
  HWND window = videocap::State().CaptureWindow;
  caps = CAPDRIVERCAPS{};
  return window != nullptr && capDriverGetCaps(window, &caps, sizeof caps);
}

}  // namespace

bool HasVideoFormatDialog() {
  CAPDRIVERCAPS caps;
  return DriverCaps(caps) && caps.fHasDlgVideoFormat != 0;
}

bool HasVideoSourceDialog() {
  CAPDRIVERCAPS caps;
  return DriverCaps(caps) && caps.fHasDlgVideoSource != 0;
}

void ShowVideoFormatDialog() {
  HWND window = videocap::State().CaptureWindow;
  if (window != nullptr) capDlgVideoFormat(window);
}

void ShowVideoSourceDialog() {
  HWND window = videocap::State().CaptureWindow;
  if (window != nullptr) capDlgVideoSource(window);
}

LRESULT CaptureStatusCallback(HWND, int, const char* Text) {
  TControl* label = videocap::State().StatusLabel;
  if (label != nullptr) {
    label->SetCaption(Text != nullptr ? Text : "");
    label->Repaint();
  }
  return 1;
}

int ScanLineSize(int Bits) {
  const long long words = (static_cast<long long>(Bits) + 31) / 32;
  return int(words * 4);
}

void InitBitmapInfoHeader(BITMAPINFOHEADER& Header, int Width, int Height, int BitsPerPixel) {
  Header = BITMAPINFOHEADER{};
  Header.biSize = sizeof(BITMAPINFOHEADER);
  Header.biWidth = Width;
  Header.biHeight = Height;
  Header.biPlanes = 1;
  Header.biBitCount = Word(BitsPerPixel);
  Header.biCompression = BI_RGB;
  Header.biSizeImage =
      DWord(std::int64_t(ScanLineSize(Width * BitsPerPixel)) * Height * Header.biPlanes);
}

HWND CaptureWindowHandle() { return videocap::State().CaptureWindow; }
