// The capture window: a control inside its parent that hosts one driver,
// answers the capture messages, and while previewing takes a frame from the
// driver at every tick of its preview timer, paints it (stretched to the
// window when scaling is on) and hands it to the frame callback. Everything
// runs on the user-interface thread; the callbacks may pump messages, so the
// window may be destroyed from inside them and then goes away only once they
// have returned.
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/base/MainThread.h"
#include "platform/controls/CustomControl.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/videodriver/CaptureApi.h"
#include "platform/videodriver/CaptureDriver.h"
#include "platform/videodriver/DriverDialogs.h"
#include "platform/videodriver/FrameLayout.h"

namespace {

constexpr int kPreviewTimer = 1;
constexpr int kDefaultRateMs = 66;

class TCaptureWindow;

std::map<HWND, TCaptureWindow*>& Windows() {
  static std::map<HWND, TCaptureWindow*> windows;
  return windows;
}

HWND NewHandle() {
  static std::uintptr_t next = 0;
  return reinterpret_cast<HWND>(++next);
}

class TCaptureWindow : public TCustomControl {
 public:
  TCaptureWindow() : TCustomControl(nullptr), FHandle(NewHandle()) {
    SetColor(clBlack);
    FPreviewImage.SetPixelFormat(pf32bit);
    Windows()[FHandle] = this;
  }

  ~TCaptureWindow() override {
    Windows().erase(FHandle);
    KillTimer(kPreviewTimer);
    DisconnectDriver();
  }

  HWND Handle() const { return FHandle; }

  LRESULT Dispatch(UINT Message, WPARAM wParam, LPARAM lParam) {
    TBusy busy(this);
    switch (Message) {
      case WM_CAP_SET_CALLBACK_STATUSA:
        FOnStatus = reinterpret_cast<CAPSTATUSCALLBACK>(lParam);
        return 1;
      case WM_CAP_SET_CALLBACK_FRAME:
        FOnFrame = reinterpret_cast<CAPVIDEOCALLBACK>(lParam);
        return 1;
      case WM_CAP_DRIVER_CONNECT: return ConnectDriver(int(wParam & 0xFFFF));
      case WM_CAP_DRIVER_DISCONNECT: {
        const bool had = FDriver != nullptr;
        DisconnectDriver();
        return had;
      }
      case WM_CAP_DRIVER_GET_CAPS: {
        if (!FDriver || lParam == 0 || (wParam & 0xFFFF) < sizeof(CAPDRIVERCAPS)) return 0;
        CAPDRIVERCAPS caps{};
        caps.wDeviceIndex = DWord(FDriverIndex);
        caps.fHasDlgVideoSource = FDriver->HasSourceDialog();
        caps.fHasDlgVideoFormat = FDriver->HasFormatDialog();
        std::memcpy(reinterpret_cast<void*>(lParam), &caps, sizeof caps);
        return 1;
      }
      case WM_CAP_DLG_VIDEOFORMAT: return FormatDialog();
      case WM_CAP_DLG_VIDEOSOURCE: return SourceDialog();
      case WM_CAP_GET_VIDEOFORMAT: {
        if (!FDriver) return 0;
        const std::vector<Byte> format = FDriver->VideoFormat();
        if (wParam == 0 && lParam == 0) return LRESULT(format.size());
        if (lParam == 0) return 0;
        const std::size_t n = std::min<std::size_t>(wParam & 0xFFFF, format.size());
        std::memcpy(reinterpret_cast<void*>(lParam), format.data(), n);
        return LRESULT(n);
      }
      case WM_CAP_SET_VIDEOFORMAT: {
        if (!FDriver || lParam == 0 || (wParam & 0xFFFF) < sizeof(BITMAPINFOHEADER)) return 0;
        BITMAPINFOHEADER header;
        std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof header);
        return FDriver->SetVideoFormat(header);
      }
      case WM_CAP_SET_PREVIEW:
        FPreview = wParam != 0;
        UpdatePreview();
        return 1;
      case WM_CAP_SET_OVERLAY:
        // No device here draws into the window by itself.
        return wParam == 0;
      case WM_CAP_SET_PREVIEWRATE:
        FRateMs = int(wParam & 0xFFFF) > 0 ? int(wParam & 0xFFFF) : 1;
        UpdatePreview();
        return 1;
      case WM_CAP_SET_SCALE:
        FScale = wParam != 0;
        Invalidate();
        return 1;
      case WM_CAP_SET_SEQUENCE_SETUP: {
        if (!FDriver || lParam == 0 || (wParam & 0xFFFF) != sizeof(CAPTUREPARMS)) return 0;
        CAPTUREPARMS parms;
        std::memcpy(&parms, reinterpret_cast<const void*>(lParam), sizeof parms);
        return FDriver->SetCaptureParms(parms);
      }
      case WM_CAP_GET_SEQUENCE_SETUP: {
        if (!FDriver || lParam == 0 || (wParam & 0xFFFF) != sizeof(CAPTUREPARMS)) return 0;
        CAPTUREPARMS parms{};
        if (!FDriver->GetCaptureParms(parms)) return 0;
        std::memcpy(reinterpret_cast<void*>(lParam), &parms, sizeof parms);
        return 1;
      }
      case WM_CAP_ABORT:
        // Only a preview runs here, never a capture sequence: nothing to stop.
        return 1;
      default: return 0;
    }
  }

  // DestroyWindow: at once, or, while a callback or dialog of this window is
  // running, once it has returned.
  void Destroy() {
    Windows().erase(FHandle);
    FOnStatus = nullptr;
    FOnFrame = nullptr;
    FPreview = false;
    KillTimer(kPreviewTimer);
    if (FBusyDepth == 0) {
      delete this;
      return;
    }
    FDestroyPending = true;
    SetParent(nullptr);
  }

 protected:
  void Paint() override {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(ClientRect());
    if (!FPreviewImage.Empty()) canvas->Draw(0, 0, &FPreviewImage);
  }

  void WMTimer(int Id) override {
    if (Id != kPreviewTimer || !FPreview || !FDriver || FDestroyPending) return;
    TCapturedFrame frame;
    if (!FDriver->GrabFrame(frame)) {
      ReportDriverError();
      return;
    }
    TBusy busy(this);
    // The callback may connect another driver; the frame goes back only to
    // the driver it came from (a driver that went away took its frames along).
    const unsigned serial = FDriverSerial;
    auto release = [&] {
      if (FDriver && FDriverSerial == serial) FDriver->ReleaseFrame(frame);
    };
    try {
      ShowFrame(frame);
      if (FOnFrame != nullptr) {
        VIDEOHDR header{};
        header.lpData = frame.Data;
        header.dwBufferLength = DWord(frame.Size);
        header.dwBytesUsed = DWord(frame.Size);
        header.dwTimeCaptured = DWord(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - FPreviewStart)
                                          .count());
        FOnFrame(FHandle, &header);
      }
    } catch (...) {
      release();
      throw;
    }
    release();
    if (!FReportedError.empty() && !FDestroyPending) ClearStatus();  // frames flow again
  }

 private:
  // Marks a stretch of work that may run callbacks, dialogs or message pumps.
  struct TBusy {
    explicit TBusy(TCaptureWindow* w) : Window(w) { ++Window->FBusyDepth; }
    ~TBusy() {
      if (--Window->FBusyDepth == 0 && Window->FDestroyPending) {
        TCaptureWindow* window = Window;
        window->DisconnectDriver();
        Queue([window] { delete window; });
      }
    }
    TCaptureWindow* Window;
  };

  // A driver that does not connect leaves the connected one in place; why a
  // camera that is there cannot be used goes to the status.
  LRESULT ConnectDriver(int index) {
    std::unique_ptr<TCaptureDriver> driver = CreateCaptureDriver(index);
    if (!driver) return 0;
    if (!driver->Connect()) {
      if (!driver->NotFound()) ReportError(driver->LastError());
      return 0;
    }
    DisconnectDriver();
    FDriver = std::move(driver);
    FDriverIndex = index;
    ++FDriverSerial;
    UpdatePreview();
    return 1;
  }

  void DisconnectDriver() {
    if (!FDriver) return;
    FDriver->StopStreaming();
    FDriver->Disconnect();
    FDriver.reset();
    FPreviewImage.SetSize(0, 0);
    if (!FDestroyPending) Invalidate();
  }

  void UpdatePreview() {
    if (FPreview && FDriver && !FDestroyPending) {
      // A stream that does not start now is the driver's to start later.
      if (FDriver->StartStreaming()) {
        FPreviewStart = std::chrono::steady_clock::now();
        ClearStatus();
      } else {
        ReportDriverError();
      }
      SetTimer(kPreviewTimer, unsigned(FRateMs));
    } else {
      KillTimer(kPreviewTimer);
      if (FDriver) FDriver->StopStreaming();
    }
  }

  LRESULT FormatDialog() {
    if (!FDriver || !FDriver->HasFormatDialog()) return 0;
    const int chosen =
        ShowDriverFormatDialog(FDriver->Name(), FDriver->FormatChoices(), FDriver->CurrentFormatChoice());
    if (chosen < 0 || !FDriver || FDestroyPending) return 0;
    if (!FDriver->SelectFormatChoice(chosen)) {
      ReportDriverError();
      return 0;
    }
    return 1;
  }

  LRESULT SourceDialog() {
    if (!FDriver || !FDriver->HasSourceDialog()) return 0;
    TCaptureDriver* driver = FDriver.get();
    ShowDriverSourceDialog(driver->Name(), driver->SourceControls(),
                           [this, driver](std::uint32_t id, int value) {
                             // The driver may have been replaced while the dialog was up.
                             if (FDriver.get() == driver && !FDestroyPending)
                               driver->SetSourceControl(id, value);
                           });
    return 1;
  }

  void Status(int id, const std::string& text) {
    if (FOnStatus != nullptr) FOnStatus(FHandle, id, text.c_str());
  }

  void ReportDriverError() {
    if (FDriver) ReportError(FDriver->LastError());
  }

  // Each error once, until the status is cleared.
  void ReportError(const std::string& error) {
    if (error.empty() || error == FReportedError) return;
    FReportedError = error;
    TBusy busy(this);
    Status(IDS_CAP_ERROR, error);
  }

  void ClearStatus() {
    FReportedError.clear();
    TBusy busy(this);
    Status(IDS_CAP_BEGIN, "");
  }

  // The preview: the frame sampled onto the window, stretched when scaling
  // is on, else at its own size from the top-left corner.
  void ShowFrame(const TCapturedFrame& frame) {
    const int cw = ClientWidth(), ch = ClientHeight();
    if (cw <= 0 || ch <= 0 || !Showing()) return;
    const std::vector<Byte> block = FDriver->VideoFormat();
    if (block.size() < sizeof(BITMAPINFOHEADER)) return;
    BITMAPINFOHEADER format;
    std::memcpy(&format, block.data(), sizeof format);
    const TFrameFormatInfo* info = FindFrameFormat(format.biCompression, format.biBitCount);
    const int fw = format.biWidth, fh = format.biHeight;
    if (info == nullptr || fw <= 0 || fh <= 0 ||
        frame.Size < FrameImageSize(info->Format, fw, fh))
      return;
    const int w = FScale ? cw : std::min(cw, fw);
    const int h = FScale ? ch : std::min(ch, fh);
    if (FPreviewImage.Width() != w || FPreviewImage.Height() != h) FPreviewImage.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
      Byte* row = static_cast<Byte*>(FPreviewImage.ScanLine(y));
      const int sy = FScale ? int(std::int64_t(y) * fh / h) : y;
      for (int x = 0; x < w; ++x, row += 4) {
        const int sx = FScale ? int(std::int64_t(x) * fw / w) : x;
        ReadFramePixel(info->Format, frame.Data, frame.Size, fw, fh, sx, sy, row[2], row[1], row[0]);
        row[3] = 0;
      }
    }
    FPreviewImage.Modify();
    Invalidate();
  }

  HWND FHandle;
  std::unique_ptr<TCaptureDriver> FDriver;
  int FDriverIndex = -1;
  unsigned FDriverSerial = 0;  // counts the drivers connected
  CAPSTATUSCALLBACK FOnStatus = nullptr;
  CAPVIDEOCALLBACK FOnFrame = nullptr;
  bool FPreview = false;
  bool FScale = false;
  int FRateMs = kDefaultRateMs;
  TBitmap FPreviewImage;
  std::chrono::steady_clock::time_point FPreviewStart = std::chrono::steady_clock::now();
  std::string FReportedError;  // the error the status shows ("" when none)
  int FBusyDepth = 0;
  bool FDestroyPending = false;
};

TCaptureWindow* WindowOf(HWND handle) {
  auto it = Windows().find(handle);
  return it == Windows().end() ? nullptr : it->second;
}

}  // namespace

HWND capCreateCaptureWindowA(const char* WindowName, DWord Style, int X, int Y, int Width,
                             int Height, TWinControl* Parent, int /*Id*/) {
  if (Parent == nullptr || !(Style & WS_CHILD) || Width < 0 || Height < 0) return nullptr;
  auto* window = new TCaptureWindow();
  window->SetCaption(WindowName != nullptr ? WindowName : "");
  window->SetVisible((Style & WS_VISIBLE) != 0);
  window->SetBounds(X, Y, Width, Height);
  window->SetParent(Parent);
  return window->Handle();
}

LRESULT SendMessageA(HWND Window, UINT Message, WPARAM wParam, LPARAM lParam) {
  TCaptureWindow* window = WindowOf(Window);
  return window != nullptr ? window->Dispatch(Message, wParam, lParam) : 0;
}

bool DestroyWindow(HWND Window) {
  TCaptureWindow* window = WindowOf(Window);
  if (window == nullptr) return false;
  window->Destroy();
  return true;
}
