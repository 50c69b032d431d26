// Build-time tool: draws the pictures the window layouts embed and writes
// them into a folder (layouts/pictures/, where they are committed):
//
//   tamblin_pictures <folder>
//
//   placeholder_wide.jpg      the slot pictures of the wide main window
//   placeholder_compact.jpg   the first slot and hidden placeholder, compact
//   placeholder_compact2.jpg  the other three slots, compact
//   program_icon.bmp          the header icon, 32 x 32
//   glyph_*.bmp               16 x 16 button glyphs
//   chat_icon.bmp             24 x 24 icon of every chat line
//   contact_icon.bmp          24 x 24 icon of every address book row
//   GX_HANDCUR.cur            the widgets' hand cursor, 32 x 32
//   GX_DRAGCUR.cur            the widgets' drag cursor, 32 x 32
//
// Glyphs and the header icon are see-through where they show their
// bottom-left pixel's colour (fuchsia); their edges are smoothed against the
// colour they are shown on. The chat icon's white is see-through. Cursors are
// 32-bit with an alpha channel, their mask clear wherever a shape touched.
//
// Every shape is a test of a point; a pixel's coverage is the share of its
// 4 x 4 sample points inside the shape, so the output is the same on every
// machine.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JpegImage.h"

namespace {

struct TRgb {
  double R, G, B;
};

TRgb Mix(TRgb A, TRgb B, double T) {
  return {A.R + (B.R - A.R) * T, A.G + (B.G - A.G) * T, A.B + (B.B - A.B) * T};
}

constexpr TRgb Rgb(int R, int G, int B) { return {double(R), double(G), double(B)}; }

using TShape = std::function<bool(double X, double Y)>;

// A picture being drawn: colours per pixel, and whether a pixel was touched
// by any shape (untouched pixels become the key colour of see-through pictures).
class TCanvasF {
 public:
  TCanvasF(int W, int H, TRgb Fill) : FW(W), FH(H), FPixels(size_t(W * H), Fill), FCover(size_t(W * H), 0) {}

  int Width() const { return FW; }
  int Height() const { return FH; }

  // Paints Shape in the colour Paint gives for each pixel centre.
  void Draw(const TShape& Shape, const std::function<TRgb(double X, double Y)>& Paint) {
    for (int y = 0; y < FH; ++y)
      for (int x = 0; x < FW; ++x) {
        int inside = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx)
            if (Shape(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++inside;
        if (inside == 0) continue;
        const double t = inside / 16.0;
        size_t i = size_t(y * FW + x);
        FPixels[i] = Mix(FPixels[i], Paint(x + 0.5, y + 0.5), t);
        FCover[i] = std::min(1.0, FCover[i] + t);
      }
  }
  void Draw(const TShape& Shape, TRgb Color) {
    Draw(Shape, [Color](double, double) { return Color; });
  }

  // The picture as a 24-bit bitmap. With a key colour, pixels no shape
  // touched take it.
  std::unique_ptr<TBitmap> ToBitmap(const TRgb* Key) const {
    auto result = std::make_unique<TBitmap>();
    TBitmap& bmp = *result;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(FW, FH);
    for (int y = 0; y < FH; ++y) {
      Byte* row = static_cast<Byte*>(bmp.ScanLine(y));
      for (int x = 0; x < FW; ++x) {
        size_t i = size_t(y * FW + x);
        TRgb c = (Key != nullptr && FCover[i] == 0) ? *Key : FPixels[i];
        row[x * 3 + 0] = Byte(std::clamp(int(std::lround(c.B)), 0, 255));
        row[x * 3 + 1] = Byte(std::clamp(int(std::lround(c.G)), 0, 255));
        row[x * 3 + 2] = Byte(std::clamp(int(std::lround(c.R)), 0, 255));
      }
    }
    return result;
  }

  // The picture as a cursor file of one 32-bit image with its hot spot:
  // alpha from the coverage, the mask see-through where nothing was drawn.
  std::vector<Byte> ToCursor(int HotX, int HotY) const {
    const int maskStride = (FW + 31) / 32 * 4;
    const int imageBytes = 40 + FW * FH * 4 + maskStride * FH;
    std::vector<Byte> out;
    auto u16 = [&](int v) { out.push_back(Byte(v)); out.push_back(Byte(v >> 8)); };
    auto u32 = [&](int v) { u16(v & 0xFFFF); u16(v >> 16); };
    u16(0), u16(2), u16(1);  // cursor file, one image
    out.push_back(Byte(FW)), out.push_back(Byte(FH)), out.push_back(0), out.push_back(0);
    u16(HotX), u16(HotY), u32(imageBytes), u32(6 + 16);
    u32(40), u32(FW), u32(FH * 2), u16(1), u16(32), u32(0), u32(FW * FH * 4), u32(0), u32(0),
        u32(0), u32(0);
    for (int y = FH - 1; y >= 0; --y)
      for (int x = 0; x < FW; ++x) {
        size_t i = size_t(y * FW + x);
        const double a = FCover[i];
        const TRgb& c = FPixels[i];
        for (double v : {c.B, c.G, c.R}) out.push_back(Byte(std::clamp(int(std::lround(v)), 0, 255)));
        out.push_back(Byte(std::lround(a * 255)));
      }
    for (int y = FH - 1; y >= 0; --y) {
      std::vector<Byte> row(size_t(maskStride), 0);
      for (int x = 0; x < FW; ++x)
        if (FCover[size_t(y * FW + x)] == 0) row[size_t(x / 8)] |= Byte(0x80 >> (x % 8));
      out.insert(out.end(), row.begin(), row.end());
    }
    return out;
  }

 private:
  int FW, FH;
  std::vector<TRgb> FPixels;
  std::vector<double> FCover;
};

// ---- shapes ----

TShape Disc(double CX, double CY, double R) {
  return [=](double x, double y) { return (x - CX) * (x - CX) + (y - CY) * (y - CY) <= R * R; };
}
TShape Ellipse(double CX, double CY, double RX, double RY) {
  return [=](double x, double y) {
    double dx = (x - CX) / RX, dy = (y - CY) / RY;
    return dx * dx + dy * dy <= 1.0;
  };
}
TShape Box(double L, double T, double R, double B) {
  return [=](double x, double y) { return x >= L && x < R && y >= T && y < B; };
}
TShape RoundBox(double L, double T, double R, double B, double Radius) {
  return [=](double x, double y) {
    if (x < L || x >= R || y < T || y >= B) return false;
    double cx = std::clamp(x, L + Radius, R - Radius);
    double cy = std::clamp(y, T + Radius, B - Radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= Radius * Radius;
  };
}
// A band of width W around the segment from (X1, Y1) to (X2, Y2), with round ends.
TShape Stroke(double X1, double Y1, double X2, double Y2, double W) {
  return [=](double x, double y) {
    double dx = X2 - X1, dy = Y2 - Y1;
    double t = std::clamp(((x - X1) * dx + (y - Y1) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    double px = X1 + t * dx - x, py = Y1 + t * dy - y;
    return px * px + py * py <= W * W / 4;
  };
}
TShape Triangle(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
  return [=](double x, double y) {
    auto side = [](double ax, double ay, double bx, double by, double px, double py) {
      return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    double a = side(X1, Y1, X2, Y2, x, y), b = side(X2, Y2, X3, Y3, x, y), c = side(X3, Y3, X1, Y1, x, y);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
  };
}
// A ring from radius R1 to R2 between two angles (degrees, counter-clockwise
// from the right, y pointing down).
TShape Arc(double CX, double CY, double R1, double R2, double From, double To) {
  return [=](double x, double y) {
    double d2 = (x - CX) * (x - CX) + (y - CY) * (y - CY);
    if (d2 < R1 * R1 || d2 > R2 * R2) return false;
    double a = std::atan2(CY - y, x - CX) * 180.0 / M_PI;
    if (a < 0) a += 360.0;
    return From <= To ? (a >= From && a <= To) : (a >= From || a <= To);
  };
}
TShape Minus(TShape A, TShape B) {
  return [=](double x, double y) { return A(x, y) && !B(x, y); };
}
TShape Union(TShape A, TShape B) {
  return [=](double x, double y) { return A(x, y) || B(x, y); };
}

std::function<TRgb(double, double)> VerticalGradient(double Top, double Bottom, TRgb From, TRgb To) {
  return [=](double, double y) { return Mix(From, To, std::clamp((y - Top) / (Bottom - Top), 0.0, 1.0)); };
}

// ---- pictures ----

constexpr TRgb kKey = Rgb(255, 0, 255);         // see-through colour of glyphs and icon
constexpr TRgb kButtonFace = Rgb(232, 222, 214);  // what glyph edges are smoothed against
constexpr TRgb kHeaderBlue = Rgb(64, 150, 232);  // what the header icon's edges meet

// A head and shoulders on a soft gradient: "nobody here yet".
TCanvasF Placeholder(int W, int H, TRgb Top, TRgb Bottom, TRgb Figure) {
  TCanvasF c(W, H, Top);
  c.Draw(Box(0, 0, W, H), VerticalGradient(0, H, Top, Bottom));
  const double u = std::min(W, H) / 100.0;
  const double cx = W / 2.0;
  c.Draw(Ellipse(cx, H + 8 * u, 38 * u, 40 * u), Figure);
  c.Draw(Disc(cx, H * 0.42, 19 * u), Figure);
  // a lens ring in the corner: the camera of this slot is waiting
  const double r = 9 * u;
  c.Draw(Minus(Disc(W - r - 5 * u, r + 5 * u, r), Disc(W - r - 5 * u, r + 5 * u, r * 0.55)),
         Mix(Figure, Rgb(255, 255, 255), 0.4));
  return c;
}

TCanvasF ProgramIcon() {
  TCanvasF c(32, 32, kHeaderBlue);
  // a speech bubble holding a camera
  TShape bubble = Union(RoundBox(1, 3, 31, 24, 6), Triangle(7, 22, 15, 22, 5, 30));
  c.Draw(bubble, VerticalGradient(3, 30, Rgb(255, 214, 120), Rgb(240, 140, 20)));
  c.Draw(RoundBox(6, 9, 21, 19, 2), Rgb(255, 255, 255));
  c.Draw(Triangle(20, 14, 27, 9, 27, 19), Rgb(255, 255, 255));
  c.Draw(Disc(13.5, 14, 2.6), Rgb(240, 140, 20));
  return c;
}

TCanvasF GlyphCall() {  // a green video camera
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(RoundBox(1, 4, 11, 12, 1.5), VerticalGradient(4, 12, Rgb(90, 200, 70), Rgb(20, 130, 20)));
  c.Draw(Triangle(10, 8, 15, 4.5, 15, 11.5), Rgb(30, 140, 30));
  c.Draw(Disc(5, 8, 1.6), Rgb(255, 255, 255));
  return c;
}

TCanvasF GlyphStop() {  // a red disc with a white bar
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(Disc(8, 8, 7), VerticalGradient(1, 15, Rgb(250, 90, 80), Rgb(180, 20, 20)));
  c.Draw(Box(4, 6.5, 12, 9.5), Rgb(255, 255, 255));
  return c;
}

TCanvasF GlyphSnapshot() {  // a still camera
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(RoundBox(5, 2.5, 11, 6, 1), Rgb(70, 70, 80));
  c.Draw(RoundBox(1, 4.5, 15, 14, 2), VerticalGradient(4, 14, Rgb(130, 130, 145), Rgb(60, 60, 70)));
  c.Draw(Disc(8, 9.3, 3.6), Rgb(230, 235, 245));
  c.Draw(Disc(8, 9.3, 2.2), Rgb(40, 80, 160));
  return c;
}

TCanvasF GlyphRefresh() {  // a blue circular arrow
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(Arc(8, 8.5, 4, 6.5, 95, 15), Rgb(30, 90, 200));
  c.Draw(Triangle(7.6, 0.2, 7.6, 7.2, 12.6, 3.7), Rgb(30, 90, 200));
  return c;
}

TCanvasF GlyphSettings() {  // a grey gear
  TCanvasF c(16, 16, kButtonFace);
  TShape teeth = [](double x, double y) {
    double a = std::atan2(y - 8, x - 8);
    double d = std::hypot(x - 8, y - 8);
    double tooth = std::cos(8 * a) > 0.3 ? 7.3 : 5.6;
    return d <= tooth;
  };
  c.Draw(Minus(teeth, Disc(8, 8, 2.3)), VerticalGradient(1, 15, Rgb(150, 150, 160), Rgb(80, 80, 95)));
  return c;
}

TCanvasF GlyphExit() {  // a red cross
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(Union(Stroke(3.5, 3.5, 12.5, 12.5, 3.2), Stroke(12.5, 3.5, 3.5, 12.5, 3.2)),
         Rgb(200, 30, 30));
  return c;
}

TCanvasF ChatIcon() {  // a blue speech bubble with three dots, on white
  TCanvasF c(24, 24, Rgb(255, 255, 255));
  TShape bubble = Union(RoundBox(1, 2, 23, 17, 5), Triangle(5, 15, 12, 15, 3, 22));
  c.Draw(bubble, VerticalGradient(2, 22, Rgb(110, 170, 245), Rgb(30, 90, 200)));
  for (double x : {7.0, 12.0, 17.0}) c.Draw(Disc(x, 9.5, 1.6), Rgb(250, 250, 250));
  return c;
}

TCanvasF GlyphSave() {  // a blue diskette
  TCanvasF c(16, 16, kButtonFace);
  c.Draw(RoundBox(1.5, 1.5, 14.5, 14.5, 1.2), VerticalGradient(1, 15, Rgb(70, 130, 220), Rgb(20, 60, 150)));
  c.Draw(Box(4, 1.5, 12, 6), Rgb(235, 240, 250));
  c.Draw(Box(9.5, 2.3, 11, 5.2), Rgb(20, 60, 150));
  c.Draw(Box(3.5, 9, 12.5, 14.5), Rgb(250, 250, 250));
  return c;
}

TCanvasF ContactIcon() {  // a person's head and shoulders, on white
  TCanvasF c(24, 24, Rgb(255, 255, 255));
  TShape person = Union(Disc(12, 8, 5), Minus(Ellipse(12, 23, 10, 8.5), Box(0, 22, 24, 24)));
  c.Draw(person, VerticalGradient(2, 22, Rgb(120, 190, 250), Rgb(30, 100, 200)));
  return c;
}

TShape Polygon(std::vector<std::pair<double, double>> Points) {
  return [=](double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = Points.size() - 1; i < Points.size(); j = i++) {
      const auto [xi, yi] = Points[i];
      const auto [xj, yj] = Points[j];
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
  };
}

constexpr TRgb kBlack = Rgb(0, 0, 0);
constexpr TRgb kWhite = Rgb(255, 255, 255);

// A hand pointing up with its index finger; the hot spot is the fingertip.
TCanvasF HandCursor() {
  TCanvasF c(32, 32, kBlack);
  struct TStroke {
    double X1, Y1, X2, Y2, W;
  };
  const TStroke fingers[] = {{11.5, 3.5, 11.5, 17, 4.4},   // index
                             {15.8, 12.5, 15.8, 18, 4},    // middle
                             {19.8, 13.5, 19.8, 19, 4},    // ring
                             {23.6, 15, 23.6, 20, 3.6},    // little
                             {6, 17.5, 9.5, 22, 3.8}};     // thumb
  const TShape palm = RoundBox(9, 15.5, 25.6, 28.5, 3.5);
  const TShape palmOutline = RoundBox(7.8, 14.3, 26.8, 29.7, 4.5);
  for (const TStroke& f : fingers) c.Draw(Stroke(f.X1, f.Y1, f.X2, f.Y2, f.W + 2.4), kBlack);
  c.Draw(palmOutline, kBlack);
  for (const TStroke& f : fingers) c.Draw(Stroke(f.X1, f.Y1, f.X2, f.Y2, f.W), kWhite);
  c.Draw(palm, kWhite);
  return c;
}

// The arrow with a box under it: something being dragged; the hot spot is
// the arrow's point.
TCanvasF DragCursor() {
  TCanvasF c(32, 32, kBlack);
  c.Draw(Polygon({{1, 1}, {1, 19}, {5.6, 14.8}, {8.8, 22}, {12, 20.6}, {8.9, 13.6}, {14.6, 13.6}}),
         kBlack);
  c.Draw(Polygon({{2.3, 4.2}, {2.3, 16}, {5.9, 12.6}, {9.4, 20.3}, {10.4, 19.9}, {6.9, 12.3},
                  {11.4, 12.3}}),
         kWhite);
  c.Draw(Box(14, 19, 28, 29), kBlack);
  c.Draw(Box(15.2, 20.2, 26.8, 27.8), kWhite);
  c.Draw(Box(17, 22, 25, 23.2), Rgb(96, 96, 96));
  c.Draw(Box(17, 24.6, 23, 25.8), Rgb(96, 96, 96));
  return c;
}

void WriteBytes(const std::string& Path, const void* Data, size_t Size) {
  TFileStream out(Path, fmCreate);
  out.WriteBuffer(Data, int(Size));
}

void WriteJpeg(const std::string& Path, const TCanvasF& C) {
  std::vector<Byte> jpeg = EncodeJpeg(*C.ToBitmap(nullptr), 90);
  WriteBytes(Path, jpeg.data(), jpeg.size());
}

void WriteBmp(const std::string& Path, const TCanvasF& C, const TRgb* Key) {
  TMemoryStream stream;
  C.ToBitmap(Key)->SaveToStream(&stream);
  WriteBytes(Path, stream.Memory(), size_t(stream.Size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  try {
    WriteJpeg(dir + "placeholder_wide.jpg",
              Placeholder(201, 165, Rgb(214, 226, 240), Rgb(150, 172, 200), Rgb(245, 248, 252)));
    WriteJpeg(dir + "placeholder_compact.jpg",
              Placeholder(129, 105, Rgb(214, 226, 240), Rgb(150, 172, 200), Rgb(245, 248, 252)));
    WriteJpeg(dir + "placeholder_compact2.jpg",
              Placeholder(129, 105, Rgb(226, 226, 226), Rgb(170, 170, 178), Rgb(248, 248, 248)));
    WriteBmp(dir + "program_icon.bmp", ProgramIcon(), &kKey);
    WriteBmp(dir + "glyph_call.bmp", GlyphCall(), &kKey);
    WriteBmp(dir + "glyph_stop.bmp", GlyphStop(), &kKey);
    WriteBmp(dir + "glyph_snapshot.bmp", GlyphSnapshot(), &kKey);
    WriteBmp(dir + "glyph_refresh.bmp", GlyphRefresh(), &kKey);
    WriteBmp(dir + "glyph_settings.bmp", GlyphSettings(), &kKey);
    WriteBmp(dir + "glyph_exit.bmp", GlyphExit(), &kKey);
    WriteBmp(dir + "chat_icon.bmp", ChatIcon(), nullptr);
    WriteBmp(dir + "glyph_save.bmp", GlyphSave(), &kKey);
    WriteBmp(dir + "contact_icon.bmp", ContactIcon(), nullptr);
    const std::vector<Byte> hand = HandCursor().ToCursor(11, 1);
    WriteBytes(dir + "GX_HANDCUR.cur", hand.data(), hand.size());
    const std::vector<Byte> drag = DragCursor().ToCursor(1, 1);
    WriteBytes(dir + "GX_DRAGCUR.cur", drag.data(), drag.size());
  } catch (const Exception& e) {
    std::fprintf(stderr, "tamblin_pictures: %s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
