// The chat (port 6767): typed lines go to every included peer; received
// lines get their sender's slot digit and go to the top of the chat list,
// which draws each in a rounded box in its slot's colours.
#include <algorithm>
#include <vector>

#include "app/ChatLine.h"
#include "app/GradientFill.h"
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/controls/Edit.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Region.h"
#include "platform/sockets/MessageUDP.h"

namespace {

struct TChatColors {
  TColor Light, Dark, Text;
};

// Per slot 1 to 4; the dark colour is the slot panel's own.
constexpr TChatColors kChatColors[SlotCount + 1] = {
    {},
    {TColor(0xF7EEDF), TColor(0xDFBF9F), TColor(0xC08000)},
    {TColor(0xDDF5FF), TColor(0x5ED2FF), TColor(0x00729D)},
    {TColor(0xCCCCFF), TColor(0x6262FF), TColor(0x0000B3)},
    {TColor(0xE6F0E6), TColor(0xC0DCC0), TColor(0x3F693F)},
};
constexpr TColor kChatFrame = TColor(0xC5C5C5);
constexpr int kCorner = 15;

}  // namespace

void TfrmMain::SendChatMessage() {
  const std::string line = MakeChatLine(FCallerID, edtMessage->Text());
  // Sending processes no messages, so the list stays as it is meanwhile.
  for (int i = 0; FPeers && i < FPeers->Count(); ++i) {
    TParlink* entry = FPeers->Items(i);
    if (entry->FInclude == 0) continue;
    nmClient->SetRemoteHost(entry->FIP);
    nmClient->SendBuffer(line.data(), int(line.size()));
  }
  edtMessage->Clear();
  FocusChatInput();
}

void TfrmMain::edtMessageKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) SendChatMessage();
}

void TfrmMain::nmClientDataReceived(TComponent*, int NumberBytes, const std::string& FromIP, int) {
  if (Closed()) return;
  std::vector<Byte> bytes(ChatLineMaxBytes);
  const int count = nmClient->ReadBuffer(bytes.data(), std::min(NumberBytes, int(bytes.size())));
  const TParlink* sender = FPeers ? FPeers->FindByAddress(FromIP) : nullptr;
  const int slot = sender != nullptr ? sender->FSlot : ChatNoSlot;
  ListBox1->Items()->Insert(0, ChatItemFromDatagram(bytes.data(), size_t(std::max(count, 0)), slot));
}

void TfrmMain::ListBox1DrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
  TCanvas* canvas = ListBox1->Canvas();
  const std::string text = ListBox1->Items()->Strings(Index);
  const int slot = ChatItemSlot(text);
  if (slot >= 1 && slot <= SlotCount) {
    const TChatColors& colors = kChatColors[slot];
    TRegion region = CreateRoundRectRgn(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, kCorner, kCorner);
    canvas->SelectClipRgn(&region);
    canvas->Brush()->SetStyle(bsClear);
    GradientFillRect(canvas, Rect, 0, {colors.Light, colors.Light, colors.Dark});
    canvas->Pen()->SetColor(kChatFrame);
    canvas->RoundRect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1, kCorner, kCorner);
    canvas->SelectClipRgn(nullptr);
    canvas->Font()->SetColor(colors.Text);
  }
  canvas->FillRect(Rect);
  ImageList1->Draw(canvas, Rect.Left + 5, Rect.Top + 8, 0);
  TRect textRect = Bounds(Rect.Left + 35, Rect.Top + 4, Rect.Right - 40, Rect.Bottom);
  canvas->DrawText(text, textRect, DT_EDITCONTROL | DT_WORDBREAK);
}
