#include "WindowTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "app/Parlink.h"
#include "platform/base/StringList.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/Shell.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/UDPClient.h"
#include "platform/sockets/UDPServer.h"

bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  auto deadline = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    Application->ProcessMessages();
    if (Done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void PumpFor(std::chrono::milliseconds Time) {
  PumpUntil([] { return false; }, Time);
}

bool AwaitFromLookUpThread(const std::atomic<bool>& Flag) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!Flag) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TTestPeer::TTestPeer(const std::string& Address, int Port) : FAddress(Address) {
  FHandle = socket(AF_INET, SOCK_DGRAM, 0);
  if (FHandle < 0) throw std::runtime_error("socket");
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, Address.c_str(), &local.sin_addr);
  local.sin_port = htons(std::uint16_t(Port));
  if (bind(FHandle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
    throw std::runtime_error("bind " + Address);
  socklen_t size = sizeof local;
  getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size);
  FPort = ntohs(local.sin_port);
}

TTestPeer::~TTestPeer() { close(FHandle); }

void TTestPeer::SendTo(int Port, const void* Data, std::size_t Length) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(std::uint16_t(Port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  if (sendto(FHandle, Data, Length, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
    throw std::runtime_error("sendto");
}

bool TTestPeer::Receive(std::string& Bytes, std::chrono::milliseconds Timeout) {
  std::vector<char> buffer(70000);
  return PumpUntil(
      [&] {
        ssize_t n = recv(FHandle, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n < 0) return false;
        Bytes.assign(buffer.data(), size_t(n));
        return true;
      },
      Timeout);
}

std::vector<std::string> TTestPeer::Drain(std::chrono::milliseconds Settle) {
  PumpFor(Settle);
  std::vector<std::string> all;
  std::vector<char> buffer(70000);
  for (;;) {
    ssize_t n = recv(FHandle, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n < 0) break;
    all.emplace_back(buffer.data(), size_t(n));
  }
  return all;
}

std::string PrintLayout(const testing::TestParamInfo<TLayoutCase>& Info) {
  return Info.param.Wide ? "Wide" : "Compact";
}

void MainWindowTest::SetUp() {
  DeleteFile(SettingsPath());
  Boxes = std::make_unique<TMessageBoxCapture>();
  SetFlashObserver([this](TWinControl*) { ++Flashes; });
}

void MainWindowTest::TearDown() {
  delete Form;
  Form = nullptr;
  frmMain = nullptr;
  Application->ProcessMessages();
  Boxes.reset();
  SetFlashObserver(nullptr);
  SetHostResolver(nullptr);
  DeleteFile(SettingsPath());
}

void MainWindowTest::Create() {
  Form = new TfrmMain(Application, GetParam().Resource);
  frmMain = Form;
  Form->AfterConstruction();
  Form->udpClientMess->SetPort(Peer.Port());
  Form->nmClient->SetRemotePort(Peer.Port());
}

void MainWindowTest::Start(bool RequirePorts) {
  Create();
  Form->Show();
  ASSERT_TRUE(PumpUntil([this] { return Form->StartedUp() && Form->FPeers != nullptr; }));
  Application->ProcessMessages();
  if (RequirePorts) {
    ASSERT_TRUE(Form->udpServerMess->Active() && Form->udpServerVideo->Active())
        << "ports 6770/6772 are held by another program";
  }
}

void MainWindowTest::SendControl(TTestPeer& From, const std::string& Text) { SendAndSettle(From, ControlPort, Text); }

void MainWindowTest::SendAndSettle(TTestPeer& From, int Port, const std::string& Bytes) {
  From.SendTo(Port, Bytes);
  PumpFor(std::chrono::milliseconds(150));
}

TParlink* MainWindowTest::AddEntry(const std::string& IP, int Slot) {
  auto* entry = new TParlink(IP, Form->SlotPicture(Slot), Byte(Slot));
  Form->FPeers->Add(entry);
  return entry;
}

std::string MainWindowTest::SettingsPath() { return ExecutableDir() + "Settings.ini"; }

void MainWindowTest::WriteSettings(const std::string& Text) {
  TStringList lines;
  lines.SetText(Text);
  lines.SaveToFile(SettingsPath());
}

bool MainWindowTest::WebcamBoxShown() const {
  for (const TMessageBox& box : Boxes->Boxes())
    if (box.Text == "WebCam not found. Please check webcam settings." && box.Kind == mtError &&
        box.Buttons == mbOK)
      return true;
  return false;
}
