// The main window's construction: its layout, its controls and the table
// that gives each call slot its controls.
#include "app/Main.h"

#include "app/LayoutClasses.h"
#include "platform/base/Exceptions.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/Panel.h"
#include "platform/controls/Timer.h"
#include "platform/graphics/ImageList.h"
#include "platform/layout/LayoutHandlers.h"
#include "platform/layout/LayoutReader.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/UDPClient.h"
#include "platform/sockets/UDPServer.h"
#include "platform/sound/MediaPlayer.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

TfrmMain* frmMain = nullptr;

TfrmMain::TfrmMain(TComponent* AOwner, const std::string& LayoutName) : TForm(AOwner) {
  RegisterProgramLayoutClasses();
  TLayoutHandlers handlers;
  RegisterHandlers(handlers);
  LoadLayout(LayoutName, handlers);
  BindControls();
}

TfrmMain::~TfrmMain() {
  // Nothing that arrives from now on may reach the handlers or the list.
  FClosed = true;
  Destroying();
  udpServerMess->SetActive(false);
  udpServerVideo->SetActive(false);
  nmClient->SetOnDataReceived(nullptr);
  FreePeers();
  if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::BindControls() {
  auto bind = [this](const char* name, auto*& field) { BindLayoutComponent(this, name, field); };
  bind("SkPanel1", SkPanel1);
  bind("Image1", Image1);
  bind("Label3", Label3);
  bind("SkPanel3", SkPanel3);
  bind("btnSettings", btnSettings);
  bind("btnRefreshAll", btnRefreshAll);
  bind("btnRefresh", btnRefresh);
  bind("btnExit", btnExit);
  bind("Label1", Label1);
  bind("lblIPAddress", lblIPAddress);
  bind("SkPanel5", SkPanel5);
  bind("edt1", edt1);
  bind("edt2", edt2);
  bind("edt3", edt3);
  bind("edt4", edt4);
  bind("btnIP1", btnIP1);
  bind("btnIP2", btnIP2);
  bind("btnIP3", btnIP3);
  bind("btnIP4", btnIP4);
  bind("btnCall1", btnCall1);
  bind("btnCall2", btnCall2);
  bind("btnCall3", btnCall3);
  bind("btnCall4", btnCall4);
  bind("SkPanel4", SkPanel4);
  bind("SkPanel2", SkPanel2);
  bind("SkPanel6", SkPanel6);
  bind("SkPanel7", SkPanel7);
  bind("Image2", Image2);
  bind("Image3", Image3);
  bind("Image4", Image4);
  bind("Image5", Image5);
  bind("lbl1", lbl1);
  bind("lbl2", lbl2);
  bind("lbl3", lbl3);
  bind("lbl4", lbl4);
  bind("btnStop1", btnStop1);
  bind("btnStop2", btnStop2);
  bind("btnStop3", btnStop3);
  bind("btnStop4", btnStop4);
  bind("btnSnapShot1", btnSnapShot1);
  bind("btnSnapShot2", btnSnapShot2);
  bind("btnSnapShot3", btnSnapShot3);
  bind("btnSnapShot4", btnSnapShot4);
  bind("chk1", chk1);
  bind("chk2", chk2);
  bind("chk3", chk3);
  bind("chk4", chk4);
  bind("SkPanel8", SkPanel8);
  bind("pnlVideo", pnlVideo);
  Label4 = dynamic_cast<TLabel*>(FindComponent("Label4"));  // the wide layout's preview caption
  bind("lblVideo", lblVideo);
  bind("Label2", Label2);
  bind("edtMessage", edtMessage);
  bind("ListBox1", ListBox1);
  bind("Image6", Image6);
  bind("MediaPlayer1", MediaPlayer1);
  bind("udpClientMess", udpClientMess);
  bind("udpServerMess", udpServerMess);
  bind("udpClientVideo", udpClientVideo);
  bind("udpServerVideo", udpServerVideo);
  bind("nmClient", nmClient);
  bind("ImageList1", ImageList1);
  bind("Timer1", Timer1);
  bind("Timer22", Timer22);
  bind("Timer33", Timer33);
  bind("Timer44", Timer44);
  bind("Timer2", Timer2);
  bind("Timer3", Timer3);
  bind("Timer4", Timer4);
  bind("Timer5", Timer5);
  bind("tmrTimeOut1", tmrTimeOut1);
  bind("tmrTimeOut2", tmrTimeOut2);
  bind("tmrTimeOut3", tmrTimeOut3);
  bind("tmrTimeOut4", tmrTimeOut4);

  // The slots' design colours are the panels' colours as the layout gives them.
  FSlots[1] = {edt1, btnCall1, btnStop1, btnSnapShot1, btnIP1, chk1, lbl1, SkPanel4, SkPanel4->Color(),
               Image2, Timer1, Timer2, tmrTimeOut1};
  FSlots[2] = {edt2, btnCall2, btnStop2, btnSnapShot2, btnIP2, chk2, lbl2, SkPanel2, SkPanel2->Color(),
               Image3, Timer22, Timer3, tmrTimeOut2};
  FSlots[3] = {edt3, btnCall3, btnStop3, btnSnapShot3, btnIP3, chk3, lbl3, SkPanel6, SkPanel6->Color(),
               Image4, Timer33, Timer4, tmrTimeOut3};
  FSlots[4] = {edt4, btnCall4, btnStop4, btnSnapShot4, btnIP4, chk4, lbl4, SkPanel7, SkPanel7->Color(),
               Image5, Timer44, Timer5, tmrTimeOut4};
}

const TfrmMain::TCallSlot& TfrmMain::SlotControls(int Slot) const {
  if (Slot < 1 || Slot > SlotCount) throw ERangeError("Call slot " + std::to_string(Slot) + " does not exist");
  return FSlots[size_t(Slot)];
}

TPicture* TfrmMain::SlotPicture(int Slot) const { return SlotControls(Slot).Picture->Picture(); }
