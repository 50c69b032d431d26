#pragma once
// The camera of a benchmark's main window: the virtual camera's YUY2 picture
// at Width x Height, its capture window in a panel of its own, the driver
// open and the frame buffers laid out. SendFrame runs one frame through the
// program's own frame callback (conversion, JPEG, every peer entry).
#include <cstddef>
#include <optional>
#include <vector>

#include "app/Main.h"
#include "capture/VideoCap.h"
#include "platform/controls/Application.h"
#include "platform/controls/Form.h"
#include "platform/controls/Panel.h"
#include "platform/videodriver/VirtualCamera.h"

class TVirtualCameraRig {
 public:
  TVirtualCameraRig(int Width, int Height) {
    TVirtualCameraSettings camera;
    camera.Format = fpYUY2;
    camera.Width = Width;
    camera.Height = Height;
    SetVirtualCameraOverride(camera);
    Frame = MakeVirtualCameraFrame(camera, 7);
    FHost = new TForm(Application);
    auto* panel = new TPanel(FHost);
    panel->SetParent(FHost);
    panel->SetBounds(0, 0, 160, 120);
    SetDisplayPanel(panel);
    SetStatusLabel(nullptr);
    OpenCaptureDriver();
    InitFrameBuffers();
  }
  TVirtualCameraRig(const TVirtualCameraRig&) = delete;
  TVirtualCameraRig& operator=(const TVirtualCameraRig&) = delete;
  ~TVirtualCameraRig() { Close(); }

  // The camera released, before the main window that its frames went to.
  void Close() {
    if (FHost == nullptr) return;
    FreeFrameBuffers();
    AbortCapture();
    CloseCaptureDriver();
    delete FHost;
    FHost = nullptr;
    SetVirtualCameraOverride(std::nullopt);
  }

  void SendFrame() {
    VIDEOHDR header{};
    header.lpData = Frame.data();
    header.dwBufferLength = header.dwBytesUsed = DWord(Frame.size());
    CaptureFrameCallback(CaptureWindowHandle(), &header);
  }

  // Frames sent at the sender's own steps of quality, from 95 down, until
  // one fits in a datagram of Largest bytes: the quality it took.
  int SendFittingFrame(TfrmMain& Main, std::size_t Largest) {
    for (int quality = 95;; quality -= 5) {
      Main.FJpegQuality = quality;
      SendFrame();
      if (LastJpegSize() <= Largest || quality <= 5) return quality;
    }
  }

  std::vector<Byte> Frame;  // one frame of the camera, as the driver hands it over

 private:
  TForm* FHost = nullptr;
};
