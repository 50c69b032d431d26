#pragma once
// TIcon: an icon or cursor file (ICO or CUR) as a graphic. The file may hold
// several images of one picture at different sizes and colour depths; one
// of them is current (the one nearest to 32 x 32, of equally near ones the
// larger, then the one with the most colours) and gives the icon its Width,
// Height and drawing. Saving writes the whole file back, every image, as
// the kind of file it was read from.
//
// An icon is always transparent: each image carries a mask, and drawing
// leaves the destination showing where the mask says so (a 32-bit image
// with an alpha channel is blended by its alpha instead).
#include <memory>
#include <vector>

#include "platform/graphics/Graphic.h"

struct TIconFile;

// An icon or cursor as the host hands it out (LoadIcon, LoadCursor): the
// images of one loaded file, shared by everything that holds it and never
// changed; null for none.
using HICON = std::shared_ptr<const TIconFile>;
using HCURSOR = HICON;

// The host's texts for icons.
inline constexpr const char* SInvalidIcon = "Icon image is not valid";
inline constexpr const char* SChangeIconSize = "Cannot change the size of an icon";
inline constexpr const char* SIconToClipboard = "Clipboard does not support Icons";

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;

  // Source: a TIcon (the same images; the copies share them, they never
  // change in place) or nullptr (empty). Anything else: EConvertError
  // "Cannot assign a %s to a %s" (unless the source can assign itself to an icon).
  void Assign(TPersistent* Source) override;

  // Size of the current image; 0 while empty.
  int Width() const override;
  int Height() const override;
  // An icon's size is that of its images: EInvalidGraphicOperation
  // "Cannot change the size of an icon".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Empty() const override;

  bool Transparent() const override { return true; }
  // Icons are always transparent; setting changes nothing.
  void SetTransparent(bool) override {}

  // The icon's images as a handle; setting one (null: empty) replaces them.
  HICON Handle() const { return FFile; }
  void SetHandle(HICON Value) { SetFile(std::move(Value)); }

  // Number of images in the file and the index of the current one (-1 while empty).
  int ImageCount() const;
  int CurrentImage() const { return FCurrent; }

  // Reads the rest of the stream as one ICO or CUR file; nothing left reads
  // as an empty icon. A file that cannot be read raises EInvalidGraphic
  // "Icon image is not valid" and leaves the icon as it was.
  void LoadFromStream(TStream* Stream) override;
  // Writes the file (nothing while empty).
  void SaveToStream(TStream* Stream) override;

  // Icons do not travel on the clipboard: both raise
  // EInvalidGraphicOperation "Clipboard does not support Icons".
  void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) override;
  void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) override;

  // Draws the current image stretched into Rect (nearest pixels): where the
  // mask is set the destination stays and is inverted by the picture's set
  // bits (AND with the mask, then XOR with the picture); elsewhere the
  // picture replaces it. Only the canvas's clip is drawn on.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void SetFile(std::shared_ptr<const TIconFile> File);

  std::shared_ptr<const TIconFile> FFile;  // null while empty
  int FCurrent = -1;
};
