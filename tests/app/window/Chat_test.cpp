// The chat: sending to included peers, slot digits on receipt, the drawing.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/ChatLine.h"
#include "app/Parlink.h"
#include "platform/base/Streams.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Bitmap.h"
#include "platform/layout/Resources.h"

namespace {

using std::chrono::milliseconds;

class Chat : public MainWindowTest {
 protected:
  void SendLine(TTestPeer& From, const std::string& Bytes) {
    const int before = Form->ListBox1->Count();
    From.SendTo(ChatPort, Bytes);
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox1->Count() > before; }));
  }
};

TEST_P(Chat, ALineGoesToEveryIncludedPeerAndNotToTheOwnList) {
  Start();
  TTestPeer second("127.0.0.2", Peer.Port());
  AddEntry("127.0.0.1", 1);
  AddEntry("127.0.0.2", 2);
  Form->FCallerID = "Ann";
  Form->edtMessage->SetText("hello");
  Form->SendChatMessage();
  std::string got;
  ASSERT_TRUE(Peer.Receive(got));
  EXPECT_EQ(got, std::string("Ann <> hello\0", 13));
  ASSERT_TRUE(second.Receive(got));
  EXPECT_EQ(got, std::string("Ann <> hello\0", 13));
  EXPECT_EQ(Form->edtMessage->Text(), "");
  EXPECT_EQ(Form->ListBox1->Count(), 0);
}

TEST_P(Chat, EnterInTheInputSendsTheTypedLine) {
  Start();
  AddEntry("127.0.0.1", 1);
  Form->FCallerID = "Ann";
  Form->edtMessage->SetFocus();
  SimulateTyping("typed");
  SimulateKey(VK_RETURN);
  std::string got;
  ASSERT_TRUE(Peer.Receive(got));
  EXPECT_EQ(got, std::string("Ann <> typed\0", 13));
  EXPECT_EQ(Form->edtMessage->Text(), "");
  EXPECT_TRUE(Form->edtMessage->Focused());
}

TEST_P(Chat, UntickingIncludeStopsLinesToThatSlotButNotFromIt) {
  Start();
  TTestPeer second("127.0.0.2", Peer.Port());
  AddEntry("127.0.0.1", 1);
  AddEntry("127.0.0.2", 2);
  Form->chk2->SetEnabled(true);
  Form->chk2->SetChecked(true);
  Form->chk2->SetChecked(false);  // as the user's click: slot 2 leaves the chat
  EXPECT_EQ(Form->FPeers->Items(1)->FInclude, 0);
  EXPECT_EQ(Form->FPeers->Items(0)->FInclude, 1);
  Form->FCallerID = "Ann";
  Form->edtMessage->SetText("again");
  Form->SendChatMessage();
  std::string got;
  ASSERT_TRUE(Peer.Receive(got));
  EXPECT_TRUE(second.Drain().empty());
  // Lines from slot 2 still arrive.
  SendLine(second, MakeChatLine("Bob", "still here"));
  EXPECT_EQ(Form->ListBox1->Items()->Strings(0), "Bob <2> still here");
  // Ticking again takes the slot back in.
  Form->chk2->SetChecked(true);
  EXPECT_EQ(Form->FPeers->Items(1)->FInclude, 1);
}

TEST_P(Chat, WithNobodyIncludedNothingGoesOutAndTheInputIsCleared) {
  Start();
  AddEntry("127.0.0.1", 1)->SetInclude(0);
  Form->edtMessage->SetText("lost");
  Word key = VK_RETURN;
  Form->edtMessageKeyDown(Form->edtMessage, key, 0);
  EXPECT_EQ(Form->edtMessage->Text(), "");
  EXPECT_TRUE(Peer.Drain().empty());
  // An empty input still sends a line.
  Form->FPeers->Items(0)->SetInclude(1);
  Form->FCallerID = "Ann";
  Form->SendChatMessage();
  std::string got;
  ASSERT_TRUE(Peer.Receive(got));
  EXPECT_EQ(got, std::string("Ann <> \0", 8));
}

TEST_P(Chat, ReceivedLinesCarryTheSlotDigitNewestFirst) {
  Start();
  AddEntry("127.0.0.1", 3);
  SendLine(Peer, MakeChatLine("Ann", "hello"));
  SendLine(Peer, MakeChatLine("Ann", "second"));
  ASSERT_EQ(Form->ListBox1->Count(), 2);
  EXPECT_EQ(Form->ListBox1->Items()->Strings(0), "Ann <3> second");
  EXPECT_EQ(Form->ListBox1->Items()->Strings(1), "Ann <3> hello");
}

TEST_P(Chat, ALineFromAnAddressWithoutEntryNamesNoSlot) {
  Start();
  TTestPeer stranger("127.0.0.4");
  SendLine(stranger, MakeChatLine("Eve", "hi"));
  EXPECT_EQ(Form->ListBox1->Items()->Strings(0), "Eve <0> hi");
  Application->ProcessMessages();
  Form->GetFormImage();  // drawing it raises nothing
}

TEST_P(Chat, AnOverlongLineIsCutToTheChatBuffer) {
  Start();
  AddEntry("127.0.0.1", 1);
  std::string huge = std::string(3000, 'x') + " <> tail";
  SendLine(Peer, huge);
  const std::string item = Form->ListBox1->Items()->Strings(0);
  EXPECT_EQ(item.size(), ChatLineMaxBytes + 1);  // 2048 bytes and the digit
  EXPECT_EQ(item.substr(0, 5), "1xxxx");         // no "<" within them: the digit leads
}

// The pixels of one row of the chat list as the window shows them.
struct TRowPixels {
  std::unique_ptr<TBitmap> Image;
  TPoint Origin;
  int Width;
  TColor At(int X, int Y) const { return Image->Pixel(Origin.X + X, Origin.Y + Y); }
  bool HasNear(TColor Wanted, int Left, int Top, int Right, int Bottom, int Tolerance) const {
    for (int y = Top; y < Bottom; ++y)
      for (int x = Left; x < Right; ++x) {
        TColor c = At(x, y);
        if (std::abs(GetRValue(c) - GetRValue(Wanted)) <= Tolerance &&
            std::abs(GetGValue(c) - GetGValue(Wanted)) <= Tolerance &&
            std::abs(GetBValue(c) - GetBValue(Wanted)) <= Tolerance)
          return true;
      }
    return false;
  }
};

TEST_P(Chat, LinesAreDrawnInTheirSlotsColoursAndOthersInTheListsOwn) {
  Start();
  AddEntry("127.0.0.1", 3);
  TTestPeer stranger("127.0.0.4");
  SendLine(Peer, MakeChatLine("Ann", "from slot three"));
  SendLine(stranger, MakeChatLine("Eve", "from nowhere"));
  Application->ProcessMessages();
  // The rows start at the list's client area, inside its frame.
  TRowPixels rows{Form->GetFormImage(), Form->ListBox1->ClientOriginInForm(),
                  Form->ListBox1->ClientWidth()};
  const int mid = rows.Width / 2;

  // Row 1 (slot 3): light $CCCCFF in its upper half, shading to $6262FF.
  EXPECT_EQ(rows.At(mid, 40 + 3), TColor(0xCCCCFF));
  EXPECT_EQ(rows.At(mid, 40 + 20), TColor(0xCCCCFF));
  EXPECT_EQ(rows.At(mid, 40 + 37), RGB(0xFF, 109, 109));  // line 37 of the 40: 17/19 of the way
  EXPECT_EQ(rows.At(mid, 40 + 0), TColor(0xC5C5C5));     // the box's frame, top
  EXPECT_EQ(rows.At(mid, 40 + 38), TColor(0xC5C5C5));    // and bottom, one pixel in
  EXPECT_EQ(rows.At(mid, 40 + 39), TColor(0x6262FF));    // the gradient's last line
  EXPECT_TRUE(rows.HasNear(TColor(0x0000B3), 35, 44, rows.Width - 5, 78, 40));  // text colour
  EXPECT_FALSE(rows.HasNear(TColor(0xCE0000), 35, 44, rows.Width - 5, 78, 40));
  // The corner outside the rounded box keeps the list's white.
  EXPECT_EQ(rows.At(0, 40), clWhite);

  // Row 0 (no slot): no box, white ground, the list's font colour $CE0000.
  EXPECT_EQ(rows.At(mid, 3), clWhite);
  EXPECT_EQ(rows.At(mid, 38), clWhite);
  EXPECT_TRUE(rows.HasNear(TColor(0xCE0000), 35, 4, rows.Width - 5, 38, 40));

  // Both rows show the chat icon at (5, 8), its white left out.
  const std::string_view* icon = FindEmbeddedResource("chat_icon.bmp");
  ASSERT_NE(icon, nullptr);
  TMemoryStream stream;
  stream.WriteBuffer(icon->data(), int(icon->size()));
  stream.SetPosition(0);
  TBitmap chatIcon;
  chatIcon.LoadFromStream(&stream);
  EXPECT_EQ(rows.At(5 + 12, 8 + 9), chatIcon.Pixel(12, 9));
  EXPECT_EQ(rows.At(5 + 12, 40 + 8 + 9), chatIcon.Pixel(12, 9));
  ASSERT_EQ(chatIcon.Pixel(0, 0), clWhite);
  EXPECT_EQ(rows.At(5, 40 + 8), rows.At(4, 40 + 8));  // a white icon pixel shows the box behind
}

// The flat list's one-pixel frame is drawn in the window-frame colour
// (black), not in the list's font colour, on all four sides.
TEST_P(Chat, TheChatListsFlatFrameIsBlack) {
  Start();
  Application->ProcessMessages();
  std::unique_ptr<TBitmap> image = Form->GetFormImage();
  const TPoint origin = Form->ListBox1->ClientOriginInForm();
  const int w = Form->ListBox1->ClientWidth(), h = Form->ListBox1->ClientHeight();
  EXPECT_EQ(w, Form->ListBox1->Width() - 2);
  for (int x : {origin.X - 1, origin.X + w / 2, origin.X + w}) {
    EXPECT_EQ(image->Pixel(x, origin.Y - 1), clBlack) << "top, x " << x;
    EXPECT_EQ(image->Pixel(x, origin.Y + h), clBlack) << "bottom, x " << x;
  }
  for (int y : {origin.Y, origin.Y + h / 2, origin.Y + h - 1}) {
    EXPECT_EQ(image->Pixel(origin.X - 1, y), clBlack) << "left, y " << y;
    EXPECT_EQ(image->Pixel(origin.X + w, y), clBlack) << "right, y " << y;
  }
  EXPECT_EQ(image->Pixel(origin.X, origin.Y), clWhite);  // inside: the empty list's white
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, Chat, testing::Values(kCompactLayout, kWideLayout), PrintLayout);

}  // namespace
