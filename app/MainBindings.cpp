// The handler names the main window's layout binds, each a thin call into
// the logic that is written once for all four slots.
#include "app/Main.h"

#include "platform/layout/LayoutHandlers.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/UDPServer.h"

void TfrmMain::RegisterHandlers(TLayoutHandlers& Handlers) {
  auto notify = [this](void (TfrmMain::*handler)(TObject*)) {
    return TNotifyEvent([this, handler](TObject* sender) { (this->*handler)(sender); });
  };
  auto key = [this](void (TfrmMain::*handler)(TObject*, Word&, TShiftState)) {
    return TKeyEvent(
        [this, handler](TObject* sender, Word& k, TShiftState shift) { (this->*handler)(sender, k, shift); });
  };
  auto udpRead = [this](void (TfrmMain::*handler)(TObject*, TStream*, const std::string&, int)) {
    return TUDPReadEvent([this, handler](TObject* sender, TStream* data, const std::string& ip, int port) {
      (this->*handler)(sender, data, ip, port);
    });
  };

  Handlers.Add("FormCreate", notify(&TfrmMain::FormCreate));
  Handlers.Add("FormActivate", notify(&TfrmMain::FormActivate));
  Handlers.Add<TCloseEvent>("FormClose",
                            [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); });
  Handlers.Add("btnExitClick", notify(&TfrmMain::btnExitClick));
  Handlers.Add("btnRefreshClick", notify(&TfrmMain::btnRefreshClick));
  Handlers.Add("btnRefreshAllClick", notify(&TfrmMain::btnRefreshAllClick));
  Handlers.Add("btnSettingsClick", notify(&TfrmMain::btnSettingsClick));
  Handlers.Add("Label3Click", notify(&TfrmMain::Label3Click));
  Handlers.Add("Label3MouseEnter", notify(&TfrmMain::Label3MouseEnter));
  Handlers.Add("Label3MouseLeave", notify(&TfrmMain::Label3MouseLeave));

  Handlers.Add("btnCall1Click", notify(&TfrmMain::btnCall1Click));
  Handlers.Add("btnCall2Click", notify(&TfrmMain::btnCall2Click));
  Handlers.Add("btnCall3Click", notify(&TfrmMain::btnCall3Click));
  Handlers.Add("btnCall4Click", notify(&TfrmMain::btnCall4Click));
  Handlers.Add<TKeyEvent>("edt1KeyDown", key(&TfrmMain::edt1KeyDown));
  Handlers.Add<TKeyEvent>("edt2KeyDown", key(&TfrmMain::edt2KeyDown));
  Handlers.Add<TKeyEvent>("edt3KeyDown", key(&TfrmMain::edt3KeyDown));
  Handlers.Add<TKeyEvent>("edt4KeyDown", key(&TfrmMain::edt4KeyDown));
  Handlers.Add("Timer1Timer", notify(&TfrmMain::Timer1Timer));
  Handlers.Add("Timer22Timer", notify(&TfrmMain::Timer22Timer));
  Handlers.Add("Timer33Timer", notify(&TfrmMain::Timer33Timer));
  Handlers.Add("Timer44Timer", notify(&TfrmMain::Timer44Timer));
  Handlers.Add("Timer2Timer", notify(&TfrmMain::Timer2Timer));
  Handlers.Add("Timer3Timer", notify(&TfrmMain::Timer3Timer));
  Handlers.Add("Timer4Timer", notify(&TfrmMain::Timer4Timer));
  Handlers.Add("Timer5Timer", notify(&TfrmMain::Timer5Timer));
  Handlers.Add("tmrTimeOut1Timer", notify(&TfrmMain::tmrTimeOut1Timer));
  Handlers.Add("tmrTimeOut2Timer", notify(&TfrmMain::tmrTimeOut2Timer));
  Handlers.Add("tmrTimeOut3Timer", notify(&TfrmMain::tmrTimeOut3Timer));
  Handlers.Add("tmrTimeOut4Timer", notify(&TfrmMain::tmrTimeOut4Timer));
  Handlers.Add("btnStop1Click", notify(&TfrmMain::btnStop1Click));
  Handlers.Add("btnStop2Click", notify(&TfrmMain::btnStop2Click));
  Handlers.Add("btnStop3Click", notify(&TfrmMain::btnStop3Click));
  Handlers.Add("btnStop4Click", notify(&TfrmMain::btnStop4Click));
  Handlers.Add("btnIP1Click", notify(&TfrmMain::btnIP1Click));
  Handlers.Add("btnIP2Click", notify(&TfrmMain::btnIP2Click));
  Handlers.Add("btnIP3Click", notify(&TfrmMain::btnIP3Click));
  Handlers.Add("btnIP4Click", notify(&TfrmMain::btnIP4Click));
  Handlers.Add("btnSnapShot1Click", notify(&TfrmMain::btnSnapShot1Click));
  Handlers.Add("btnSnapShot2Click", notify(&TfrmMain::btnSnapShot2Click));
  Handlers.Add("btnSnapShot3Click", notify(&TfrmMain::btnSnapShot3Click));
  Handlers.Add("btnSnapShot4Click", notify(&TfrmMain::btnSnapShot4Click));
  Handlers.Add("chk1Click", notify(&TfrmMain::chk1Click));
  Handlers.Add("chk2Click", notify(&TfrmMain::chk2Click));
  Handlers.Add("chk3Click", notify(&TfrmMain::chk3Click));
  Handlers.Add("chk4Click", notify(&TfrmMain::chk4Click));

  Handlers.Add<TUDPReadEvent>("udpServerMessUDPRead", udpRead(&TfrmMain::udpServerMessUDPRead));
  Handlers.Add<TUDPReadEvent>("udpServerVideoUDPRead", udpRead(&TfrmMain::udpServerVideoUDPRead));
  Handlers.Add<TKeyEvent>("edtMessageKeyDown", key(&TfrmMain::edtMessageKeyDown));
  Handlers.Add<TDataReceivedEvent>(
      "nmClientDataReceived", [this](TComponent* sender, int count, const std::string& ip, int port) {
        nmClientDataReceived(sender, count, ip, port);
      });
  Handlers.Add<TDrawItemEvent>(
      "ListBox1DrawItem", [this](TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
        ListBox1DrawItem(control, index, rect, state);
      });
}

// ---- slot families: slot N's member of each family ----

void TfrmMain::ResetSlot1() { ResetSlot(1); }
void TfrmMain::ResetSlot2() { ResetSlot(2); }
void TfrmMain::ResetSlot3() { ResetSlot(3); }
void TfrmMain::ResetSlot4() { ResetSlot(4); }

void TfrmMain::btnCall1Click(TObject*) { CallClick(1); }
void TfrmMain::btnCall2Click(TObject*) { CallClick(2); }
void TfrmMain::btnCall3Click(TObject*) { CallClick(3); }
void TfrmMain::btnCall4Click(TObject*) { CallClick(4); }

void TfrmMain::edt1KeyDown(TObject*, Word& Key, TShiftState) { SlotKeyDown(1, Key); }
void TfrmMain::edt2KeyDown(TObject*, Word& Key, TShiftState) { SlotKeyDown(2, Key); }
void TfrmMain::edt3KeyDown(TObject*, Word& Key, TShiftState) { SlotKeyDown(3, Key); }
void TfrmMain::edt4KeyDown(TObject*, Word& Key, TShiftState) { SlotKeyDown(4, Key); }

void TfrmMain::Timer1Timer(TObject*) { RingTimeElapsed(1); }
void TfrmMain::Timer22Timer(TObject*) { RingTimeElapsed(2); }
void TfrmMain::Timer33Timer(TObject*) { RingTimeElapsed(3); }
void TfrmMain::Timer44Timer(TObject*) { RingTimeElapsed(4); }

void TfrmMain::Timer2Timer(TObject*) { BlinkSlotPanel(1); }
void TfrmMain::Timer3Timer(TObject*) { BlinkSlotPanel(2); }
void TfrmMain::Timer4Timer(TObject*) { BlinkSlotPanel(3); }
void TfrmMain::Timer5Timer(TObject*) { BlinkSlotPanel(4); }

void TfrmMain::tmrTimeOut1Timer(TObject*) { TimeOutElapsed(1); }
void TfrmMain::tmrTimeOut2Timer(TObject*) { TimeOutElapsed(2); }
void TfrmMain::tmrTimeOut3Timer(TObject*) { TimeOutElapsed(3); }
void TfrmMain::tmrTimeOut4Timer(TObject*) { TimeOutElapsed(4); }

void TfrmMain::btnStop1Click(TObject*) { StopClick(1); }
void TfrmMain::btnStop2Click(TObject*) { StopClick(2); }
void TfrmMain::btnStop3Click(TObject*) { StopClick(3); }
void TfrmMain::btnStop4Click(TObject*) { StopClick(4); }

void TfrmMain::btnIP1Click(TObject*) { AddressBookClick(1); }
void TfrmMain::btnIP2Click(TObject*) { AddressBookClick(2); }
void TfrmMain::btnIP3Click(TObject*) { AddressBookClick(3); }
void TfrmMain::btnIP4Click(TObject*) { AddressBookClick(4); }

void TfrmMain::btnSnapShot1Click(TObject*) { SnapShotClick(1); }
void TfrmMain::btnSnapShot2Click(TObject*) { SnapShotClick(2); }
void TfrmMain::btnSnapShot3Click(TObject*) { SnapShotClick(3); }
void TfrmMain::btnSnapShot4Click(TObject*) { SnapShotClick(4); }

void TfrmMain::chk1Click(TObject*) { IncludeClick(1); }
void TfrmMain::chk2Click(TObject*) { IncludeClick(2); }
void TfrmMain::chk3Click(TObject*) { IncludeClick(3); }
void TfrmMain::chk4Click(TObject*) { IncludeClick(4); }
