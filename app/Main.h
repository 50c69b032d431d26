#pragma once
// TfrmMain: the main window. Four call slots, the control channel (port
// 6770), video receive (port 6772), the chat (port 6767), the peer list and
// the program's start-up and close. Its controls come from the layout; the
// two deliverables differ only in that layout.
//
// The work is split by concern: MainStartup.cpp (life of the window,
// settings, addresses, camera), CallSlots.cpp (the slot states and their
// handlers), ControlChannel.cpp (control datagrams), PeerEntries.cpp (the
// peer list operations), VideoReceive.cpp, Chat.cpp, and
// MainBindings.cpp (the layout's handler names, each a thin call into the
// slot-indexed logic).
//
// Everything runs on the user-interface thread. Handlers process pending
// window messages in the middle of their work, so any other handler may run
// at those points; FPeers is valid and every entry in it alive whenever that
// happens.
#include <array>
#include <memory>
#include <string>

#include "app/PeerList.h"
#include "platform/base/Types.h"
#include "platform/controls/Form.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/Messages.h"

class TCheckBox;
class TEdit;
class TImage;
class TImageList;
class TLayoutHandlers;
class TLabel;
class TMediaPlayer;
class TMessageUDP;
class TPanel;
class TPicture;
class TSkButton;
class TSkPanel;
class TStream;
class TTimer;
class TUDPClient;
class TUDPServer;

// Slots are numbered 1 to 4; per-slot arrays are indexed by that number.
inline constexpr int SlotCount = 4;
template <class T>
using TSlotArray = std::array<T, SlotCount + 1>;  // element 0 unused

// The embedded layout of the main window; each deliverable embeds its own
// under this name.
inline constexpr const char* MainLayoutName = "frmMain.lay";

class TfrmMain : public TForm {
 public:
  // Reads the main window's layout (LayoutName among the embedded files).
  explicit TfrmMain(TComponent* AOwner, const std::string& LayoutName = MainLayoutName);
  ~TfrmMain() override;

  // ---- controls (from the layout) ----
  TSkPanel* SkPanel1;  // header
  TImage* Image1;      // program icon
  TLabel* Label3;      // link
  TSkPanel* SkPanel3;  // tool bar
  TSkButton* btnSettings;
  TSkButton* btnRefreshAll;
  TSkButton* btnRefresh;
  TSkButton* btnExit;
  TLabel* Label1;
  TLabel* lblIPAddress;
  TSkPanel* SkPanel5;  // main panel
  TEdit* edt1;
  TEdit* edt2;
  TEdit* edt3;
  TEdit* edt4;
  TSkButton* btnIP1;
  TSkButton* btnIP2;
  TSkButton* btnIP3;
  TSkButton* btnIP4;
  TSkButton* btnCall1;
  TSkButton* btnCall2;
  TSkButton* btnCall3;
  TSkButton* btnCall4;
  TSkPanel* SkPanel4;  // slot 1
  TSkPanel* SkPanel2;  // slot 2
  TSkPanel* SkPanel6;  // slot 3
  TSkPanel* SkPanel7;  // slot 4
  TImage* Image2;
  TImage* Image3;
  TImage* Image4;
  TImage* Image5;
  TLabel* lbl1;
  TLabel* lbl2;
  TLabel* lbl3;
  TLabel* lbl4;
  TSkButton* btnStop1;
  TSkButton* btnStop2;
  TSkButton* btnStop3;
  TSkButton* btnStop4;
  TSkButton* btnSnapShot1;
  TSkButton* btnSnapShot2;
  TSkButton* btnSnapShot3;
  TSkButton* btnSnapShot4;
  TCheckBox* chk1;
  TCheckBox* chk2;
  TCheckBox* chk3;
  TCheckBox* chk4;
  TSkPanel* SkPanel8;  // preview frame
  TPanel* pnlVideo;    // hosts the capture window
  TLabel* Label4;      // "Zirer Preview" (wide layout only; nullptr in the compact one)
  TLabel* lblVideo;    // capture status
  TLabel* Label2;
  TEdit* edtMessage;
  TListBox* ListBox1;
  TImage* Image6;  // hidden placeholder picture
  TMediaPlayer* MediaPlayer1;
  TUDPClient* udpClientMess;
  TUDPServer* udpServerMess;
  TUDPClient* udpClientVideo;
  TUDPServer* udpServerVideo;
  TMessageUDP* nmClient;
  TImageList* ImageList1;
  TTimer* Timer1;  // ring timers of slots 1 to 4
  TTimer* Timer22;
  TTimer* Timer33;
  TTimer* Timer44;
  TTimer* Timer2;  // blink timers of slots 1 to 4
  TTimer* Timer3;
  TTimer* Timer4;
  TTimer* Timer5;
  TTimer* tmrTimeOut1;
  TTimer* tmrTimeOut2;
  TTimer* tmrTimeOut3;
  TTimer* tmrTimeOut4;

  // ---- shared state ----
  TSlotArray<Byte> FBusy{};        // dialing, ringing or in a call
  TSlotArray<Byte> FCanCall{};     // 1: "Chat" dials; 0: "Chat" answers a ringing call
  TSlotArray<Byte> FBlinkPhase{};  // ring blink phase of the slot panel
  TSlotArray<std::string> FPeerAddress;  // resolved address of the slot's outgoing call
  Byte FWebcamOk = 0;                    // the last camera start succeeded
  Integer FJpegQuality = 95;             // quality of outgoing frames (the video sender lowers it)
  // The connected peers; nullptr before the start-up and once the window
  // has closed. Look it up anew after every message pump.
  std::unique_ptr<TPeerList> FPeers;
  // A "Stop" whose entry has not left the list yet (see CarryOutPendingStops)
  // and the slot stopped last.
  Byte FStopPending = 0;
  Byte FStopSlot = 0;
  std::string FRingTone;        // sound file; empty: no tone
  Integer FRingTimeMs = 10000;  // ring time
  std::string FReplyMessage;    // sent when a call is refused or rings out
  std::string FCallerID;        // sent with calls and chat lines

  // ---- the video sender's side of "Stop" ----
  // Every stopped slot's entry leaves the list, the first entry of that
  // slot each. While a frame is being sent (between BeginFrameSend and
  // CarryOutPendingStops) a "Stop" only marks its slot; otherwise it takes
  // its entry out at once. The frame callback calls BeginFrameSend before it
  // first processes messages and CarryOutPendingStops after the frame has
  // gone to every entry (also when there are none); a frame that ends early
  // calls EndFrameSend, and its stops wait for the next frame.
  void BeginFrameSend();
  void CarryOutPendingStops();
  void EndFrameSend();

  // ---- peer list ----
  // Frees the first entry of Slot (nothing when there is none), then
  // processes pending messages.
  void RemovePeer(Byte Slot);
  // Frees every entry and the list (FPeers becomes nullptr).
  void FreePeers();
  // Processes pending messages, then sets the include flag of every entry of Slot.
  void SetIncludeForSlot(Byte Slot, Byte Value);

  // ---- start-up, settings, addresses, camera ----
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void LoadSettings();
  // The local host's address (the last its name resolves to), or empty.
  std::string GetLocalIPAddress();
  // A dotted address unchanged; a host name (or another numeric form) as
  // the first address it resolves to; raises ESocketError when it does not resolve.
  std::string ResolveAddress(const std::string& Host);
  void StartCapture();
  void InitWebcam();
  bool StartedUp() const { return FStartedUp; }
  // The four settings fields hold what LoadSettings read (or their
  // defaults), whatever it met; until then the settings window stays
  // closed, so that it can neither show nor save half-read values, and a
  // click on "Settings" opens it once they are in place.
  bool SettingsLoaded() const { return FSettingsLoaded; }

  // ---- tool bar and header ----
  void btnExitClick(TObject* Sender);
  void btnRefreshClick(TObject* Sender);
  void btnRefreshAllClick(TObject* Sender);
  void btnSettingsClick(TObject* Sender);
  void Label3Click(TObject* Sender);
  void Label3MouseEnter(TObject* Sender);
  void Label3MouseLeave(TObject* Sender);

  // ---- call slots (slot-indexed logic) ----
  void ResetCallSlots();
  void ResetSlot(int Slot);
  void CallClick(int Slot);  // "Chat": dial or answer
  void SlotKeyDown(int Slot, Word& Key);
  void RingTimeElapsed(int Slot);
  void BlinkSlotPanel(int Slot);
  void TimeOutElapsed(int Slot);
  void StopClick(int Slot);
  void AddressBookClick(int Slot);
  void SnapShotClick(int Slot);
  void IncludeClick(int Slot);

  // ---- named bindings of the layout (MainBindings.cpp) ----
  void ResetSlot1();
  void ResetSlot2();
  void ResetSlot3();
  void ResetSlot4();
  void btnCall1Click(TObject* Sender);
  void btnCall2Click(TObject* Sender);
  void btnCall3Click(TObject* Sender);
  void btnCall4Click(TObject* Sender);
  void edt1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edt2KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edt3KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edt4KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void Timer1Timer(TObject* Sender);
  void Timer22Timer(TObject* Sender);
  void Timer33Timer(TObject* Sender);
  void Timer44Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  void Timer3Timer(TObject* Sender);
  void Timer4Timer(TObject* Sender);
  void Timer5Timer(TObject* Sender);
  void tmrTimeOut1Timer(TObject* Sender);
  void tmrTimeOut2Timer(TObject* Sender);
  void tmrTimeOut3Timer(TObject* Sender);
  void tmrTimeOut4Timer(TObject* Sender);
  void btnStop1Click(TObject* Sender);
  void btnStop2Click(TObject* Sender);
  void btnStop3Click(TObject* Sender);
  void btnStop4Click(TObject* Sender);
  void btnIP1Click(TObject* Sender);
  void btnIP2Click(TObject* Sender);
  void btnIP3Click(TObject* Sender);
  void btnIP4Click(TObject* Sender);
  void btnSnapShot1Click(TObject* Sender);
  void btnSnapShot2Click(TObject* Sender);
  void btnSnapShot3Click(TObject* Sender);
  void btnSnapShot4Click(TObject* Sender);
  void chk1Click(TObject* Sender);
  void chk2Click(TObject* Sender);
  void chk3Click(TObject* Sender);
  void chk4Click(TObject* Sender);

  // ---- control channel ----
  void udpServerMessUDPRead(TObject* Sender, TStream* AData, const std::string& PeerIP, int PeerPort);

  // ---- video receive ----
  void udpServerVideoUDPRead(TObject* Sender, TStream* AData, const std::string& PeerIP, int PeerPort);

  // ---- chat ----
  void SendChatMessage();
  void edtMessageKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void nmClientDataReceived(TComponent* Sender, int NumberBytes, const std::string& FromIP, int Port);
  void ListBox1DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);

  // ---- one slot's controls, timers and design colour ----
  struct TCallSlot {
    TEdit* Edit = nullptr;
    TSkButton* Call = nullptr;
    TSkButton* Stop = nullptr;
    TSkButton* SnapShot = nullptr;
    TSkButton* AddressBook = nullptr;
    TCheckBox* Include = nullptr;
    TLabel* Status = nullptr;
    TSkPanel* Panel = nullptr;
    TColor PanelColor = 0;
    TImage* Picture = nullptr;
    TTimer* Ring = nullptr;
    TTimer* Blink = nullptr;
    TTimer* TimeOut = nullptr;
  };
  // Slot 1 to 4; anything else raises ERangeError.
  const TCallSlot& SlotControls(int Slot) const;
  // The picture of the slot's image control (what the slot's entries show frames in).
  TPicture* SlotPicture(int Slot) const;

 private:
  void BindControls();
  void RegisterHandlers(TLayoutHandlers& Handlers);
  void StartUp();
  void OpenReceivers();
  void ReleaseCamera();
  void Dial(int Slot);
  void Answer(int Slot);
  void StartRingTone();
  void StopRingTone();
  // The first slot (1 to 4) whose outgoing call goes to PeerIP, or 0.
  int SlotDialing(const std::string& PeerIP) const;
  void CallRequestReceived(const std::string& CallerID, const std::string& PeerIP);
  void CallAcceptReceived(const std::string& PeerIP);
  void CallReplyReceived(const std::string& Text, const std::string& PeerIP);
  void SendControlText(const std::string& Host, const std::string& Text);
  void FocusChatInput();
  // Datagrams and peer-list work are dropped from the close on.
  bool Closed() const { return FClosed || IsDestroying(); }

  TSlotArray<TCallSlot> FSlots;
  TSlotArray<bool> FStopMarked{};  // slots whose entry is still to leave the list
  // Moves on whenever a slot is reset or dialed anew. A dial's look-up
  // processes messages; the dial goes on afterwards only when the slot is
  // still in the round that dial began, so a reset (time-out, "Stop",
  // "Refresh All") meanwhile ends it without a trace.
  TSlotArray<unsigned> FSlotRound{};
  int FFrameSends = 0;             // frames being sent right now (nested pumps)
  bool FStartedUp = false;
  bool FSettingsLoaded = false;
  bool FSettingsAsked = false;  // "Settings" pressed before they were loaded
  bool FClosed = false;
};

// The one main window of the run.
extern TfrmMain* frmMain;
