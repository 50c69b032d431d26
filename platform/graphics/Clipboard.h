#pragma once
// The clipboard: bitmaps (CF_BITMAP) and named formats registered by the
// program, each holding a raw block of bytes. Bitmaps reach the desktop's
// clipboard as images; named formats travel as their bytes under the
// format's name. Without a GUI application object (tools, tests of pure
// code) the clipboard is kept inside the process.
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Types.h"
#include "platform/graphics/Graphic.h"

// Identifier of the named format, the same for the same name (compared
// without regard to case) for the whole run; the first one is 0xC000.
TClipboardFormat RegisterClipboardFormat(const std::string& Name);
// The name a registered format was given ("" for others).
std::string ClipboardFormatName(TClipboardFormat Format);

class TClipboard : public TPersistent {
 public:
  // Writes between Open and the matching Close go onto the clipboard
  // together when the outermost Close comes; the first write of such a
  // session (or any write outside one) replaces what was there.
  void Open();
  void Close();
  void Clear();

  bool HasFormat(TClipboardFormat Format) const;
  // The formats on the clipboard now.
  std::vector<TClipboardFormat> Formats() const;

  // A raw block under a format (CF_BITMAP: a BMP file image). GetBlock gives
  // an empty block when the format is not there.
  void SetBlock(TClipboardFormat Format, const std::vector<Byte>& Data);
  std::vector<Byte> GetBlock(TClipboardFormat Format) const;

  // Source a TGraphic or a TPicture: the graphic places itself
  // (SaveToClipboardFormat) and its main form is added; a TBitmap goes as a
  // picture.
  void Assign(TPersistent* Source) override;

 protected:
  // Dest a TPicture: takes the first format on the clipboard that a
  // registered graphic class reads; a TGraphic: reads its own format
  // (a TBitmap reads CF_BITMAP). Nothing readable: EInvalidGraphic
  // "Unsupported clipboard format".
  void AssignTo(TPersistent* Dest) override;

 private:
  void Adding();

  int FOpenCount = 0;
  bool FEmptied = false;
};

// The one clipboard of the program.
TClipboard* Clipboard();
