#pragma once
// TGIFImage: the multi-frame GIF picture. A member of the graphic family, so
// a picture container, a layout property or the clipboard can load, save,
// copy and draw it like a bitmap. It owns the frames of one GIF stream and
// the stream's global data, reads and writes whole GIF streams (header,
// logical screen, global colour table, extension blocks, loop block and
// trailer around the frame codec), draws its current frame, copies itself to
// and from other graphics and exchanges itself with the clipboard.
//
// Frames stay encoded until first drawn or measured; a load decodes frame 0
// only. Images assigned from one another share their global data (by
// reference count); Equals compares that object by identity.
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "widgets/gx/GxGIFTypes.h"

class TStream;
class TCanvas;
class TAnimatedCursorImage;

// Sender is the image; RedrawNow is always false and R (0, 0, 0, 0).
using TProgressEvent = std::function<void(TObject* Sender, TGIFProgressStage Stage, Byte PercentDone,
                                          bool RedrawNow, const TRect& R, const std::string& Msg)>;

// Version table index (FGifVersion).
enum : Byte { gvNone = 0, gv87a = 1, gv89a = 2 };

class TGIFImage : public TGraphic, public TGIFFrameOwner {
 public:
  TGIFImage();
  ~TGIFImage() override;

  // Source: nullptr (empty), a TGIFImage (shares its global data, copies its
  // frames), this image (nothing), a TGIFFrame, a TBitmap (one frame), an
  // animated cursor (one frame per cursor frame); else the host's default.
  void Assign(TPersistent* Source) override;

  // Size of the current frame's bitmap (0 while empty or without a valid
  // current frame); not the logical screen.
  int Width() const override;
  int Height() const override;
  // Both raise EInvalidGraphicOperation "Cannot change the Size of a GIF image".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // True without frames; else false when the current frame (frame 0 while
  // none is current) has a bitmap, even an empty one; else true when it has
  // no encoded data.
  bool Empty() const override;
  // False when the inherited flag is off; else true when some frame has a
  // transparent colour.
  bool Transparent() const override;
  // True exactly when Graphic is a TGIFImage holding the same global data.
  bool Equals(TGraphic* Graphic) override;
  // The palette of CurrentBitmap (empty without frames).
  TBitmapPalette Palette();

  // A whole GIF stream: the rest of Stream.
  void LoadFromStream(TStream* Stream) override;
  // A plain GIF file; EInvalidGraphicOperation "No GIF Data to write" without frames.
  void SaveToStream(TStream* Stream) override;
  // Layout value "Data": a 32-bit little-endian length and a complete GIF stream.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  // Frame 0's bitmap fills Format and Data; when every frame already holds
  // encoded data the GIF (length-prefixed) is placed on the clipboard as well
  // under GIFClipboardFormat(). Nothing without frames.
  void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) override;
  // GIF data on the clipboard win (frame 0 then taken from a clipboard bitmap
  // when one is there); otherwise a bitmap reads Format and Data.
  void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) override;

  // Draws the current frame stretched into Rect, masked by its transparent
  // colour when Transparent() is true; nothing without a current frame.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

  // Appends a frame made from Graphic and makes it current; gives its index.
  // Does not fire OnChange.
  virtual int AppendFrame(TGraphic* Graphic);

  int FrameCount() const override { return int(FFrameList.size()); }
  // EListError "List index out of bounds (%d)" outside 0 to count-1.
  TGIFFrame* FrameAt(int Index) const override;
  int CurrentIndex() const override { return FCurrentIndex; }
  // The current frame's bitmap (frame 0 when the index is out of range);
  // an image without frames first gets one made from an empty bitmap.
  TBitmap* CurrentBitmap();
  // 0 while Empty(), else the logical screen size. While the image reads,
  // encodes or writes a stream (its frames asking), always the stored size.
  int LogicalWidth() const override;
  int LogicalHeight() const override;
  TColor BackColor() const { return FBackColor; }
  bool LoopAnimation() const { return FLoopAnimation; }
  Word LoopCount() const { return FLoopCount; }

  void ResetImage();
  void ClearFrameList();
  void RecalcScreenSize() override;
  void EncodeAllFrames(bool Redecode);

  // Reads exactly Length bytes of Stream as one GIF stream.
  void ParseGIFStream(int Length, TStream* Stream, bool DecodeFirst);
  // Writes the GIF, preceded by its 32-bit length when WithLength.
  void WriteGIFStream(TStream* Stream, bool WithLength);

  // Progress hook of the frame codec: fires OnProgress with Sender = this image.
  void ReportProgress(TGIFProgressStage Stage, int Percent, const std::string& Message) override;
  const TProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(TProgressEvent Handler) { FOnProgress = std::move(Handler); }

  // State shared with the frames and the frame codec.
  TGIFData* GlobalData() const override { return FGlobalData; }
  int GifVersion() const { return FGifVersion; }
  void SetGifVersion(int Version) override { FGifVersion = Byte(Version); }
  // Stores the logical screen size, kept to 16 bits.
  void SetLogicalSize(int AWidth, int AHeight) override {
    FLogicalWidth = Word(AWidth);
    FLogicalHeight = Word(AHeight);
  }

 protected:
  // Dest a TGIFImage: it assigns this image; another graphic: the current
  // frame (or CurrentBitmap, or nothing while empty) goes into it.
  void AssignTo(TPersistent* Dest) override;

 private:
  TGIFFrame* NewFrame();
  void AssignGIFImage(TGIFImage* Source);
  void AssignGIFFrame(TGIFFrame* Source);
  void AssignCursor(TAnimatedCursorImage* Cursor);
  // Reads the extensions from Introducer on; Introducer becomes the byte
  // that follows them. Control and comment blocks go to Pending.
  void ReadExtensionRun(TStream* Stream, Byte& Introducer, TExtensionList*& Pending);

  TGIFData* FGlobalData = nullptr;
  Byte FGifVersion = gvNone;
  std::vector<TGIFFrame*> FFrameList;  // owned
  int FCurrentIndex = -1;
  Word FLogicalWidth = 0;
  Word FLogicalHeight = 0;
  TColor FBackColor = clNone;
  bool FLoopAnimation = false;
  Word FLoopCount = 1;
  TProgressEvent FOnProgress;
  bool FStreaming = false;  // a stream is being read or written
};

// The clipboard format "GIF Image" (0 until RegisterGIFGraphic; a picture
// then goes to the clipboard as a bitmap only).
TClipboardFormat GIFClipboardFormat();

// Once at program start: registers the clipboard format "GIF Image", the
// layout classes TGIFFrame and TGIFImage, and the file extension "gif"
// ("CompuServe GIF Image") and that format for TGIFImage with the picture
// container. Idempotent.
void RegisterGIFGraphic();
// At program end: the picture container forgets TGIFImage.
void UnregisterGIFGraphic();

// Makes TGIFImage known to the layout reader as a sub-object class with the
// binary property "Data" (so "Image.Data" of a control reads through
// ReadData). Call from the layout registration of the widgets; idempotent.
void RegisterGIFImageLayout();
