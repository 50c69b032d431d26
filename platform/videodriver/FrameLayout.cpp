#include "platform/videodriver/FrameLayout.h"

#include <algorithm>
#include <cctype>

namespace {

const TFrameFormatInfo kFormats[] = {
    {fpRGB24, "RGB 24", BI_RGB, 24},
    {fpYUY2, "YUY2", MakeFourCC('Y', 'U', 'Y', '2'), 16},
    {fpUYVY, "UYVY", MakeFourCC('U', 'Y', 'V', 'Y'), 16},
    {fpY41P, "Y41P", MakeFourCC('Y', '4', '1', 'P'), 12},
    {fpYVU9, "YVU9", MakeFourCC('Y', 'V', 'U', '9'), 9},
    {fpI420, "I420", MakeFourCC('I', '4', '2', '0'), 12},
    {fpY8, "Y8", MakeFourCC('Y', '8', ' ', ' '), 8},
    {fpY211, "Y211", MakeFourCC('Y', '2', '1', '1'), 8},
};

std::size_t RgbStride(int Width) { return (std::size_t(Width) * 24 + 31) / 32 * 4; }

// Packed rows: bytes per row of each packed layout.
std::size_t PackedRow(TFramePixelFormat Format, int Width) {
  const std::size_t w = std::size_t(Width);
  switch (Format) {
    case fpYUY2:
    case fpUYVY: return w * 2;
    case fpY41P: return (w + 7) / 8 * 12;
    case fpY8: return w;
    case fpY211: return (w + 3) / 4 * 4;
    default: return 0;
  }
}

Byte Clip(int v) { return Byte(v < 0 ? 0 : v > 255 ? 255 : v); }

struct Yuv {
  Byte Y, U, V;
};

Yuv ToYuv(const Byte* rgb) {
  const int r = rgb[0], g = rgb[1], b = rgb[2];
  return {Byte(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16),
          Byte(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128),
          Byte(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128)};
}

void ToRgb(int y, int u, int v, Byte& red, Byte& green, Byte& blue) {
  const int c = y - 16, d = u - 128, e = v - 128;
  red = Clip((298 * c + 409 * e + 128) >> 8);
  green = Clip((298 * c - 100 * d - 208 * e + 128) >> 8);
  blue = Clip((298 * c + 516 * d + 128) >> 8);
}

// The picture's pixel at (x, y), with x and y held inside it.
const Byte* At(const Byte* rgb, int width, int height, int x, int y) {
  x = std::min(x, width - 1);
  y = std::min(y, height - 1);
  return rgb + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
}

void PackRows(TFramePixelFormat format, const Byte* rgb, int width, int height, Byte* out) {
  const std::size_t row = PackedRow(format, width);
  for (int y = 0; y < height; ++y) {
    Byte* o = out + std::size_t(y) * row;
    switch (format) {
      case fpYUY2:
      case fpUYVY:
        for (int x = 0; x < width; x += 2) {
          Yuv a = ToYuv(At(rgb, width, height, x, y));
          Yuv b = ToYuv(At(rgb, width, height, x + 1, y));
          Byte* g = o + std::size_t(x) * 2;
          const bool last = x + 1 >= width;  // a lone pixel at an odd width: two bytes
          if (format == fpYUY2) {
            g[0] = a.Y;
            g[1] = a.U;
            if (!last) g[2] = b.Y, g[3] = a.V;
          } else {
            g[0] = a.U;
            g[1] = a.Y;
            if (!last) g[2] = a.V, g[3] = b.Y;
          }
        }
        break;
      case fpY41P:
        for (int x = 0; x < width; x += 8) {
          Byte* g = o + std::size_t(x) / 8 * 12;
          static const int kY[8] = {1, 3, 5, 7, 8, 9, 10, 11};
          Yuv p[8];
          for (int k = 0; k < 8; ++k) p[k] = ToYuv(At(rgb, width, height, x + k, y));
          for (int k = 0; k < 8; ++k) g[kY[k]] = p[k].Y;
          g[0] = p[0].U;
          g[2] = p[0].V;
          g[4] = p[4].U;
          g[6] = p[4].V;
        }
        break;
      case fpY8:
        for (int x = 0; x < width; ++x) o[x] = ToYuv(At(rgb, width, height, x, y)).Y;
        break;
      case fpY211:
        for (int x = 0; x < width; x += 4) {
          Byte* g = o + std::size_t(x);
          Yuv a = ToYuv(At(rgb, width, height, x, y));
          Yuv b = ToYuv(At(rgb, width, height, x + 2, y));
          g[0] = a.Y;
          g[1] = a.U;
          g[2] = b.Y;
          g[3] = a.V;
        }
        break;
      default: break;
    }
  }
}

// Planar layouts: a full luma plane, then two chroma planes of one sample
// per Block by Block pixels.
void PackPlanar(TFramePixelFormat format, const Byte* rgb, int width, int height, Byte* out) {
  const int block = format == fpYVU9 ? 4 : 2;
  const std::size_t cw = std::size_t((width + block - 1) / block);
  const std::size_t ch = std::size_t((height + block - 1) / block);
  const std::size_t luma = std::size_t(width) * std::size_t(height);
  Byte* first = out + luma;        // YVU9: V, I420: U
  Byte* second = first + cw * ch;  // YVU9: U, I420: V
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
          ToYuv(At(rgb, width, height, x, y)).Y;
  for (std::size_t cy = 0; cy < ch; ++cy)
    for (std::size_t cx = 0; cx < cw; ++cx) {
      Yuv p = ToYuv(At(rgb, width, height, int(cx) * block, int(cy) * block));
      first[cy * cw + cx] = format == fpYVU9 ? p.V : p.U;
      second[cy * cw + cx] = format == fpYVU9 ? p.U : p.V;
    }
}

}  // namespace

const TFrameFormatInfo* FrameFormats(int& Count) {
  Count = int(std::size(kFormats));
  return kFormats;
}

const TFrameFormatInfo& FrameFormatInfo(TFramePixelFormat Format) { return kFormats[Format]; }

const TFrameFormatInfo* FindFrameFormat(DWord Compression, int BitCount) {
  for (const TFrameFormatInfo& info : kFormats) {
    if (info.Compression != Compression) continue;
    if (info.Format == fpRGB24 && BitCount != 24) continue;
    return &info;
  }
  return nullptr;
}

const TFrameFormatInfo* FrameFormatNamed(const std::string& Name) {
  auto squeeze = [](const std::string& text) {
    std::string out;
    for (char c : text)
      if (c != ' ') out += char(std::toupper(static_cast<unsigned char>(c)));
    return out;
  };
  const std::string wanted = squeeze(Name);
  for (const TFrameFormatInfo& info : kFormats)
    if (squeeze(info.Name) == wanted) return &info;
  return nullptr;
}

std::size_t FrameImageSize(TFramePixelFormat Format, int Width, int Height) {
  if (Width <= 0 || Height <= 0) return 0;
  const std::size_t w = std::size_t(Width), h = std::size_t(Height);
  switch (Format) {
    case fpRGB24: return RgbStride(Width) * h;
    case fpYVU9: return w * h + 2 * ((w + 3) / 4) * ((h + 3) / 4);
    case fpI420: return w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
    default: return PackedRow(Format, Width) * h;
  }
}

BITMAPINFOHEADER MakeFrameHeader(TFramePixelFormat Format, int Width, int Height) {
  const TFrameFormatInfo& info = FrameFormatInfo(Format);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = Width;
  header.biHeight = Height;
  header.biPlanes = 1;
  header.biBitCount = Word(info.BitCount);
  header.biCompression = info.Compression;
  header.biSizeImage = DWord(FrameImageSize(Format, Width, Height));
  return header;
}

void PackFrame(TFramePixelFormat Format, const Byte* Rgb, int Width, int Height, Byte* Out) {
  if (Width <= 0 || Height <= 0) return;
  switch (Format) {
    case fpRGB24: {
      const std::size_t stride = RgbStride(Width);
      for (int y = 0; y < Height; ++y) {
        const Byte* from = Rgb + std::size_t(y) * std::size_t(Width) * 3;
        Byte* to = Out + std::size_t(Height - 1 - y) * stride;
        for (int x = 0; x < Width; ++x, from += 3, to += 3) {
          to[0] = from[2];
          to[1] = from[1];
          to[2] = from[0];
        }
        for (std::size_t pad = std::size_t(Width) * 3; pad < stride; ++pad, ++to) *to = 0;
      }
      break;
    }
    case fpYVU9:
    case fpI420: PackPlanar(Format, Rgb, Width, Height, Out); break;
    default: PackRows(Format, Rgb, Width, Height, Out); break;
  }
}

void ReadFramePixel(TFramePixelFormat Format, const Byte* Frame, std::size_t Size, int Width,
                    int Height, int X, int Y, Byte& Red, Byte& Green, Byte& Blue) {
  auto at = [&](std::size_t i) -> int { return i < Size ? Frame[i] : 128; };
  const std::size_t w = std::size_t(Width), h = std::size_t(Height);
  const std::size_t x = std::size_t(X), y = std::size_t(Y);
  int luma = 16, u = 128, v = 128;
  switch (Format) {
    case fpRGB24: {
      const std::size_t i = (h - 1 - y) * RgbStride(Width) + x * 3;
      Blue = Byte(at(i));
      Green = Byte(at(i + 1));
      Red = Byte(at(i + 2));
      return;
    }
    case fpYUY2:
    case fpUYVY: {
      const std::size_t g = y * w * 2 + x / 2 * 4;
      const bool yuy2 = Format == fpYUY2;
      luma = at(g + (yuy2 ? 0 : 1) + (x & 1) * 2);
      u = at(g + (yuy2 ? 1 : 0));
      v = at(g + (yuy2 ? 3 : 2));
      break;
    }
    case fpY41P: {
      static const int kY[8] = {1, 3, 5, 7, 8, 9, 10, 11};
      const std::size_t g = y * PackedRow(Format, Width) + x / 8 * 12;
      const std::size_t k = x % 8;
      luma = at(g + std::size_t(kY[k]));
      u = at(g + (k < 4 ? 0 : 4));
      v = at(g + (k < 4 ? 2 : 6));
      break;
    }
    case fpYVU9:
    case fpI420: {
      const std::size_t block = Format == fpYVU9 ? 4 : 2;
      const std::size_t cw = (w + block - 1) / block, ch = (h + block - 1) / block;
      const std::size_t c = w * h + (y / block) * cw + x / block;
      luma = at(y * w + x);
      const int first = at(c), second = at(c + cw * ch);
      u = Format == fpYVU9 ? second : first;
      v = Format == fpYVU9 ? first : second;
      break;
    }
    case fpY8:
      Red = Green = Blue = Byte(at(y * w + x));
      return;
    case fpY211: {
      const std::size_t g = y * PackedRow(Format, Width) + x / 4 * 4;
      luma = at(g + ((x % 4) < 2 ? 0 : 2));
      u = at(g + 1);
      v = at(g + 3);
      break;
    }
  }
  ToRgb(luma, u, v, Red, Green, Blue);
}
