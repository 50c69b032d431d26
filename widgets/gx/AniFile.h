#pragma once
// TAnimatedCursorImage: an animated cursor file (RIFF form "ACON") read into
// a list of frames, each one icon with its hot spot and display rate, plus
// the file's "anih" header, title ("INAM") and creator ("IART"). Files are
// read only, never written.
//
// What the reader keeps: one frame per header frame, frame n showing the
// n-th icon of the "fram" list; an icon no frame asks for becomes a frame of
// its own; frames that end up without an icon are dropped. The values of a
// "rate" chunk go to the frames in order (display times in jiffies, 1/60 s),
// those of a "seq " chunk likewise become the frames' icon indexes; values
// for frames that do not exist are dropped.
//
// Damaged files raise EReadError "Stream read error": not RIFF/ACON, an
// "anih" without the icon flag or with no steps, an icon chunk running past
// the end of the data, or no frame with an icon at the end. Every size in
// the file is checked against the bytes that are really there, and the
// number of frames never exceeds what the data can fill, whatever the
// header claims.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Types.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Icon.h"

class TBitmap;
class TStream;

// A chunk's four-character id and its size as read (signed: sizes of 2 GB
// and above read as negative and are refused).
struct TAniChunkHeader {
  std::array<char, 4> Id{};
  std::int32_t Size = 0;
};

// The "anih" chunk, nine 32-bit fields in file order.
struct TAniHeader {
  std::uint32_t HeaderSize = 0;
  std::uint32_t FrameCount = 0;  // icons
  std::uint32_t StepCount = 0;
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t BitCount = 0;
  std::uint32_t Planes = 0;
  std::uint32_t DefaultRate = 0;  // jiffies
  std::uint32_t Flags = 0;        // bit 0: frames stored as icon resources
};
inline constexpr std::uint32_t AniFlagIcon = 1;

class TIconFrame : public TPersistent {
 public:
  TIconFrame(int IconIndex, std::uint32_t RateJiffies);
  ~TIconFrame() override;

  // Source a TIconFrame: a copy of its icon (an empty icon when it has none)
  // and of all its fields. Anything else: EConvertError.
  void Assign(TPersistent* Source) override;

  // The frame's icon, nullptr until one was given.
  TIcon* FrameIcon() const { return FFrameIcon.get(); }
  // Takes ownership.
  void SetFrameIcon(TIcon* Icon);
  // The icon chunk held an icon (type 1) rather than a cursor (type 2).
  bool PlainIcon() const { return FPlainIcon; }
  const TAniChunkHeader& ChunkHeader() const { return FChunkHeader; }
  TPoint HotSpot() const { return FHotSpotPoint; }
  std::uint32_t RateJiffies() const { return FRateJiffies; }
  // Which icon of the "fram" list the frame shows; -1 for a frame made for
  // an icon no frame asked for.
  int IconIndex() const { return FIconIndex; }

 private:
  friend class TAniReader;
  std::unique_ptr<TIcon> FFrameIcon;
  bool FPlainIcon = false;
  TAniChunkHeader FChunkHeader;
  TPoint FHotSpotPoint;
  std::uint32_t FRateJiffies = 0;
  int FIconIndex = -1;
};

class TAnimatedCursorImage : public TPersistent {
 public:
  TAnimatedCursorImage();
  ~TAnimatedCursorImage() override;

  int FrameCount() const { return int(FCursorFrames.size()); }
  // Index outside the frames: EListError "List index out of bounds (%d)".
  TIcon* FrameIcons(int Index) const;
  TIconFrame* Frames(int Index) const;

  const TAniHeader& AniHeader() const { return FAniHeader; }
  std::string TitleText() const { return FTitleText.data(); }
  std::string CreatorText() const { return FCreatorText.data(); }
  // The most colours (2, 16 or 256) of the palette icon images read; 0 when
  // none is palette-based.
  Word ColorCount() const { return FColorCount; }

  // Empties the image: no frames, zero header, empty texts.
  void Clear() { ResetImage(); }
  void ResetImage();

  // Reads the rest of the stream (nothing left: nothing changes). A failure
  // before the "ACON" form type keeps the previous content; a later one
  // keeps what was read up to it.
  void LoadFromStream(TStream* Stream);
  // Reads Size bytes of the stream (fewer there: EReadError "Stream read error").
  void ReadFromStream(std::int64_t Size, TStream* Stream);
  // A failure empties the image before it is passed on.
  void LoadFromFile(const std::string& FileName);
  // Writing is not offered: the box "Function not yet implemented", then a
  // silent abort; nothing is written.
  void SaveToStream(TStream* Stream);

  // Source nullptr: Clear. A TAnimatedCursorImage: a copy of header, texts
  // and frames. Anything else: EConvertError.
  void Assign(TPersistent* Source) override;

  // The frames side by side (or one under another) on BackColor, in a copy
  // given to Bitmap; ReduceColors brings the colours down to those of the
  // icons (at least 16). No frames: Bitmap is emptied.
  void FramesToStrip(TBitmap* Bitmap, TColor BackColor, bool Vertical, bool ReduceColors);

 protected:
  // Dest a TIcon: frame 0's icon (none: emptied). A TBitmap: the horizontal
  // strip on its brush colour, colours reduced. A TIconList: every frame's
  // icon in order, one change notification. Anything else: EConvertError.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TAniReader;
  TAniHeader FAniHeader;
  std::array<char, 256> FTitleText{};
  std::array<char, 256> FCreatorText{};
  std::vector<std::unique_ptr<TIconFrame>> FCursorFrames;
  Word FColorCount = 0;
};

// Reads a RIFF "ACON" stream from its position into Image (see above).
void ReadAnimatedCursor(TAnimatedCursorImage* Image, TStream* Stream);
