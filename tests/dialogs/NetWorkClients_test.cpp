// The network clients window over a fake network: the depth-first walk and
// its four lines per server, containers that fail, the buffer grown for a
// large entry, the wait window around every scan, and the contacts added.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/IP.h"
#include "dialogs/NetWorkClients.h"
#include "dialogs/PageExport.h"
#include "platform/base/MainThread.h"
#include "platform/base/StringList.h"
#include "platform/base/Strings.h"
#include "platform/controls/Application.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/SpeedButton.h"
#include "platform/netbrowse/NetBrowseSeam.h"
#include "platform/sockets/HostLookup.h"
#include "widgets/gx/GIFCtrl.h"
#include "widgets/gx/GxGIFImage.h"
#include "widgets/sk/SkButton.h"

namespace {

TNetResourceEntry Container(DWord DisplayType, const std::string& Name, const std::string& Comment = "") {
  TNetResourceEntry e;
  e.DisplayType = DisplayType;
  e.Usage = RESOURCEUSAGE_CONTAINER;
  e.RemoteName = Name;
  e.Comment = Comment;
  e.Provider = "Fake Network";
  return e;
}

TNetResourceEntry Server(const std::string& Name, const std::string& Comment = "") {
  return Container(RESOURCEDISPLAYTYPE_SERVER, "\\\\" + Name, Comment);
}

TNetResourceEntry Share(const std::string& Path) {
  TNetResourceEntry e;
  e.Type = RESOURCETYPE_DISK;
  e.DisplayType = RESOURCEDISPLAYTYPE_SHARE;
  e.Usage = RESOURCEUSAGE_CONNECTABLE;
  e.RemoteName = Path;
  return e;
}

std::vector<std::string> Lines(TStrings* Strings) {
  std::vector<std::string> lines;
  for (int i = 0; i < Strings->Count(); ++i) lines.push_back(Strings->Strings(i));
  return lines;
}

std::vector<std::string> FourLines(const std::string& Comment, const std::string& Remote) {
  return {"Computer Name: " + Comment, "Host Name and Connection Path: " + Remote,
          "Network Provider: Fake Network", ""};
}

class NetworkClientsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frmIP = new TfrmIP(Application);
    frmExport = new TfrmExport(Application);
    frmNetworkClients = Form = new TfrmNetworkClients(Application);
    // The network is asked on a thread of its own: what touches windows is
    // handed to the user-interface thread, which processes messages meanwhile.
    SetNetBrowseSeam({[this](const NETRESOURCE* parent, std::vector<TNetResourceEntry>& out) {
      const std::string key = parent ? (parent->lpRemoteName ? parent->lpRemoteName : "?") : "";
      Opened.push_back(key);
      Synchronize([this] { WaitWindowShown.push_back(frmExport->Visible()); });
      if (DuringScan) Synchronize(std::exchange(DuringScan, nullptr));
      auto it = Network.find(key);
      if (it == Network.end()) return ERROR_NO_NETWORK;
      out = it->second;
      return NO_ERROR;
    }});
  }
  void TearDown() override {
    SetNetBrowseSeam({});
    SetHostResolver({});
    delete Form;
    delete frmExport;
    delete frmIP;
  }

  std::map<std::string, std::vector<TNetResourceEntry>> Network;
  std::vector<std::string> Opened;
  std::vector<bool> WaitWindowShown;
  std::function<void()> DuringScan;  // runs once inside the next enumeration
  TfrmNetworkClients* Form = nullptr;
};

TEST_F(NetworkClientsTest, ShowingScansDepthFirstListingOnlyServers) {
  Network[""] = {Container(RESOURCEDISPLAYTYPE_DOMAIN, "WORKGROUP"),
                 Container(RESOURCEDISPLAYTYPE_DOMAIN, "BROKEN"),
                 Container(RESOURCEDISPLAYTYPE_DOMAIN, "OFFICE")};
  Network["WORKGROUP"] = {Server("ALPHA", "Alpha box"), Server("BETA"), Share("\\\\LOOSE\\share")};
  Network["\\\\ALPHA"] = {Share("\\\\ALPHA\\docs")};
  Network["\\\\BETA"] = {};  // empty: enumeration says "no more items"
  Network["OFFICE"] = {Server("GAMMA", "Gamma")};  // BROKEN and \\GAMMA cannot be opened

  Form->Show();

  std::vector<std::string> expected;
  for (auto part : {FourLines("Alpha box", "\\\\ALPHA"), FourLines("", "\\\\BETA"),
                    FourLines("Gamma", "\\\\GAMMA")})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(Lines(Form->ListBox1->Items()), expected);
  EXPECT_EQ(Opened, (std::vector<std::string>{"", "WORKGROUP", "\\\\ALPHA", "\\\\BETA", "BROKEN",
                                              "OFFICE", "\\\\GAMMA"}));
  for (bool shown : WaitWindowShown) EXPECT_TRUE(shown);
  EXPECT_FALSE(frmExport->Visible());
  Form->Hide();
}

TEST_F(NetworkClientsTest, RefreshClearsAndScansAgainUnderTheWaitWindow) {
  Network[""] = {Server("OLD")};
  Form->Show();
  ASSERT_EQ(Form->ListBox1->Items()->Count(), 4);

  Network[""] = {Server("NEW1"), Server("NEW2")};
  WaitWindowShown.clear();
  Form->SpeedButton1Click(Form->SpeedButton1);
  std::vector<std::string> lines = Lines(Form->ListBox1->Items());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "Host Name and Connection Path: \\\\NEW1");
  EXPECT_EQ(lines[5], "Host Name and Connection Path: \\\\NEW2");
  ASSERT_FALSE(WaitWindowShown.empty());
  EXPECT_TRUE(WaitWindowShown.front());
  EXPECT_FALSE(frmExport->Visible());
  EXPECT_EQ(Form->ListBox1->Items()->UpdateCount(), 0);

  // A click on the refresh button while the scan hands on messages does not
  // start a second walk inside the first.
  DuringScan = [this] { Form->SpeedButton1Click(Form->SpeedButton1); };
  Opened.clear();
  Form->SpeedButton1Click(Form->SpeedButton1);
  EXPECT_EQ(Opened.size(), 3u);  // the root and the two servers, once each
  EXPECT_EQ(Form->ListBox1->Items()->Count(), 8);
  EXPECT_FALSE(frmExport->Visible());

  // No network at all: the list is left empty, without a message.
  Network.clear();
  Form->SpeedButton1Click(Form->SpeedButton1);
  EXPECT_EQ(Form->ListBox1->Items()->Count(), 0);
  EXPECT_FALSE(frmExport->Visible());
  Form->Hide();
}

TEST_F(NetworkClientsTest, ABatchIsGrownForALargeEntryAndOnlyTheFirstBatchIsRead) {
  const std::string longComment(20000, 'x');  // does not fit in 16384 bytes
  Network[""] = {Server("BIG", longComment)};
  TStringList target;
  Form->ListNetworkServers(RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SERVER, &target);
  ASSERT_EQ(target.Count(), 4);
  EXPECT_EQ(target.Strings(0), "Computer Name: " + longComment);

  for (int i = 0; i < 1000; ++i) Network[""].push_back(Server("PC" + std::to_string(i)));
  TNetResourceBlock block;
  DWord count = 0;
  ASSERT_TRUE(Form->EnumNetResources(RESOURCETYPE_DISK, nullptr, block, count));
  EXPECT_EQ(count, 1u);  // the grown buffer holds the big entry and no more
  Network[""].erase(Network[""].begin());
  ASSERT_TRUE(Form->EnumNetResources(RESOURCETYPE_DISK, nullptr, block, count));
  EXPECT_GT(count, 0u);
  EXPECT_LT(count, 1000u);
  EXPECT_EQ(std::string(block.Entries()[0].lpRemoteName), "\\\\PC0");

  // An entry asking for more than any real one would is not believed.
  Network[""] = {Server("HUGE", std::string(17 << 20, 'x'))};
  EXPECT_FALSE(Form->EnumNetResources(RESOURCETYPE_DISK, nullptr, block, count));
  EXPECT_EQ(count, 0u);
}

TEST_F(NetworkClientsTest, WindowsAreLaidOutAsDesigned) {
  Network[""] = {Server("ALPHA", "Alpha box")};
  Form->Show();
  EXPECT_EQ(Form->ClientWidth(), 655);
  EXPECT_EQ(Form->ClientHeight(), 375);
  EXPECT_EQ(Form->Caption(), "Online Network Clients");
  EXPECT_EQ(frmExport->Caption(), "Searching For Network Clients...");
  EXPECT_EQ(frmExport->lblStatus->Caption(), "Searching...");
  // The spinner: twelve 32 by 32 frames of 100 ms, started at the first
  // frame although the layout names frame 3 before the picture.
  TGxGIFAnimator* spinner = frmExport->GxGIFAnimator1;
  ASSERT_EQ(spinner->Image()->FrameCount(), 12);
  EXPECT_EQ(spinner->Image()->LogicalWidth(), 32);
  EXPECT_EQ(spinner->Image()->LogicalHeight(), 32);
  EXPECT_EQ(spinner->FrameDelayMs(), 100u);
  EXPECT_TRUE(spinner->Animate());
  EXPECT_TRUE(spinner->AsyncDrawing());
  EXPECT_TRUE(spinner->Center());
  EXPECT_EQ(Form->SpeedButton1->Hint(), "Refresh List");
  EXPECT_EQ(Form->ListBox1->ItemHeight(), 19);
  Form->Hide();
}

TEST_F(NetworkClientsTest, AddPutsEachHostInTheAddressBookOnceAndCloses) {
  SetHostResolver([](const std::string& name) -> std::vector<std::string> {
    if (name == "ALPHA") return {"10.0.0.1", "10.0.0.2"};
    if (name == "GAMMA") return {"10.0.0.9"};
    if (name == "DELTA") return {"10.0.0.4"};
    return {};
  });
  frmIP->AddContact("Manual", "10.0.0.9");
  frmIP->AddContact("ByName", "DELTA");  // a name, not the address: does not count
  Network[""] = {Container(RESOURCEDISPLAYTYPE_DOMAIN, "A"), Container(RESOURCEDISPLAYTYPE_DOMAIN, "B")};
  Network["A"] = {Server("ALPHA"), Server("beta"), Server("GAMMA")};
  Network["B"] = {Server("ALPHA"), Server("DELTA"), Server("")};
  Form->Show();
  ASSERT_EQ(Form->ListBox1->Items()->Count(), 24);
  EXPECT_TRUE(Form->ContactExists("10.0.0.9"));
  EXPECT_FALSE(Form->ContactExists("10.0.0"));

  Form->btnAddClick(Form->btnAdd);

  EXPECT_EQ(Lines(frmIP->ListBox1->Items()),
            (std::vector<std::string>{"ALPHA <10.0.0.1>", "beta <beta>", "ByName <DELTA>",
                                      "DELTA <10.0.0.4>", "Manual <10.0.0.9>"}));
  EXPECT_FALSE(Form->Visible());
}

TEST_F(NetworkClientsTest, AddWithAnEmptyListAddsNothingAndCloses) {
  Form->Show();
  EXPECT_EQ(Form->ListBox1->Items()->Count(), 0);
  Form->btnAddClick(Form->btnAdd);
  EXPECT_EQ(frmIP->ListBox1->Items()->Count(), 0);
  EXPECT_FALSE(Form->Visible());
}

}  // namespace
