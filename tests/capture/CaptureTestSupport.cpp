#include "CaptureTestSupport.h"

#include <cstring>
#include <thread>

#include "capture/VideoCap.h"
#include "platform/controls/Application.h"

bool TFakeDriver::Connect() {
  ++S->ConnectCalls;
  S->Connected = S->Connectable;
  return S->Connectable;
}

bool TFakeDriver::SetVideoFormat(const BITMAPINFOHEADER& Format) {
  S->FormatRequests.push_back(Format);
  if (!S->AcceptsFormat) return false;
  S->Format.assign(reinterpret_cast<const Byte*>(&Format),
                   reinterpret_cast<const Byte*>(&Format) + sizeof Format);
  return true;
}

bool TFakeDriver::GetCaptureParms(CAPTUREPARMS& Parms) {
  if (!S->ReportsParms) return false;
  Parms = S->Parms;
  return true;
}

bool TFakeDriver::SetCaptureParms(const CAPTUREPARMS& Parms) {
  if (!S->AcceptsParms) return false;
  S->Parms = Parms;
  S->ParmsSet = true;
  return true;
}

std::vector<TVideoFormatChoice> TFakeDriver::FormatChoices() {
  if (!S->FormatDialog) return {};
  return {{"Fake", 1, 1}, {"Fake", 2, 2}};
}

bool TFakeDriver::SelectFormatChoice(int) {
  ++S->FormatDialogs;
  if (!S->FormatAfterDialog.empty()) S->Format = S->FormatAfterDialog;
  return true;
}

std::vector<TVideoSourceControl> TFakeDriver::SourceControls() {
  if (!S->SourceDialog) return {};
  return {{1, "Brightness", sckInteger, 0, 10, 1, 5, 5, {}}};
}

bool TFakeDriver::GrabFrame(TCapturedFrame& Frame) {
  if (S->Frame.empty()) return false;
  ++S->Grabs;
  S->GrabTimes.push_back(std::chrono::steady_clock::now());
  Frame.Data = S->Frame.data();
  Frame.Size = S->Frame.size();
  return true;
}

std::vector<Byte> FormatBlock(DWord Compression, int Width, int Height, int BitCount,
                              DWord SizeImage, std::size_t Extra) {
  BITMAPINFOHEADER header{};
  header.biSize = DWord(sizeof header + Extra);
  header.biWidth = Width;
  header.biHeight = Height;
  header.biPlanes = 1;
  header.biBitCount = Word(BitCount);
  header.biCompression = Compression;
  header.biSizeImage = SizeImage;
  std::vector<Byte> block(sizeof header + Extra, 0xEE);
  std::memcpy(block.data(), &header, sizeof header);
  return block;
}

bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  const auto deadline = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    Application->ProcessMessages();
    if (Done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void CaptureTest::SetUp() {
  Boxes = std::make_unique<TMessageBoxCapture>();
  Form = new TForm(Application);
  Form->SetBounds(0, 0, 400, 300);
  Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Panel->SetBounds(10, 10, 160, 120);
  Status = new TLabel(Form);
  Status->SetParent(Form);
  Status->SetCaption("initial");
  SetCaptureDriverFactory([this](int index) -> std::unique_ptr<TCaptureDriver> {
    auto it = Drivers.find(index);
    if (it == Drivers.end()) return nullptr;
    return std::make_unique<TFakeDriver>(it->second);
  });
}

void CaptureTest::TearDown() {
  FreeFrameBuffers();
  AbortCapture();
  CloseCaptureDriver();
  SetCaptureDriverFactory(nullptr);
  delete Form;
  Application->ProcessMessages();
  Boxes.reset();
}

std::shared_ptr<TFakeDriverPlan> CaptureTest::Driver(int Index) {
  auto plan = std::make_shared<TFakeDriverPlan>();
  Drivers[Index] = plan;
  return plan;
}

bool CaptureTest::Open() {
  SetDisplayPanel(Panel);
  SetStatusLabel(Status);
  return OpenCaptureDriver();
}
