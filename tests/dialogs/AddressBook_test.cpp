// The address book: its contact file read at opening and written at every
// close, the sorted list, adding, deleting and choosing, Enter, and rows.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <memory>
#include <vector>

#include "DialogTestSupport.h"
#include "dialogs/ContactFile.h"
#include "dialogs/IP.h"
#include "platform/base/MainThread.h"
#include "platform/base/StringList.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/SimulateInput.h"
#include "platform/graphics/Bitmap.h"
#include "tests/support/PermissionBits.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

// Files this process writes may grow to Bytes at most while it lives; a
// write beyond that fails (EFBIG, the signal ignored) after what fits.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    ::getrlimit(RLIMIT_FSIZE, &FSaved);
    FSignal = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = FSaved;
    limited.rlim_cur = Bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FSaved);
    ::signal(SIGXFSZ, FSignal);
  }

 private:
  rlimit FSaved{};
  void (*FSignal)(int) = SIG_DFL;
};

std::vector<std::string> Lines(TListBox* List) {
  std::vector<std::string> lines;
  for (int i = 0; i < List->Count(); ++i) lines.push_back(List->Items()->Strings(i));
  return lines;
}

TEST(ContactLine, ChoosingTakesTheTextBetweenTheFirstAngleAndTheLastCharacter) {
  EXPECT_EQ(ContactLine("Bob", "192.168.0.7"), "Bob <192.168.0.7>");
  EXPECT_EQ(ContactAddress("Bob <10.0.0.1>"), "10.0.0.1");
  EXPECT_EQ(ContactAddress("server"), "server");
  EXPECT_EQ(ContactAddress("Bob <"), "");
  EXPECT_EQ(ContactAddress("a <b<c>"), "b<c");
  EXPECT_EQ(ContactAddress("Bob <10.0.0.1"), "10.0.0.");
  EXPECT_EQ(ContactAddress(""), "");
}

class AddressBookTest : public testing::Test {
 protected:
  void SetUp() override {
    Clean();
    Book = new TfrmIP(Application);
    frmIP = Book;
  }
  void TearDown() override {
    if (Book->Visible()) Book->Hide();
    delete Book;
    Application->ProcessMessages();
    Clean();
  }
  static void Clean() {
    std::error_code ignored;
    std::filesystem::remove_all(ContactFilePath(), ignored);
  }
  // Opens the window as the main window does, but without a modal loop.
  void Open() {
    Book->Show();
    Application->ProcessMessages();
  }
  std::string FileText() const { return ReadWholeFile(ContactFilePath()); }

  // Boxes are recorded and answered as Answer says (default: the affirmative button).
  void Answer(std::vector<TModalResult> Answers) {
    Capture.reset();
    Capture = std::make_unique<TMessageBoxCapture>(std::move(Answers));
  }
  const std::vector<TMessageBox>& Shown() const { return Capture->Boxes(); }

  std::unique_ptr<TMessageBoxCapture> Capture = std::make_unique<TMessageBoxCapture>();
  TfrmIP* Book = nullptr;
};

TEST_F(AddressBookTest, TheLayoutLoadsWithASortedOwnerDrawnList) {
  EXPECT_EQ(Book->Caption(), "IP Address Book");
  EXPECT_TRUE(Book->ListBox1->Sorted());
  EXPECT_EQ(Book->ListBox1->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(Book->ListBox1->ItemHeight(), 40);
  EXPECT_EQ(Book->ListBox1->Hint(), "Double Click to use IP Address");
  EXPECT_EQ(Book->edtName->MaxLength(), 22);
  EXPECT_EQ(Book->btnOnline->Caption(), "Who's Online?");
}

TEST_F(AddressBookTest, TheFileIsReadSortedAtOpeningAndWrittenWithCrLfAtClose) {
  WriteWholeFile(ContactFilePath(), "zed <10.0.0.3>\rbob <10.0.0.2>\nAlice <10.0.0.1>\r\n");
  Open();
  EXPECT_EQ(Lines(Book->ListBox1),
            (std::vector<std::string>{"Alice <10.0.0.1>", "bob <10.0.0.2>", "zed <10.0.0.3>"}));
  EXPECT_EQ(Book->ListBox1->ItemIndex(), 0);
  EXPECT_TRUE(Book->ListBox1->Focused());
  Book->btnCloseClick(nullptr);
  EXPECT_FALSE(Book->Visible());
  EXPECT_EQ(FileText(), "Alice <10.0.0.1>\r\nbob <10.0.0.2>\r\nzed <10.0.0.3>\r\n");
  EXPECT_TRUE(Shown().empty());

  // Closing again with nothing changed writes the same file; an emptied
  // list writes an empty one.
  Open();
  Book->btnDeleteAllClick(nullptr);
  EXPECT_EQ(Book->ListBox1->Count(), 0);
  Book->Close();
  EXPECT_EQ(FileText(), "");
}

TEST_F(AddressBookTest, AMissingFileKeepsTheListAndOnlyOpeningReadsIt) {
  Open();
  EXPECT_EQ(Book->ListBox1->Count(), 0);
  Book->AddContact("Bob", "10.0.0.1");
  Book->Close();
  std::filesystem::remove(ContactFilePath());
  Open();  // no file: the list keeps what it held
  EXPECT_EQ(Lines(Book->ListBox1), std::vector<std::string>{"Bob <10.0.0.1>"});
  EXPECT_TRUE(Shown().empty());

  // A box over the open window re-activates it without reading the file.
  WriteWholeFile(ContactFilePath(), "Other <1.2.3.4>\r\n");
  Book->btnAddClick(nullptr);  // empty edits: a box
  ASSERT_EQ(Shown().size(), 1u);
  Book->SetActive(false);
  Book->SetActive(true);
  EXPECT_EQ(Lines(Book->ListBox1), std::vector<std::string>{"Bob <10.0.0.1>"});
  Book->Close();
}

TEST_F(AddressBookTest, AddingSortsIgnoringCaseKeepsDuplicatesAndClearsTheEdits) {
  Open();
  Book->btnAddClick(nullptr);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].Text, "Please enter Contact Name and IP Address.");
  EXPECT_EQ(Shown()[0].Kind, mtInformation);
  EXPECT_TRUE(Book->edtName->Focused());
  Book->edtName->SetText("Bob");
  Book->btnAddClick(nullptr);  // no address
  EXPECT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Book->ListBox1->Count(), 0);

  Book->edtIP->SetText("10.0.0.1");
  Book->btnAddClick(nullptr);
  Book->AddContact("alice", "10.0.0.2");
  Book->AddContact("Bob", "10.0.0.1");
  EXPECT_EQ(Lines(Book->ListBox1),
            (std::vector<std::string>{"alice <10.0.0.2>", "Bob <10.0.0.1>", "Bob <10.0.0.1>"}));
  EXPECT_EQ(Book->edtName->Text(), "");
  EXPECT_EQ(Book->edtIP->Text(), "");
  EXPECT_TRUE(Book->edtName->Focused());
  EXPECT_EQ(Shown().size(), 2u);
}

TEST_F(AddressBookTest, EnterMovesFromNameToAddressAndAddsFromTheAddress) {
  Open();
  Book->edtName->SetFocus();
  SimulateTyping("Carol");
  SimulateKey(VK_RETURN);
  EXPECT_TRUE(Book->edtIP->Focused());
  EXPECT_EQ(Book->ListBox1->Count(), 0);
  SimulateTyping("host.lan");
  SimulateKey(VK_RETURN);
  EXPECT_EQ(Lines(Book->ListBox1), std::vector<std::string>{"Carol <host.lan>"});
  EXPECT_TRUE(Book->edtName->Focused());
  EXPECT_TRUE(Shown().empty());
}

TEST_F(AddressBookTest, DeleteAsksAndRemovesTheRowSelectedAfterOthersWereAdded) {
  WriteWholeFile(ContactFilePath(), "Bob <2>\r\nDan <4>\r\n");
  Open();
  Book->ListBox1->SetItemIndex(1);  // Dan
  Capture->Clear();
  Answer({mrNo});
  Book->btnDeleteClick(nullptr);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].Text, "Delete selected contact?");
  EXPECT_EQ(Shown()[0].Kind, mtConfirmation);
  EXPECT_EQ(Shown()[0].Buttons, mbYes | mbNo);
  EXPECT_EQ(Book->ListBox1->Count(), 2);
  EXPECT_TRUE(Book->edtName->Focused());

  // Contacts that a scan adds before the selected row move it down.
  Book->AddContact("Amy", "1");
  Book->AddContact("Cat", "3");
  Book->btnDeleteClick(nullptr);
  EXPECT_EQ(Lines(Book->ListBox1), (std::vector<std::string>{"Amy <1>", "Bob <2>", "Cat <3>"}));
  EXPECT_EQ(FileText(), "Bob <2>\r\nDan <4>\r\n");  // the file changes at close only

  Book->ListBox1->SetItemIndex(-1);
  Book->btnDeleteClick(nullptr);  // nothing selected: nothing removed
  EXPECT_EQ(Book->ListBox1->Count(), 3);
}

TEST_F(AddressBookTest, ChoosingTakesTheAddressClosesAndWritesTheFile) {
  WriteWholeFile(ContactFilePath(), "server\r\nBob <10.0.0.1>\r\n");
  Open();
  Book->ListBox1->SetItemIndex(0);  // Bob
  Book->ListBox1DblClick(nullptr);
  EXPECT_EQ(Book->FSelectedIP, "10.0.0.1");
  EXPECT_FALSE(Book->Visible());

  // Enter in the list chooses too; a line without "<" is taken whole.
  Open();
  Book->ListBox1->SetItemIndex(1);
  Book->ListBox1->SetFocus();
  Book->AddContact("Zoe", "10.0.0.9");
  SimulateKey(VK_RETURN);
  EXPECT_EQ(Book->FSelectedIP, "server");
  EXPECT_FALSE(Book->Visible());
  EXPECT_EQ(FileText(), "Bob <10.0.0.1>\r\nserver\r\nZoe <10.0.0.9>\r\n");

  // Closing without a choice keeps the last one.
  Open();
  Book->btnCloseClick(nullptr);
  EXPECT_EQ(Book->FSelectedIP, "server");
  EXPECT_TRUE(Shown().empty());
}

TEST_F(AddressBookTest, ShownModallyTheChoiceEndsTheModalLoop) {
  WriteWholeFile(ContactFilePath(), "Bob <10.0.0.1>\r\n");
  Queue([this] { SimulateDoubleClick(Book->ListBox1, 100, 20); });
  Book->ShowModal();
  EXPECT_FALSE(Book->Visible());
  EXPECT_EQ(Book->FSelectedIP, "10.0.0.1");
  EXPECT_EQ(FileText(), "Bob <10.0.0.1>\r\n");
}

TEST_F(AddressBookTest, AFileThatCannotBeWrittenKeepsTheWindowOpen) {
  Open();
  Book->AddContact("Bob", "10.0.0.1");
  Book->ListBox1->SetItemIndex(0);
  std::filesystem::create_directory(ContactFilePath());  // in the file's way

  Book->ListBox1DblClick(nullptr);
  EXPECT_TRUE(Book->Visible());
  EXPECT_EQ(Book->FSelectedIP, "10.0.0.1");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].Text, "Wrong Address Format.");
  EXPECT_EQ(Shown()[0].Kind, mtWarning);

  Book->btnCloseClick(nullptr);
  EXPECT_TRUE(Book->Visible());
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].Kind, mtError);
  EXPECT_EQ(Shown()[1].Caption, "Tamblin");
  EXPECT_EQ(Shown()[1].Text, "Cannot create file " + ContactFilePath() + ".");
  EXPECT_EQ(Lines(Book->ListBox1), std::vector<std::string>{"Bob <10.0.0.1>"});

  std::filesystem::remove(ContactFilePath());
  Book->btnCloseClick(nullptr);
  EXPECT_FALSE(Book->Visible());
  EXPECT_EQ(FileText(), "Bob <10.0.0.1>\r\n");
}

// The file is there but cannot be read (mode 000, this thread held to the
// permission bits as root otherwise is not): the book says so and shows
// what it held before. Contacts added then are not kept: the first close
// says so and stays, the second lets them go. The file is never written.
TEST_F(AddressBookTest, ContactsAddedWhileTheFileIsUnreadableAreNotDroppedWithoutAWord) {
  Open();
  Book->AddContact("Old", "10.0.0.9");
  Book->Close();
  const std::string path = ContactFilePath();
  const std::string bytes = "Alice <10.0.0.1>\r\nBob <10.0.0.2>\r\nCarol <10.0.0.3>\r\n";
  const std::string cannot = "Cannot create file " + path + ".";
  WriteWholeFile(path, bytes);
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  {
    TPermissionBitsHold held;
    ASSERT_TRUE(held.Held());
    const int probe = ::open(path.c_str(), O_RDONLY);
    if (probe >= 0) ::close(probe);
    ASSERT_LT(probe, 0) << "the contact file can still be read";

    Open();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].Text, "File [IPAddress.dat] not Found.");
    EXPECT_EQ(Shown()[0].Kind, mtError);
    EXPECT_EQ(Lines(Book->ListBox1), std::vector<std::string>{"Old <10.0.0.9>"});
    Book->AddContact("Dan", "10.0.0.4");
    Book->btnCloseClick(nullptr);
    EXPECT_TRUE(Book->Visible());
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[1].Text, cannot);
    EXPECT_EQ(Shown()[1].Kind, mtError);

    // A change after the box is told again before the window goes.
    Book->AddContact("Eve", "10.0.0.5");
    Book->btnCloseClick(nullptr);
    EXPECT_TRUE(Book->Visible());
    Book->btnCloseClick(nullptr);
    EXPECT_FALSE(Book->Visible());
    ASSERT_EQ(Shown().size(), 4u);
    EXPECT_EQ(Shown()[3].Text, cannot);

    // Nothing changed at this opening: a choice closes, and says so.
    Open();
    ASSERT_EQ(Book->ListBox1->ItemIndex(), 0);
    Book->ListBox1DblClick(nullptr);
    EXPECT_FALSE(Book->Visible());
    EXPECT_EQ(Book->FSelectedIP, "10.0.0.4");
    ASSERT_EQ(Shown().size(), 6u);
    EXPECT_EQ(Shown()[5].Text, cannot);
  }
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(FileText(), bytes);
}

// The process may write files of 4 KiB at most: a longer write stops midway,
// as on a full disk. The old file stays whole and the failure is told; the
// window stays open only while it holds changes the file lacks.
TEST_F(AddressBookTest, AWriteFailingMidwayLeavesTheOldFileWhole) {
  const std::string path = ContactFilePath();
  std::string bytes = "Alice <10.0.0.1>\r\n";
  for (int i = 100; i < 400; ++i) bytes += "Host " + std::to_string(i) + " <10.0.1." + std::to_string(i % 250) + ">\r\n";
  ASSERT_GT(bytes.size(), 4096u + 2048u);
  WriteWholeFile(path, bytes);
  const std::string cannot = "Cannot create file " + path + ".";
  Open();
  {
    TFileSizeLimit limit(4096);
    Book->AddContact("Carol", "10.0.0.3");
    // A choice says so in its own words.
    Book->ListBox1->SetItemIndex(0);
    Book->ListBox1DblClick(nullptr);
    EXPECT_TRUE(Book->Visible());
    EXPECT_EQ(Book->FSelectedIP, "10.0.0.1");
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].Text, "Wrong Address Format.");

    Book->btnCloseClick(nullptr);
    EXPECT_TRUE(Book->Visible());
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[1].Text, cannot);
    EXPECT_EQ(Shown()[1].Kind, mtError);
    EXPECT_EQ(FileText(), bytes);

    // Back to the lines as read: nothing would be lost, so the window goes.
    Book->ListBox1->Items()->Delete(Book->ListBox1->Items()->IndexOf("Carol <10.0.0.3>"));
    Book->btnCloseClick(nullptr);
    EXPECT_FALSE(Book->Visible());
    ASSERT_EQ(Shown().size(), 3u);
    EXPECT_EQ(Shown()[2].Text, cannot);

    Open();
    Book->ListBox1DblClick(nullptr);
    EXPECT_FALSE(Book->Visible());
    ASSERT_EQ(Shown().size(), 4u);
    EXPECT_EQ(Shown()[3].Text, cannot);
  }
  EXPECT_EQ(FileText(), bytes);
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    EXPECT_NE(entry.path().filename().string().rfind(std::string(ContactFileName) + ".", 0), 0u)
        << entry.path() << " left beside the file";
}

TEST_F(AddressBookTest, TheSelectedRowIsARoundedBlueBandAndOthersStayWhite) {
  Open();
  Book->AddContact("Alice", "10.0.0.1");
  Book->AddContact("Bob", "10.0.0.2");
  Book->ListBox1->SetItemIndex(1);
  Application->ProcessMessages();
  auto image = Book->GetFormImage();
  const TPoint list = Book->ListBox1->ClientOriginInForm();
  const int x = list.X + 300;
  EXPECT_EQ(image->Pixel(x, list.Y + 3), clWhite);        // row 0, not selected
  EXPECT_EQ(image->Pixel(x, list.Y + 40 + 3), TColor(0xDDF5FF));  // row 1, top of the band
  TColor low = image->Pixel(x, list.Y + 40 + 36);
  EXPECT_GT(GetBValue(0xDDF5FF), GetBValue(low));  // darker towards the bottom
  EXPECT_EQ(image->Pixel(list.X + 1, list.Y + 41), clWhite);  // the rounded corner is left out
  EXPECT_EQ(image->Pixel(list.X + 3, list.Y + 41), TColor(0xC5C5C5));  // the band's frame
  // The contact icon of each row.
  int icon = 0;
  for (int y = 7; y < 31; ++y)
    for (int dx = 7; dx < 31; ++dx)
      if (image->Pixel(list.X + dx, list.Y + y) != clWhite) ++icon;
  EXPECT_GT(icon, 100);
}

}  // namespace
