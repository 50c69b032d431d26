#pragma once
// Capture drivers made to order for the tests, installed as drivers 0 to 9,
// and a form with the display panel and status label the camera uses.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/controls/Dialogs.h"
#include "platform/controls/Form.h"
#include "platform/controls/Label.h"
#include "platform/controls/Panel.h"
#include "platform/videodriver/CaptureDriver.h"

// What a fake driver does, and what was done to it.
struct TFakeDriverPlan {
  bool Connectable = true;
  bool ReportsParms = true;
  bool AcceptsParms = true;
  bool AcceptsFormat = false;  // takes a format asked for by message
  bool SourceDialog = false;
  bool FormatDialog = false;
  std::vector<Byte> Format;  // the format block; empty: none
  std::vector<Byte> Frame;   // every grab delivers it
  // The format block after a choice in its format dialog.
  std::vector<Byte> FormatAfterDialog;

  int ConnectCalls = 0;
  bool Connected = false;
  bool ParmsSet = false;
  CAPTUREPARMS Parms{12345, 0, 0, 99, 1, 1, 1, 1};
  std::vector<BITMAPINFOHEADER> FormatRequests;
  int FormatDialogs = 0;
  int Grabs = 0;
  std::vector<std::chrono::steady_clock::time_point> GrabTimes;
};

class TFakeDriver : public TCaptureDriver {
 public:
  explicit TFakeDriver(std::shared_ptr<TFakeDriverPlan> Plan) : S(std::move(Plan)) {}
  std::string Name() const override { return "Fake"; }
  std::string Version() const override { return "1"; }
  bool Connect() override;
  void Disconnect() override { S->Connected = false; }
  std::vector<Byte> VideoFormat() const override { return S->Format; }
  bool SetVideoFormat(const BITMAPINFOHEADER& Format) override;
  bool GetCaptureParms(CAPTUREPARMS& Parms) override;
  bool SetCaptureParms(const CAPTUREPARMS& Parms) override;
  std::vector<TVideoFormatChoice> FormatChoices() override;
  int CurrentFormatChoice() override { return 0; }
  bool SelectFormatChoice(int Index) override;
  std::vector<TVideoSourceControl> SourceControls() override;
  void SetSourceControl(std::uint32_t, int) override {}
  bool StartStreaming() override { return true; }
  void StopStreaming() override {}
  bool GrabFrame(TCapturedFrame& Frame) override;
  void ReleaseFrame(TCapturedFrame& Frame) override { Frame = TCapturedFrame{}; }

 private:
  std::shared_ptr<TFakeDriverPlan> S;
};

// A format block: a bitmap header, then Extra bytes of 0xEE.
std::vector<Byte> FormatBlock(DWord Compression, int Width, int Height, int BitCount,
                              DWord SizeImage, std::size_t Extra = 0);
constexpr DWord FourCC(char a, char b, char c, char d) { return MakeFourCC(a, b, c, d); }

// Handles messages until Done() holds or Timeout has passed.
bool PumpUntil(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::milliseconds(30000));

// A form with the camera's panel and label, the drivers of Plans installed
// as driver indexes, and every box recorded. The camera is released after
// each test.
class CaptureTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Installs Plan as driver Index.
  std::shared_ptr<TFakeDriverPlan> Driver(int Index);
  // Sets the panel and label and opens the capture window.
  bool Open();

  std::map<int, std::shared_ptr<TFakeDriverPlan>> Drivers;
  std::unique_ptr<TMessageBoxCapture> Boxes;
  TForm* Form = nullptr;
  TPanel* Panel = nullptr;
  TLabel* Status = nullptr;
};
