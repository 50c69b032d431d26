// Per preview frame: the frame into the frame buffer, the frame buffer into
// a picture, the picture into a JPEG, and the JPEG to every peer entry of the
// main window, with the quality stepping down by 5 at every failed send.
//
// The sending pumps window messages, so any handler may run in between:
// the main window, its peer list and the frame buffer are looked at anew
// after every pump, and nothing of the frame buffer is touched after the
// first one. A frame that arrives while another is inside such a pump is
// dropped, so two frames never share the send buffer.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

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

// ---- converting a frame while it is encoded
//
// Formats whose source rows stand alone, all of one length, are converted in
// stripes of rows, top of the picture first: a helper thread works down the
// picture one stripe ahead of the encoder, and the encoder converts any
// stripe the helper has not taken yet itself, so a helper that is late, busy
// elsewhere or missing costs time, never a frame. The frame goes on to
// anything else (loading the picture, message pumps, sending) only when
// every stripe is in the frame buffer, so nothing else ever sees the helper
// at work.

constexpr int kStripeRows = FrameJpegRowGroup;

// Bytes of one source row of a format whose rows stand alone; 0 for the
// planar formats, whose chroma rows serve several picture rows.
std::size_t StandAloneRowSize(Byte Code, int Width) {
  switch (Code) {
    case 2:  // YUY2
    case 3:  // UYVY
    case 4:  // Y41P
    case 7:  // Y8
    case 8:  // Y211
      return SourceFrameSize(Code, Width, 1);
    default:
      return 0;
  }
}

struct TStripeJob {
  Byte Code = 0;
  const Byte* Source = nullptr;
  std::size_t SourceRowSize = 0;
  Byte* Dest = nullptr;  // bottom-up 32-bit rows, Width * 4 bytes each
  int Width = 0;
  int Height = 0;
  int Stripes = 0;
};

// A stripe is a frame of its own of the same format: converting it on its
// own gives the very pixels the whole frame's conversion would.
void ConvertStripe(const TStripeJob& Job, int Stripe) {
  const int first = Stripe * kStripeRows;
  const int rows = std::min(kStripeRows, Job.Height - first);
  const Byte* source = Job.Source + std::size_t(first) * Job.SourceRowSize;
  Byte* dest = Job.Dest + std::size_t(Job.Height - first - rows) * std::size_t(Job.Width) * 4;
  switch (Job.Code) {
    case 2: ConvertYUY2(source, dest, Job.Width, rows); break;
    case 3: ConvertUYVY(source, dest, Job.Width, rows); break;
    case 4: ConvertY41P(source, dest, Job.Width, rows); break;
    case 7: ConvertY8(source, dest, Job.Width, rows); break;
    case 8: ConvertY211(source, dest, Job.Width, rows); break;
    default: break;
  }
}

class TStripeConverter {
 public:
  TStripeConverter() = default;
  TStripeConverter(const TStripeConverter&) = delete;
  TStripeConverter& operator=(const TStripeConverter&) = delete;
  ~TStripeConverter() {
    {
      std::lock_guard guard(FLock);
      FStop = true;
    }
    FWork.notify_all();
    if (FHelper.joinable()) FHelper.join();
  }

  void Begin(const TStripeJob& Job) {
    {
      std::lock_guard guard(FLock);
      if (FDoneCapacity < Job.Stripes) {
        FDone = std::make_unique<std::atomic<bool>[]>(std::size_t(Job.Stripes));
        FDoneCapacity = Job.Stripes;
      }
      for (int i = 0; i < Job.Stripes; ++i)
        FDone[std::size_t(i)].store(false, std::memory_order_relaxed);
      FJob = Job;
      FNext = 0;
    }
    StartHelper();
    FWork.notify_one();
  }

  // Returns once the top Rows rows of the picture are converted. While the
  // stripe it waits for is in the helper's hands, the caller converts
  // stripes nobody has taken; when there are none left it waits, spinning
  // first, since a stripe takes a few microseconds and a sleeping thread
  // takes far longer to wake.
  void NeedRows(int Rows) {
    const int last = std::min((Rows - 1) / kStripeRows, FJob.Stripes - 1);
    for (int stripe = 0; stripe <= last; ++stripe) {
      std::optional<std::chrono::steady_clock::time_point> spinningSince;
      while (!FDone[std::size_t(stripe)].load(std::memory_order_acquire)) {
        std::unique_lock lock(FLock);
        if (FNext < FJob.Stripes) {
          ConvertNext(lock);
          continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!spinningSince) spinningSince = now;
        if (now - *spinningSince < kSpinTime) {
          lock.unlock();
          Pause();
        } else {
          FStripeDone.wait(
              lock, [&] { return FDone[std::size_t(stripe)].load(std::memory_order_acquire); });
        }
      }
    }
  }

  // Every stripe converted; the job is over.
  void Finish() {
    NeedRows(FJob.Height);
    std::lock_guard guard(FLock);
    FJob.Stripes = 0;
  }

 private:
  static constexpr std::chrono::microseconds kSpinTime{200};

  static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
  }

  void StartHelper() {
    if (FHelperTried) return;
    FHelperTried = true;
    // On one processor a helper could only take turns with the encoder.
    if (std::thread::hardware_concurrency() == 1) return;
    try {
      FHelper = std::thread([this] { Help(); });
    } catch (const std::system_error&) {
      // No thread to be had: the encoder converts every stripe itself.
    }
  }

  void Help() {
    std::unique_lock lock(FLock);
    for (;;) {
      FWork.wait(lock, [this] { return FStop || FNext < FJob.Stripes; });
      if (FStop) return;
      ConvertNext(lock);
    }
  }

  // Takes the next stripe and converts it with the lock released.
  void ConvertNext(std::unique_lock<std::mutex>& Lock) {
    const int stripe = FNext++;
    const TStripeJob job = FJob;
    Lock.unlock();
    ConvertStripe(job, stripe);
    Lock.lock();
    FDone[std::size_t(stripe)].store(true, std::memory_order_release);
    FStripeDone.notify_all();
  }

  std::mutex FLock;
  std::condition_variable FWork;               // a stripe to take, or the end
  std::condition_variable FStripeDone;         // a stripe was converted
  TStripeJob FJob;                             // written by the encoder's thread only
  int FNext = 0;                               // the first stripe nobody has taken
  std::unique_ptr<std::atomic<bool>[]> FDone;  // per stripe of the job
  int FDoneCapacity = 0;
  bool FStop = false;
  bool FHelperTried = false;
  std::thread FHelper;
};

TStripeConverter& StripeConverter() {
  static TStripeConverter converter;
  return converter;
}

// The frame's pixels on their way into the frame buffer: copied, converted
// at once, or converted in stripes while the encoder reads them. Finish (or
// the end of the object) leaves the whole frame in the frame buffer.
class TFrameFill {
 public:
  TFrameFill() = default;
  TFrameFill(const TFrameFill&) = delete;
  TFrameFill& operator=(const TFrameFill&) = delete;
  ~TFrameFill() { Finish(); }

  // False drops the frame (nothing was written).
  bool Begin(const VIDEOHDR& Frame) {
    videocap::TModuleState& s = videocap::State();
    const BITMAPINFOHEADER format = videocap::FormatHeader();
    const std::size_t imageSize = videocap::FrameImageSize();
    switch (s.ConversionCode) {
      case 0: return false;
      case 1:
        // A frame shorter than the format says is not read beyond its end.
        if (Frame.dwBytesUsed < imageSize) return false;
        std::memcpy(s.FramePixels, Frame.lpData, imageSize);
        return true;
      default:
        if (BeginStripes(Frame, format.biWidth, format.biHeight, imageSize)) return true;
        return ConvertFrame(s.ConversionCode, Frame.lpData, Frame.dwBytesUsed, s.FramePixels,
                            imageSize, format.biWidth, format.biHeight);
    }
  }

  // Lets the encoder wait for the rows it reads (nothing when the frame is
  // already whole).
  void Attach(TFrameRows& Rows) {
    if (!FStriped) return;
    Rows.NeedRows = [](void* Context, int Count) {
      static_cast<TStripeConverter*>(Context)->NeedRows(Count);
    };
    Rows.Context = &StripeConverter();
  }

  void Finish() {
    if (!FStriped) return;
    FStriped = false;
    StripeConverter().Finish();
  }

 private:
  // Starts the striped conversion when the format allows it and the frame
  // is one ConvertFrame would take; false leaves it to ConvertFrame.
  bool BeginStripes(const VIDEOHDR& Frame, int Width, int Height, std::size_t DestSize) {
    videocap::TModuleState& s = videocap::State();
    const Byte code = s.ConversionCode;
    if (Width <= 0 || Height <= kStripeRows) return false;
    const std::size_t rowSize = StandAloneRowSize(code, Width);
    if (rowSize == 0 || Frame.lpData == nullptr || s.FramePixels == nullptr) return false;
    if (Frame.dwBytesUsed < SourceFrameSize(code, Width, Height)) return false;
    if (DestSize / 4 / std::size_t(Width) < std::size_t(Height)) return false;
    TStripeJob job;
    job.Code = code;
    job.Source = Frame.lpData;
    job.SourceRowSize = rowSize;
    job.Dest = s.FramePixels;
    job.Width = Width;
    job.Height = Height;
    job.Stripes = (Height + kStripeRows - 1) / kStripeRows;
    StripeConverter().Begin(job);
    FStriped = true;
    return true;
  }

  bool FStriped = false;
};

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
  TFrameFill fill;
  if (!fill.Begin(*Header)) return 1;

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
    fill.Attach(rows);
    length = EncodeFrameJpeg(rows, frmMain->FJpegQuality, videocap::JpegBuffer(), JpegBufferSize);
    fill.Finish();
  } else {
    fill.Finish();
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
