#include "platform/graphics/Canvas.h"

#include <algorithm>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/CanvasSurfaceQt.h"

TCanvas::TCanvas(TBitmap* Surface)
    : FSurface(Surface),
      FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>()) {
  FBrush->SetOnChange([this](TObject*) { BrushChanged(); });
  BrushChanged();
}

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(TBitmap* Surface) {
  FSurface = Surface;
  FState = TDeviceState();
  FSaved.clear();
  BrushChanged();
}

TBitmap* TCanvas::RequireSurface() const {
  if (FSurface == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
  return FSurface;
}

void TCanvas::Changed() {
  if (FOnChange) FOnChange(this);
}

// Selecting a brush sets the text background as the host's canvas does: its
// colour, opaque for a solid brush and transparent for a clear one. A
// SetBkMode call holds until the brush changes again.
void TCanvas::BrushChanged() {
  FState.BkColor = FBrush->Color();
  FState.BkMode = FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE;
}

// ---- Device state ----

int TCanvas::SetBkMode(int Mode) {
  int old = FState.BkMode;
  if (Mode == TRANSPARENT || Mode == OPAQUE) FState.BkMode = Mode;
  return old;
}

TColor TCanvas::SetBkColor(TColor Color) {
  TColor old = FState.BkColor;
  FState.BkColor = Color;
  return old;
}

int TCanvas::SetStretchBltMode(int Mode) {
  int old = FState.StretchMode;
  if (Mode >= BLACKONWHITE && Mode <= HALFTONE) FState.StretchMode = Mode;
  return old;
}

TPoint TCanvas::SetViewportOrg(int X, int Y) {
  TPoint old = FState.ViewportOrg;
  FState.ViewportOrg = TPoint{X, Y};
  return old;
}

TPoint TCanvas::SetWindowOrg(int X, int Y) {
  TPoint old = FState.WindowOrg;
  FState.WindowOrg = TPoint{X, Y};
  return old;
}

TPoint TCanvas::LogicalToDevice(TPoint P) const {
  return TPoint{P.X - FState.WindowOrg.X + FState.ViewportOrg.X,
                P.Y - FState.WindowOrg.Y + FState.ViewportOrg.Y};
}

TPoint TCanvas::DeviceToLogical(TPoint P) const {
  return TPoint{P.X + FState.WindowOrg.X - FState.ViewportOrg.X,
                P.Y + FState.WindowOrg.Y - FState.ViewportOrg.Y};
}

TRegion TCanvas::DrawableRegion() const {
  if (FSurface == nullptr) return TRegion();
  TRegion region = CreateRectRgn(0, 0, FSurface->Width(), FSurface->Height());
  if (FState.MetaClipped) region = region.Intersected(FState.MetaClip);
  if (FState.Clipped) region = region.Intersected(FState.Clip);
  return region;
}

TRect TCanvas::ClipRect() const {
  TRect bounds = DrawableRegion().Bounds();
  if (bounds.IsEmpty()) return TRect{};
  TPoint topLeft = DeviceToLogical(TPoint{bounds.Left, bounds.Top});
  return Bounds(topLeft.X, topLeft.Y, bounds.Width(), bounds.Height());
}

void TCanvas::IntersectClipRect(int Left, int Top, int Right, int Bottom) {
  TPoint a = LogicalToDevice(TPoint{Left, Top});
  TPoint b = LogicalToDevice(TPoint{Right, Bottom});
  int left = a.X, top = a.Y, right = b.X, bottom = b.Y;
  if (FSurface != nullptr) {
    // Beyond the surface nothing is drawn anyway; this keeps huge
    // rectangles from becoming huge regions.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, FSurface->Width());
    bottom = std::min(bottom, FSurface->Height());
  }
  TRegion rect = CreateRectRgn(left, top, right, bottom);
  FState.Clip = FState.Clipped ? FState.Clip.Intersected(rect) : rect;
  FState.Clipped = true;
}

void TCanvas::SelectClipRgn(const TRegion* Region) {
  if (Region == nullptr) {
    FState.Clipped = false;
    FState.Clip = TRegion();
    return;
  }
  TRegion device = *Region;
  TPoint shift = LogicalToDevice(TPoint{0, 0});
  device.Offset(shift.X, shift.Y);
  FState.Clip = std::move(device);
  FState.Clipped = true;
}

void TCanvas::SetMetaRgn() {
  if (!FState.Clipped) return;
  FState.MetaClip = FState.MetaClipped ? FState.MetaClip.Intersected(FState.Clip) : FState.Clip;
  FState.MetaClipped = true;
  FState.Clipped = false;
  FState.Clip = TRegion();
}

int TCanvas::SaveDC() {
  FSaved.push_back(FState);
  return int(FSaved.size());
}

bool TCanvas::RestoreDC(int Saved) {
  int level = Saved < 0 ? int(FSaved.size()) + 1 + Saved : Saved;
  if (level < 1 || level > int(FSaved.size())) return false;
  FState = FSaved[std::size_t(level - 1)];
  FSaved.resize(std::size_t(level - 1));
  return true;
}

TColor TCanvas::GetNearestColor(TColor Color) {
  TBitmap* surface = RequireSurface();
  TColor rgb = ColorToRGB(Color) & 0xFFFFFF;
  int bits = surface->BitsPerPixel();
  if (bits <= 8) {
    TBitmapPalette palette =
        surface->Palette().empty() ? DefaultPalette(surface->PixelFormat()) : surface->Palette();
    int index = NearestPaletteIndex(palette, rgb);
    if (index < 0) return rgb;
    return RGB(palette[index].Red, palette[index].Green, palette[index].Blue);
  }
  if (bits == 16) {
    auto channel = [](int c) { return ((c >> 3) << 3) | (c >> 5); };
    return RGB(channel(GetRValue(rgb)), channel(GetGValue(rgb)), channel(GetBValue(rgb)));
  }
  return rgb;
}

// ---- Lock ----

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}

// ---- Pixels ----

TColor TCanvas::Pixels(int X, int Y) {
  TBitmap* surface = RequireSurface();
  TPoint d = LogicalToDevice(TPoint{X, Y});
  if (d.X < 0 || d.Y < 0 || d.X >= surface->Width() || d.Y >= surface->Height()) return -1;
  if ((FState.Clipped && !FState.Clip.Contains(d.X, d.Y)) ||
      (FState.MetaClipped && !FState.MetaClip.Contains(d.X, d.Y)))
    return -1;
  return surface->Pixel(d.X, d.Y);
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  TPoint d = LogicalToDevice(TPoint{X, Y});
  TSurfacePainter surface(*this, QRect(d.X, d.Y, 1, 1));
  if (surface.Active()) surface.SetPixel(d.X, d.Y, QtRgb(Color));
  surface.Finish();
}
