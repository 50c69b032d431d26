// What the program registers at its start, asked of a started program: the
// test runs the program's own entry, looks round from inside its message
// loop, closes it, and looks again once the entry has returned.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Watchdog.h"
#include "app/Corvel.h"
#include "platform/base/MainThread.h"
#include "platform/controls/Application.h"
#include "platform/controls/Dialogs.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/IconFile.h"
#include "widgets/gx/Animate.h"
#include "widgets/gx/GxGIFImage.h"
#include "widgets/gx/IcoList.h"

namespace {

struct TSeen {
  bool Ran = false;
  TGraphicClass GifFileClass = nullptr;
  std::string GifDescription;
  std::string GifFormatName;
  TGraphicClass GifFormatClass = nullptr;
  std::string IconFormatName;
  TGraphicClass IconFormatClass = nullptr;
  HCURSOR Hand, Drag;
};

}  // namespace

TEST(ProgramStart, RegistersPicturesClipboardFormatsAndCursorsAndForgetsTheGIFAtExit) {
  TWatchdog watchdog("the started program", std::chrono::seconds(60));
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  unsetenv("TAMBLIN_VIRTUAL_CAMERA");
  TSeen seen;
  Queue([&seen] {
    seen.Ran = true;
    seen.GifFileClass = TPicture::FileFormatClass("gif");
    seen.GifDescription = TPicture::FileFormatDescription("gif");
    seen.GifFormatName = ClipboardFormatName(GIFClipboardFormat());
    seen.GifFormatClass = TPicture::ClipboardFormatClass(GIFClipboardFormat());
    seen.IconFormatName = ClipboardFormatName(IconClipboardFormat);
    seen.IconFormatClass = TPicture::ClipboardFormatClass(IconClipboardFormat);
    seen.Hand = Screen->Cursors(crHandCursor);
    seen.Drag = Screen->Cursors(crDragCursor);
    Application->Terminate();
  });
  char name[] = "tamblin";
  char* argv[] = {name, nullptr};
  int argc = 1;
  {
    TMessageBoxCapture boxes;  // "WebCam not found" must not wait for a user
    EXPECT_EQ(Corvel(argc, argv), 0);
  }
  ASSERT_TRUE(seen.Ran);
  EXPECT_EQ(seen.GifFileClass, GraphicClassOf<TGIFImage>());
  EXPECT_EQ(seen.GifDescription, "CompuServe GIF Image");
  EXPECT_EQ(seen.GifFormatName, "GIF Image");
  EXPECT_EQ(seen.GifFormatClass, GraphicClassOf<TGIFImage>());
  EXPECT_EQ(seen.IconFormatName, "Pomvex Icon");
  EXPECT_EQ(seen.IconFormatClass, GraphicClassOf<TIcon>());
  // Both cursors are pictures of 32 by 32 pixels with a hot spot on them.
  for (const HCURSOR& cursor : {seen.Hand, seen.Drag}) {
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->Type, CursorFileType);
    ASSERT_EQ(cursor->Images.size(), 1u);
    EXPECT_EQ(cursor->Images[0].Width, 32);
    EXPECT_FALSE(cursor->Images[0].SeeThrough(cursor->Images[0].HotSpotX, cursor->Images[0].HotSpotY));
  }
  EXPECT_NE(seen.Hand, seen.Drag);
  // At its end the program's picture container forgets the GIF picture.
  EXPECT_EQ(TPicture::FileFormatClass("gif"), nullptr);
  EXPECT_EQ(TPicture::ClipboardFormatClass(GIFClipboardFormat()), nullptr);
}
