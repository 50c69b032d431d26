#pragma once
// The objects a GIF picture lives in between reading and writing: one
// TGIFFrame per image block, the shared TGIFItem holding a frame's encoded
// data and colour table, the shared TGIFData of the whole file, and
// TExtension, one extension block as it stood in the file.
//
// Fields are public on purpose: the reader, the writer, the image and the
// animator of this folder work on them directly, as one unit.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Types.h"
#include "platform/graphics/Color.h"

class TStringList;
class TStrings;
class TMemoryStream;
class TBitmap;
class TCanvas;
class TGIFFrame;
class TGIFData;

// ---------------------------------------------------------------------------
// Messages of the GIF unit (string-table ids 61092 to 61100).
inline constexpr const char* SGIFUnknownVersion = "Unknown GIF version";                    // 61092
inline constexpr const char* SGIFEncodingError = "GIF image encoding error";                // 61093
inline constexpr const char* SGIFCorruptData = "GIF encoded data is corrupt";               // 61094
inline constexpr const char* SGIFCodeSizeRange = "GIF code size not in range 2 to 9";       // 61095
inline constexpr const char* SGIFWrongColorCount = "Wrong number of colors; must be a power of 2";  // 61096
inline constexpr const char* SGIFUnknownExtension = "Unrecognized extension block: %.2x";   // 61097
inline constexpr const char* SGIFNoDataToWrite = "No GIF Data to write";                    // 61098
inline constexpr const char* SGIFCannotChangeSize = "Cannot change the Size of a GIF image";  // 61099
inline constexpr const char* SGIFImageDescription = "CompuServe GIF Image";                 // 61100
// The class library's read-error text, also raised for truncated image data.
inline constexpr const char* SGIFStreamRead = "Stream read error";

// Raises EInvalidGraphicOperation with Message.
[[noreturn]] void GIFError(const std::string& Message);

// True: truncated or corrupt image data are accepted and the frame marked
// damaged instead of raising. True at start; nothing changes it.
extern bool GIFTolerant;

// ---------------------------------------------------------------------------
// Colour tables.
struct TRGBTable {
  std::int32_t Count = 0;  // 0 = no table; else 2, 4, ... 256
  Byte Entries[256][3] = {};  // red, green, blue in file order; zero from Count on
};

// The RGB colour ($BBGGRR) of one table entry.
TColor EntryColor(const Byte Entry[3]);
// First index below Count whose colour equals Color (system colours resolved
// to RGB); -1 for clNone or no match.
int IndexOfTableColor(const TRGBTable& Table, TColor Color);
// 2 -> 1, 4 -> 2, ... 256 -> 8; any other count raises SGIFWrongColorCount.
int ColorCountToBits(int Count);

// ---------------------------------------------------------------------------
// Progress of decoding and encoding, reported to the owning image.
enum TGIFProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

// ---------------------------------------------------------------------------
// Reference-counted image data: Reference adds one, Release removes one and
// at zero calls FreeHandle and deletes the object.
class TSharedImage : public TObject {
 public:
  void Reference() { ++FRefCount; }
  void Release();
  int RefCount() const { return FRefCount; }

 protected:
  ~TSharedImage() override = default;
  virtual void FreeHandle() = 0;

 private:
  int FRefCount = 0;
};

// ---------------------------------------------------------------------------
// Extensions.
enum TExtensionKind : Byte { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };
// The labels of the four kinds, in kind order: $F9, $01, $FF, $FE.
extern const Byte ExtensionLabels[4];

class TExtension : public TPersistent {
 public:
  TExtension() = default;
  ~TExtension() override;

  // Copies kind and fixed bytes; the sub-blocks only when Source has a list.
  void Assign(TPersistent* Source) override;
  // A "NETSCAPE2.0" / "ANIMEXTS1.0" application block whose first sub-block
  // is at least 3 bytes and begins with 1 (bytes 2, 3: repeat count).
  bool IsLoopBlock() const;

  TExtensionKind FKind = ekGraphicControl;
  TStringList* FSubBlocks = nullptr;  // owned; one string per sub-block, or none
  Byte FFixed[13] = {};  // block-size byte and the fixed bytes after it
};

// A list of extensions, owned with its entries by whoever holds it; none = nullptr.
using TExtensionList = std::vector<TExtension*>;

// The last entry of Kind, or nullptr.
TExtension* ExtensionOfKind(const TExtensionList* List, TExtensionKind Kind);
// Frees every entry, then the list; List becomes nullptr.
void ClearExtensionList(TExtensionList*& List);

// ---------------------------------------------------------------------------
// The data of the whole file.
class TGIFData : public TSharedImage {
 public:
  TGIFData();
  ~TGIFData() override;

  TStringList* FCommentLines;  // owned; the image comment
  Byte FAspect = 0;
  Byte FGlobalDepth = 0;       // 1 to 8
  Byte FColorResolution = 0;   // 1 to 8
  TRGBTable FGlobalColors;     // Count 0 = none

 protected:
  void FreeHandle() override;  // clears the comment lines
};

// One frame's encoded image data, size and colour table.
class TGIFItem : public TSharedImage {
 public:
  TGIFItem() = default;
  ~TGIFItem() override;

  // Minimum code size byte, sub-blocks and terminator, as in the file.
  TMemoryStream* FEncoded = nullptr;  // owned, or none
  TSize FExtent;           // width (cx), height (cy) in pixels
  Byte FColorDepth = 0;    // 1 to 8; 0 = not yet known
  TRGBTable FColors;       // local table or a copy of the global one

 protected:
  void FreeHandle() override;  // empties FEncoded
};

// ---------------------------------------------------------------------------
// What a frame needs of the image that owns it (TGIFImage implements it).
class TGIFFrameOwner {
 public:
  virtual ~TGIFFrameOwner() = default;

  virtual TGIFData* GlobalData() const = 0;
  virtual int LogicalWidth() const = 0;
  virtual int LogicalHeight() const = 0;
  // Stores a new logical screen size (kept to 16 bits by the image).
  virtual void SetLogicalSize(int Width, int Height) = 0;
  virtual void RecalcScreenSize() = 0;
  // The file version to write: 1 = "87a", 2 = "89a".
  virtual void SetGifVersion(int Version) = 0;
  virtual int FrameCount() const = 0;
  virtual TGIFFrame* FrameAt(int Index) const = 0;
  virtual int CurrentIndex() const = 0;
  // The progress hook of decoding and encoding.
  virtual void ReportProgress(TGIFProgressStage Stage, int Percent, const std::string& Message) = 0;
};

class TGIFFrame : public TPersistent {
 public:
  explicit TGIFFrame(TGIFFrameOwner* Owner);
  ~TGIFFrame() override;

  // Sources: nullptr, another TGIFFrame, a TGIFImage (its current frame), any TGraphic.
  void Assign(TPersistent* Source) override;

  void ResetFrameImage();
  void RecreateBitmap();
  // The decoded picture, decoded on first use; a decoding error propagates
  // and leaves an empty bitmap.
  TBitmap* FrameBitmap();
  int FrameWidth();
  int FrameHeight();

  TStrings* FrameCommentList(bool Create);
  TStrings* FrameComment() { return FrameCommentList(true); }
  void AssignFrameComment(TStrings* Lines);

  // Brings the graphic control extension in line with the fields before writing.
  void SyncControlExtension();
  void StretchDrawFrame(TCanvas* Canvas, const TRect& Rect, bool Transparent);

  TGIFFrameOwner* FParentImage;   // not owned; may be none
  TBitmap* FDecoded = nullptr;    // owned, or none
  TGIFItem* FShared = nullptr;    // one reference held
  TExtensionList* FExtList = nullptr;  // owned with its entries, or none
  TPoint FOrigin;
  bool FIsInterlaced = false;
  bool FDamaged = false;
  bool FGrayReduced = false;
  TColor FTransColor = clNone;
  Word FDelayMs = 0;
  Byte FDisposalMethod = 0;
  bool FOwnColors = false;

 protected:
  void AssignTo(TPersistent* Dest) override;
};
