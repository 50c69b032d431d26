#pragma once
// The main window under test and a peer on loopback that talks to it over
// real UDP: the window's ports are the program's own (6770, 6772, 6767); what
// the window sends back goes to the peer's port, since the test points the
// window's control client and chat component there.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "platform/controls/Dialogs.h"

inline constexpr int ControlPort = 6770;
inline constexpr int VideoPort = 6772;
inline constexpr int ChatPort = 6767;

// Handles the window's messages until Done() holds or Timeout has passed.
bool PumpUntil(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::milliseconds(30000));
void PumpFor(std::chrono::milliseconds Time);

// For a stand-in name service, which runs on a look-up thread of its own:
// waits until Flag is set by the user-interface thread; false when a minute
// went by first (the test then fails instead of hanging).
bool AwaitFromLookUpThread(const std::atomic<bool>& Flag);

// A UDP socket bound to a free port of Address (any 127.x.y.z works on
// loopback, so several peers can have addresses of their own).
class TTestPeer {
 public:
  // Port 0: a free port.
  explicit TTestPeer(const std::string& Address = "127.0.0.1", int Port = 0);
  ~TTestPeer();
  TTestPeer(const TTestPeer&) = delete;
  TTestPeer& operator=(const TTestPeer&) = delete;

  const std::string& Address() const { return FAddress; }
  int Port() const { return FPort; }
  void SendTo(int Port, const void* Data, std::size_t Length);
  void SendTo(int Port, const std::string& Bytes) { SendTo(Port, Bytes.data(), Bytes.size()); }
  // The next datagram (its bytes), pumping the window's messages meanwhile;
  // false when none came within Timeout.
  bool Receive(std::string& Bytes, std::chrono::milliseconds Timeout = std::chrono::milliseconds(30000));
  // Datagrams that are waiting now, after the window has handled its messages for a while.
  std::vector<std::string> Drain(std::chrono::milliseconds Settle = std::chrono::milliseconds(150));

 private:
  std::string FAddress;
  int FHandle = -1;
  int FPort = 0;
};

// One of the two main-window layouts.
struct TLayoutCase {
  const char* Resource;  // embedded name
  const char* Program;   // the deliverable that has it
  bool Wide;
};
inline const TLayoutCase kCompactLayout{"frmMain.lay", "tamblin", false};
inline const TLayoutCase kWideLayout{"frmMain1024.lay", "tamblin1024", true};
std::string PrintLayout(const testing::TestParamInfo<TLayoutCase>& Info);
inline void PrintTo(const TLayoutCase& Case, std::ostream* Out) { *Out << Case.Program; }

// A main window per test, made from the layout of the parameter; the boxes
// it shows are recorded and answered. Settings.ini beside the test program
// is removed before and after each test.
class MainWindowTest : public testing::TestWithParam<TLayoutCase> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the window (OnCreate runs) and points its replies at Peer;
  // Start also shows it, which runs the start-up work. Unless told
  // otherwise, Start insists that the window got the program's ports (a
  // program outside the test holding one would make every later check fail).
  void Create();
  void Start(bool RequirePorts = true);
  // Sends Text to the control port and waits until the window handled it.
  void SendControl(TTestPeer& From, const std::string& Text);
  // Sends a datagram to Port and gives the window time to handle it.
  void SendAndSettle(TTestPeer& From, int Port, const std::string& Bytes);
  // Appends a peer entry as an answered call would.
  TParlink* AddEntry(const std::string& IP, int Slot);

  static std::string SettingsPath();
  void WriteSettings(const std::string& Text);
  bool WebcamBoxShown() const;

  std::unique_ptr<TMessageBoxCapture> Boxes;
  TfrmMain* Form = nullptr;
  TTestPeer Peer{"127.0.0.1"};
  int Flashes = 0;
};
