// Per preview frame: the frame into the frame buffer, the frame buffer into
// a picture, the picture into a JPEG, and the JPEG to every peer entry of the
// main window, with the quality stepping down by 5 at every failed send.
//
// The sending pumps window messages, so any handler may run in between:
// the main window, its peer list and the frame buffer are looked at anew
// after every pump, and nothing of the frame buffer is touched after the
// first one. A frame that arrives while another is inside such a pump is
// dropped, so two frames never share the send buffer.
#include <cstring>

#include "app/Main.h"
#include "app/Parlink.h"
#include "capture/FrameJpeg.h"
#include "capture/VideoCapState.h"
#include "capture/YUVConverts.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/sockets/UDPClient.h"

namespace {

constexpr int kQualityStep = 5;

struct TFrameGuard {
  TFrameGuard() { videocap::State().InFrame = true; }
  ~TFrameGuard() { videocap::State().InFrame = false; }
};

// Between the first message pump and the end of the sending, the main
// window holds "Stop" removals back; every way out of the frame ends that.
class TSendWindow {
 public:
  ~TSendWindow() {
    if (FForm != nullptr && FForm == frmMain) FForm->EndFrameSend();
  }
  void Begin() {
    FForm = frmMain;
    if (FForm != nullptr) FForm->BeginFrameSend();
  }
  // The frame has gone to every entry: the pending stops are carried out.
  void Finish() {
    TfrmMain* form = FForm;
    FForm = nullptr;
    if (form != nullptr && form == frmMain) form->CarryOutPendingStops();
  }

 private:
  TfrmMain* FForm = nullptr;
};

void ProcessMessages() {
  if (Application != nullptr) Application->ProcessMessages();
}

// Lowers the quality after a failed send; true when it has just reached 0,
// after the user has been told.
bool StepQualityDown() {
  if (frmMain == nullptr) return false;
  frmMain->FJpegQuality -= kQualityStep;
  if (frmMain->FJpegQuality != 0) return false;
  MessageDlg(SVideoFrameTooLarge, mtInformation, mbOK);
  return true;
}

// The frame's pixels into the frame buffer; false drops the frame.
bool FillFrameBuffer(const VIDEOHDR& frame) {
  videocap::TModuleState& s = videocap::State();
  const BITMAPINFOHEADER format = videocap::FormatHeader();
  const std::size_t imageSize = videocap::FrameImageSize();
  switch (s.ConversionCode) {
    case 0: return false;
    case 1:
      // A frame shorter than the format says is not read beyond its end.
      if (frame.dwBytesUsed < imageSize) return false;
      std::memcpy(s.FramePixels, frame.lpData, imageSize);
      return true;
    default:
      return ConvertFrame(s.ConversionCode, frame.lpData, frame.dwBytesUsed, s.FramePixels,
                          imageSize, format.biWidth, format.biHeight);
  }
}

// The picture loads the frame buffer; a buffer it cannot read is
// reported and the picture keeps what it had. False when the frame buffer
// went away while the warning was up.
bool LoadCaptureBitmap() {
  videocap::TModuleState& s = videocap::State();
  s.BitmapBehind = false;
  s.FrameStream->SetPosition(0);
  try {
    s.CaptureBitmap->LoadFromStream(s.FrameStream.get());
  } catch (const EInvalidGraphic&) {
    MessageDlg(SInvalidVideoFormat, mtWarning, mbOK);
    if (!FrameBuffersReady()) return false;
  }
  s.FrameStream->SetPosition(0);
  return true;
}

void SendToPeers(TSendWindow& sending) {
  const Byte* jpeg = videocap::JpegBuffer();
  const int length = int(videocap::State().JpegSize);
  for (int index = 0;; ++index) {
    ProcessMessages();
    if (frmMain == nullptr || !frmMain->FPeers) return;
    TParlink* entry = frmMain->FPeers->Items(index);
    if (entry == nullptr) break;
    frmMain->udpClientVideo->SetHost(entry->FIP);
    ProcessMessages();
    if (frmMain == nullptr) return;
    try {
      frmMain->udpClientVideo->SendBuffer(jpeg, length);
    } catch (const ESocketError&) {
      // The rest of this frame is skipped; its stops wait for the next one.
      if (StepQualityDown()) return;
    }
    ProcessMessages();
  }
  sending.Finish();
}

}  // namespace

LRESULT CaptureFrameCallback(HWND, VIDEOHDR* Header) {
  videocap::TModuleState& s = videocap::State();
  if (s.InFrame || !FrameBuffersReady() || Header == nullptr || Header->lpData == nullptr)
    return 1;
  TFrameGuard inFrame;
  if (!FillFrameBuffer(*Header)) return 1;

  // The working picture is as large as the driver's format;
  // plain 24- and 32-bit rows are what the picture would load, so those are
  // encoded straight from the frame buffer and the picture loads them only
  // when it is asked for.
  std::size_t length = 0;
  int width = 0, height = 0;
  TFrameRows rows;
  if (videocap::DirectRows(rows)) {
    s.BitmapBehind = true;
    if (frmMain == nullptr) return 1;
    width = rows.Width;
    height = rows.Height;
    length = EncodeFrameJpeg(rows, frmMain->FJpegQuality, videocap::JpegBuffer(), JpegBufferSize);
  } else {
    if (!LoadCaptureBitmap() || frmMain == nullptr) return 1;
    const BITMAPINFOHEADER format = videocap::FormatHeader();
    width = format.biWidth;
    height = format.biHeight < 0 ? -format.biHeight : format.biHeight;
    length = EncodeFrameJpeg(*s.CaptureBitmap, width, height, frmMain->FJpegQuality,
                             videocap::JpegBuffer(), JpegBufferSize);
  }

  // A JPEG larger than the send buffer counts as a failed send.
  const bool send = length > 0;
  if (send) {
    s.JpegSize = length;
  } else if (width > 0 && height > 0) {
    if (StepQualityDown()) return 1;
  } else {
    return 1;
  }

  TSendWindow sending;
  sending.Begin();
  ProcessMessages();
  if (send)
    SendToPeers(sending);
  else
    sending.Finish();
  return 1;
}
