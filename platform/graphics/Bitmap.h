#pragma once
// TBitmap: a picture held in our own memory. Rows are stored top-down, each
// padded to a multiple of 4 bytes. Pixel layouts per format:
//   pf1bit / pf4bit / pf8bit  palette indices, most significant bits first
//   pf15bit / pf16bit         16-bit little-endian x1r5g5b5
//   pf24bit                   B, G, R
//   pf32bit (and pfDevice)    B, G, R, X
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/PixelStore.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
// A device-dependent bitmap is one in the screen's format (pfDevice, 32 bits
// here); every other format is device-independent.
enum TBitmapHandleType { bmDIB, bmDDB };

// One palette entry.
struct TPaletteEntry {
  Byte Red = 0;
  Byte Green = 0;
  Byte Blue = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
using TBitmapPalette = std::vector<TPaletteEntry>;

// Pixel records of 24- and 32-bit rows.
struct TRGBTriple {
  Byte rgbtBlue;
  Byte rgbtGreen;
  Byte rgbtRed;
};
struct TRGBQuad {
  Byte rgbBlue;
  Byte rgbGreen;
  Byte rgbRed;
  Byte rgbReserved;
};
static_assert(sizeof(TRGBTriple) == 3 && sizeof(TRGBQuad) == 4);

// Bits per pixel of a format (pfDevice: 32; pfCustom: 0).
int BitsOfPixelFormat(TPixelFormat Format);
// Bytes of one row: Width * bits, rounded up to a multiple of 32 bits.
int BytesPerScanLine(int Width, int BitsPerPixel);
// The palette a new paletted bitmap starts with: 2 colours black and white,
// the 16 VGA colours, or 256 colours (the 16 VGA colours and a colour cube).
TBitmapPalette DefaultPalette(TPixelFormat Format);
// Index of the palette entry nearest to Color (squared RGB distance; the
// first of equally near entries). -1 for an empty palette.
int NearestPaletteIndex(const TBitmapPalette& Palette, TColor Color);

// From this call on, drawing a plain TBitmap onto a canvas holds the
// bitmap's own canvas lock for the duration (for threads that animate
// pictures); process-wide and never undone.
void EnableLockedBitmapDraw();

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  // Source: a TBitmap (deep copy: pixels, format, palette, transparency),
  // nullptr (empty), or anything whose AssignTo fills a bitmap (a TJPEGImage
  // gives its decoded picture); otherwise EConvertError.
  void Assign(TPersistent* Source) override;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Growing fills the new area with the canvas brush colour (white unless the
  // canvas says otherwise); shrinking keeps the top-left part.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);
  // A new picture of AWidth x AHeight in Format for a writer that fills
  // every row itself (a decoder): the old picture goes, and nothing is
  // copied or filled in before the writer comes. Paletted formats get the
  // format's default palette.
  void NewPicture(TPixelFormat Format, int AWidth, int AHeight);
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // A new bitmap is pfDevice. Converts the pixels: to a paletted format by the nearest palette colour
  // (of the default palette of that format), between true-colour formats exactly
  // (5-bit channels widen by repeating their top bits).
  void SetPixelFormat(TPixelFormat Value);
  int BitsPerPixel() const { return BitsOfPixelFormat(FPixelFormat); }
  int BytesPerLine() const { return FBytesPerLine; }

  // Row Y counted from the top; ERangeError "Scan line index out of range"
  // outside 0..Height-1.
  void* ScanLine(int Y);
  const void* ScanLine(int Y) const;
  // All rows, top row first (nullptr while empty).
  Byte* Bits() { return FPixels.empty() ? nullptr : FPixels.data(); }
  const Byte* Bits() const { return FPixels.empty() ? nullptr : FPixels.data(); }

  // Palette of pf1bit/pf4bit/pf8bit bitmaps (empty for the others). Setting
  // keeps at most 2^bits entries; indices beyond the palette show black.
  const TBitmapPalette& Palette() const { return FPalette; }
  void SetPalette(const TBitmapPalette& Value);

  // One pixel as a colour, and setting one (paletted: the nearest entry).
  // Outside the bitmap: Pixel gives -1 and SetPixel does nothing.
  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor Color);

  // The colour drawn as see-through when Transparent is on: under tmAuto the
  // bottom-left pixel (white for a monochrome bitmap), under tmFixed the
  // colour last set, system colours resolved, a palette-relative colour
  // ($02BBGGRR) taken as its RGB. Setting clDefault returns to tmAuto.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // Monochrome: a 1-bit bitmap with the black/white palette. Setting True
  // converts to it (nearest of black and white); False to pfDevice.
  bool Monochrome() const;
  void SetMonochrome(bool Value);
  // bmDDB converts to pfDevice (a monochrome bitmap stays 1-bit); bmDIB turns
  // pfDevice into pf32bit (same memory).
  TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
  void SetHandleType(TBitmapHandleType Value);

  // The canvas drawing on this bitmap, made on first use.
  TCanvas* Canvas();
  bool HasCanvas() const { return FCanvas != nullptr; }

  // BMP file form. Reading raises EInvalidGraphic "Bitmap image is not valid"
  // for anything it cannot read and leaves the bitmap unchanged then.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Layout form: a 32-bit length, then the BMP file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) override;
  void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) override;

  // Stretches the picture into Rect (nearest pixels); when Transparent,
  // pixels of TransparentColor are left out.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

  // Tells listeners that the pixels were changed through ScanLine/Bits.
  void Modify() { Changed(this); }

 private:
  void Resize(int NewWidth, int NewHeight);
  void Reformat(TPixelFormat NewFormat, const TBitmapPalette& NewPalette);
  TColor FillColor() const;
  void ReadBmp(const Byte* Data, std::size_t Size);

  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  int FBytesPerLine = 0;
  TPixelStore FPixels;
  TBitmapPalette FPalette;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  TCanvas* FCanvas = nullptr;
};
