// The address book with a contact line of a million characters beside
// ordinary ones: it opens, draws its rows and closes, the long row showing
// the start of its line with "...", and the file keeps every contact.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "DialogTestSupport.h"
#include "dialogs/ContactFile.h"
#include "dialogs/IP.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ListBox.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

// A name of Length characters: words, so that its start is told apart.
std::string LongName(std::size_t Length) {
  static const std::string kWords = "Carol of the eleventh floor, extension ";
  std::string name;
  for (int i = 0; name.size() < Length; ++i) name += kWords + std::to_string(i) + " ";
  name.resize(Length);
  return name;
}

// The row's text area in the form's image matches Text written as the row
// writes it, on white.
bool RowShows(TBitmap& Form, TPoint List, int RowTop, int Width, TFont* Font, const std::string& Text) {
  TBitmap expect;
  expect.SetPixelFormat(pf24bit);
  expect.SetSize(Width, 40);
  TCanvas* c = expect.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, Width, 40));
  c->Font()->Assign(Font);
  c->Font()->SetColor(clBlack);
  c->SetBkMode(TRANSPARENT);
  c->TextOut(45, 10, Text);
  for (int y = 0; y < 40; ++y)
    for (int x = 45; x < Width; ++x)
      if (Form.Pixel(List.X + x, List.Y + RowTop + y) != expect.Pixel(x, y)) return false;
  return true;
}

TEST(AddressBookLongLine, AMillionCharacterContactIsDrawnCutAndKeptInTheFile) {
  std::error_code ignored;
  std::filesystem::remove_all(ContactFilePath(), ignored);
  TMessageBoxCapture boxes;
  const std::string longLine = LongName(1000000) + " <10.0.0.3>";
  const std::string file =
      "Alice <10.0.0.1>\r\nbob <10.0.0.2>\r\n" + longLine + "\r\nzed <10.0.0.4>\r\n";
  WriteWholeFile(ContactFilePath(), file);

  auto* book = new TfrmIP(Application);
  frmIP = book;
  book->Show();
  Application->ProcessMessages();
  ASSERT_EQ(book->ListBox1->Count(), 4);
  ASSERT_EQ(book->ListBox1->Items()->Strings(2), longLine);
  auto image = book->GetFormImage();  // draws every row in sight

  // The third row shows a start of the line followed by "...".
  const TPoint list = book->ListBox1->ClientOriginInForm();
  const int width = book->ListBox1->ClientWidth();
  int kept = -1;
  for (int n = 120; n > 0 && kept < 0; --n)
    if (RowShows(*image, list, 80, width, book->ListBox1->Font(), longLine.substr(0, std::size_t(n)) + "..."))
      kept = n;
  ASSERT_GT(kept, 20);
  // ... and it is the longest start that fits the row with "..." after it.
  TBitmap measure;
  measure.Canvas()->Font()->Assign(book->ListBox1->Font());
  EXPECT_GT(45 + measure.Canvas()->TextWidth(longLine.substr(0, std::size_t(kept) + 1) + "..."), width);
  // The ordinary rows beside it are whole.
  EXPECT_TRUE(RowShows(*image, list, 120, width, book->ListBox1->Font(), "zed <10.0.0.4>"));

  book->btnCloseClick(nullptr);
  EXPECT_FALSE(book->Visible());
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(ReadWholeFile(ContactFilePath()) == file);  // byte for byte, without printing a megabyte

  delete book;
  Application->ProcessMessages();
  std::filesystem::remove_all(ContactFilePath(), ignored);
}

}  // namespace
