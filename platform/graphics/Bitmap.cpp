#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <typeinfo>
#include <unordered_map>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Canvas.h"

namespace {

// Largest pixel store one bitmap may hold; anything bigger is a mistake or
// a hostile size field, never a picture this program shows.
constexpr std::int64_t kMaxPixelBytes = std::int64_t(1) << 30;

std::atomic<bool> gLockedBitmapDraw{false};

const TPaletteEntry kVga16[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

bool IsPaletted(TPixelFormat Format) {
  return Format == pf1bit || Format == pf4bit || Format == pf8bit;
}

// Reads and writes pixels of one row in any of the stored layouts.
struct PixelCodec {
  int Bits;
  const TBitmapPalette* Palette;

  unsigned Index(const Byte* Row, int X) const {
    switch (Bits) {
      case 1: return (Row[X >> 3] >> (7 - (X & 7))) & 1;
      case 4: return (Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 0xF;
      default: return Row[X];
    }
  }
  static void SetIndex(Byte* Row, int X, int Bits, unsigned Value) {
    switch (Bits) {
      case 1: {
        Byte mask = Byte(0x80 >> (X & 7));
        Row[X >> 3] = Byte(Value & 1 ? Row[X >> 3] | mask : Row[X >> 3] & ~mask);
        break;
      }
      case 4: {
        Byte& b = Row[X >> 1];
        b = (X & 1) ? Byte((b & 0xF0) | (Value & 0xF)) : Byte((b & 0x0F) | ((Value & 0xF) << 4));
        break;
      }
      default: Row[X] = Byte(Value);
    }
  }

  TColor Color(const Byte* Row, int X) const {
    switch (Bits) {
      case 1:
      case 4:
      case 8: {
        unsigned i = Index(Row, X);
        if (i >= Palette->size()) return clBlack;
        const TPaletteEntry& e = (*Palette)[i];
        return RGB(e.Red, e.Green, e.Blue);
      }
      case 16: {
        unsigned v = Row[2 * X] | (unsigned(Row[2 * X + 1]) << 8);
        auto widen = [](unsigned c5) { return int((c5 << 3) | (c5 >> 2)); };
        return RGB(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
      }
      case 24: return RGB(Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]);
      default: return RGB(Row[4 * X + 2], Row[4 * X + 1], Row[4 * X]);
    }
  }
};

// The stored value of one colour in a true-colour layout.
void StoreTrueColor(Byte* Row, int X, int Bits, TColor Color) {
  int r = GetRValue(Color), g = GetGValue(Color), b = GetBValue(Color);
  switch (Bits) {
    case 16: {
      unsigned v = unsigned((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
      Row[2 * X] = Byte(v);
      Row[2 * X + 1] = Byte(v >> 8);
      break;
    }
    case 24:
      Row[3 * X] = Byte(b);
      Row[3 * X + 1] = Byte(g);
      Row[3 * X + 2] = Byte(r);
      break;
    default:
      Row[4 * X] = Byte(b);
      Row[4 * X + 1] = Byte(g);
      Row[4 * X + 2] = Byte(r);
      Row[4 * X + 3] = 0xFF;
  }
}

// Nearest palette entries of many colours, remembered per colour.
class NearestCache {
 public:
  explicit NearestCache(const TBitmapPalette& Palette) : FPalette(Palette) {}
  unsigned operator()(TColor Color) {
    auto it = FCache.find(Color);
    if (it != FCache.end()) return it->second;
    int index = std::max(NearestPaletteIndex(FPalette, Color), 0);
    FCache.emplace(Color, unsigned(index));
    return unsigned(index);
  }

 private:
  const TBitmapPalette& FPalette;
  std::unordered_map<TColor, unsigned> FCache;
};

}  // namespace

int BitsOfPixelFormat(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pfDevice:
    case pf32bit: return 32;
    default: return 0;
  }
}

int BytesPerScanLine(int Width, int BitsPerPixel) {
  return int((std::int64_t(Width) * BitsPerPixel + 31) / 32 * 4);
}

TBitmapPalette DefaultPalette(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return {{0, 0, 0}, {255, 255, 255}};
    case pf4bit: return TBitmapPalette(std::begin(kVga16), std::end(kVga16));
    case pf8bit: {
      // Like a desktop's system palette: the first and last eight of the VGA
      // colours at both ends, a 6x6x6 colour cube and a grey ramp between.
      TBitmapPalette palette(std::begin(kVga16), std::begin(kVga16) + 8);
      static const Byte levels[6] = {0, 51, 102, 153, 204, 255};
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b) palette.push_back({levels[r], levels[g], levels[b]});
      for (int i = 1; i <= 24; ++i) {
        Byte v = Byte(i * 255 / 25);
        palette.push_back({v, v, v});
      }
      palette.insert(palette.end(), std::begin(kVga16) + 8, std::end(kVga16));
      return palette;
    }
    default: return {};
  }
}

int NearestPaletteIndex(const TBitmapPalette& Palette, TColor Color) {
  int r = GetRValue(Color), g = GetGValue(Color), b = GetBValue(Color);
  int best = -1;
  long bestDistance = std::numeric_limits<long>::max();
  for (std::size_t i = 0; i < Palette.size(); ++i) {
    long dr = Palette[i].Red - r, dg = Palette[i].Green - g, db = Palette[i].Blue - b;
    long distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = int(i);
      if (distance == 0) break;
    }
  }
  return best;
}

void EnableLockedBitmapDraw() { gLockedBitmapDraw = true; }

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { delete FCanvas; }

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    FWidth = FHeight = 0;
    FBytesPerLine = 0;
    FPixels.clear();
    Changed(this);
    return;
  }
  if (auto* source = dynamic_cast<TBitmap*>(Source)) {
    FWidth = source->FWidth;
    FHeight = source->FHeight;
    FPixelFormat = source->FPixelFormat;
    FBytesPerLine = source->FBytesPerLine;
    FPixels = source->FPixels;
    FPalette = source->FPalette;
    FTransparentColor = source->FTransparentColor;
    FTransparentMode = source->FTransparentMode;
    TGraphic::SetTransparent(source->Transparent());
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::SetWidth(int Value) { SetSize(Value, FHeight); }
void TBitmap::SetHeight(int Value) { SetSize(FWidth, Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  Resize(AWidth, AHeight);
  Changed(this);
}

void TBitmap::NewPicture(TPixelFormat Format, int AWidth, int AHeight) {
  if (Format == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  const int stride = BytesPerScanLine(AWidth, BitsOfPixelFormat(Format));
  const std::int64_t total = std::int64_t(stride) * AHeight;
  if (total > kMaxPixelBytes) throw EOutOfResources("Out of system resources");
  FPixels = TPixelStore::Unfilled(static_cast<std::size_t>(total));
  // The writer fills the pixels; the bytes that pad each row to whole words
  // are nobody's, and a reused store would leave old bytes there.
  const std::size_t used = std::size_t((std::int64_t(AWidth) * BitsOfPixelFormat(Format) + 7) / 8);
  if (used < std::size_t(stride))
    for (int y = 0; y < AHeight; ++y)
      std::memset(FPixels.data() + std::size_t(y) * stride + used, 0, std::size_t(stride) - used);
  FPixelFormat = Format;
  FPalette = IsPaletted(Format) ? DefaultPalette(Format) : TBitmapPalette{};
  FWidth = AWidth;
  FHeight = AHeight;
  FBytesPerLine = stride;
  Changed(this);
}

TColor TBitmap::FillColor() const {
  return FCanvas != nullptr ? ColorToRGB(FCanvas->Brush()->Color()) & 0xFFFFFF : clWhite;
}

void TBitmap::Resize(int NewWidth, int NewHeight) {
  int bits = BitsPerPixel();
  int stride = BytesPerScanLine(NewWidth, bits);
  std::int64_t total = std::int64_t(stride) * NewHeight;
  if (total > kMaxPixelBytes) throw EOutOfResources("Out of system resources");
  if (IsPaletted(FPixelFormat) && FPalette.empty()) FPalette = DefaultPalette(FPixelFormat);

  // The new store starts as one row of fill colour repeated.
  TPixelStore pixels{std::size_t(total)};
  if (total > 0) {
    TColor fill = FillColor();
    Byte* first = pixels.data();
    if (IsPaletted(FPixelFormat)) {
      unsigned index = unsigned(std::max(NearestPaletteIndex(FPalette, fill), 0));
      for (int x = 0; x < NewWidth; ++x) PixelCodec::SetIndex(first, x, bits, index);
    } else {
      for (int x = 0; x < NewWidth; ++x) StoreTrueColor(first, x, bits, fill);
    }
    for (int y = 1; y < NewHeight; ++y) std::memcpy(first + std::size_t(y) * stride, first, stride);
  }

  // Then the old picture's overlapping part is copied over it.
  int keepWidth = std::min(FWidth, NewWidth);
  int keepHeight = std::min(FHeight, NewHeight);
  int wholeBytes = int(std::int64_t(keepWidth) * bits / 8);
  PixelCodec codec{bits, &FPalette};
  for (int y = 0; y < keepHeight; ++y) {
    const Byte* from = FPixels.data() + std::size_t(y) * FBytesPerLine;
    Byte* to = pixels.data() + std::size_t(y) * stride;
    std::memcpy(to, from, wholeBytes);
    for (int x = wholeBytes * 8 / bits; x < keepWidth; ++x)
      PixelCodec::SetIndex(to, x, bits, codec.Index(from, x));
  }

  FPixels = std::move(pixels);
  FWidth = NewWidth;
  FHeight = NewHeight;
  FBytesPerLine = stride;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
  if (Value == FPixelFormat) return;
  Reformat(Value, DefaultPalette(Value));
  Changed(this);
}

void TBitmap::Reformat(TPixelFormat NewFormat, const TBitmapPalette& NewPalette) {
  int oldBits = BitsPerPixel();
  int newBits = BitsOfPixelFormat(NewFormat);
  if (oldBits == newBits && !IsPaletted(NewFormat)) {
    // pf15bit/pf16bit and pfDevice/pf32bit share their memory layout.
    FPixelFormat = NewFormat;
    return;
  }
  int stride = BytesPerScanLine(FWidth, newBits);
  std::int64_t total = std::int64_t(stride) * FHeight;
  if (total > kMaxPixelBytes) throw EOutOfResources("Out of system resources");
  TPixelStore pixels{std::size_t(total)};
  PixelCodec from{oldBits, &FPalette};
  NearestCache nearest(NewPalette);
  for (int y = 0; y < FHeight; ++y) {
    const Byte* src = FPixels.data() + std::size_t(y) * FBytesPerLine;
    Byte* dst = pixels.data() + std::size_t(y) * stride;
    for (int x = 0; x < FWidth; ++x) {
      TColor color = from.Color(src, x);
      if (IsPaletted(NewFormat))
        PixelCodec::SetIndex(dst, x, newBits, nearest(color));
      else
        StoreTrueColor(dst, x, newBits, color);
    }
  }
  FPixels = std::move(pixels);
  FBytesPerLine = stride;
  FPixelFormat = NewFormat;
  FPalette = IsPaletted(NewFormat) ? NewPalette : TBitmapPalette{};
}

void* TBitmap::ScanLine(int Y) {
  return const_cast<void*>(static_cast<const TBitmap*>(this)->ScanLine(Y));
}

const void* TBitmap::ScanLine(int Y) const {
  if (Y < 0 || Y >= FHeight) throw ERangeError(SScanLine);
  return FPixels.data() + std::size_t(Y) * FBytesPerLine;
}

void TBitmap::SetPalette(const TBitmapPalette& Value) {
  if (!IsPaletted(FPixelFormat)) return;
  std::size_t limit = std::size_t(1) << BitsPerPixel();
  FPalette.assign(Value.begin(), Value.begin() + std::min(limit, Value.size()));
  SetPaletteModified(true);
  Changed(this);
}

TColor TBitmap::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return -1;
  PixelCodec codec{BitsPerPixel(), &FPalette};
  return codec.Color(FPixels.data() + std::size_t(Y) * FBytesPerLine, X);
}

void TBitmap::SetPixel(int X, int Y, TColor Color) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  Color = ColorToRGB(Color) & 0xFFFFFF;
  Byte* row = FPixels.data() + std::size_t(Y) * FBytesPerLine;
  int bits = BitsPerPixel();
  if (IsPaletted(FPixelFormat))
    PixelCodec::SetIndex(row, X, bits, unsigned(std::max(NearestPaletteIndex(FPalette, Color), 0)));
  else
    StoreTrueColor(row, X, bits, Color);
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) {
    TColor color = ColorToRGB(FTransparentColor);
    // A palette-relative colour ($02BBGGRR) means the same RGB here.
    return (unsigned(color) >> 24) == 0x02 ? color & 0xFFFFFF : color;
  }
  if (Monochrome()) return clWhite;
  return Pixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

bool TBitmap::Monochrome() const {
  static const TBitmapPalette blackWhite = DefaultPalette(pf1bit);
  return FPixelFormat == pf1bit && FPalette == blackWhite;
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  Reformat(Value ? pf1bit : pfDevice, DefaultPalette(Value ? pf1bit : pfDevice));
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == HandleType()) return;
  if (Value == bmDDB) {
    if (Monochrome()) return;
    SetPixelFormat(pfDevice);
  } else {
    SetPixelFormat(pf32bit);
  }
}

TCanvas* TBitmap::Canvas() {
  if (FCanvas == nullptr) {
    FCanvas = new TCanvas(this);
    // Drawing on the canvas is a change of the bitmap.
    FCanvas->SetOnChange([this](TObject*) { Changed(this); });
  }
  return FCanvas;
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  TCanvas* source = Canvas();
  bool lock = gLockedBitmapDraw && typeid(*this) == typeid(TBitmap);
  if (lock) source->Lock();
  try {
    // The blits give a 1-bit source the destination's text colour for 0
    // bits and its background colour for 1 bits: lend them the palette's.
    TColor oldText = ACanvas->Font()->Color();
    TColor oldBack = ACanvas->BkColor();
    bool oneBit = FPixelFormat == pf1bit;
    if (oneBit) {
      TColor zero = FPalette.size() > 0 ? RGB(FPalette[0].Red, FPalette[0].Green, FPalette[0].Blue) : clBlack;
      TColor one = FPalette.size() > 1 ? RGB(FPalette[1].Red, FPalette[1].Green, FPalette[1].Blue) : clBlack;
      ACanvas->Font()->SetColor(zero);
      ACanvas->SetBkColor(one);
    }
    int oldMode = Monochrome() ? ACanvas->StretchBltMode() : ACanvas->SetStretchBltMode(COLORONCOLOR);
    if (Transparent())
      TransparentStretchBlt(ACanvas, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source, 0, 0,
                            FWidth, FHeight, TransparentColor());
    else
      StretchBlt(ACanvas, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source, 0, 0, FWidth,
                 FHeight, ACanvas->CopyMode());
    ACanvas->SetStretchBltMode(oldMode);
    if (oneBit) {
      ACanvas->Font()->SetColor(oldText);
      ACanvas->SetBkColor(oldBack);
    }
  } catch (...) {
    if (lock) source->Unlock();
    throw;
  }
  if (lock) source->Unlock();
}

void TBitmap::SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) {
  TMemoryStream stream;
  SaveToStream(&stream);
  Format = CF_BITMAP;
  const Byte* bytes = static_cast<const Byte*>(stream.Memory());
  Data.assign(bytes, bytes + stream.Size());
}

void TBitmap::LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) {
  if (Format != CF_BITMAP) throw EInvalidGraphic(SUnknownClipboardFormat);
  ReadBmp(Data.data(), Data.size());
}
