#include "platform/graphics/IconFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "platform/base/Exceptions.h"

namespace {

constexpr std::size_t kFileHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint32_t kInfoHeaderSize = 40;
const Byte kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidIcon); }

std::uint16_t U16(const Byte* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const Byte* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
void Put16(std::vector<Byte>& out, unsigned v) {
  out.push_back(Byte(v));
  out.push_back(Byte(v >> 8));
}
void Put32(std::vector<Byte>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool IsIconDepth(int Bits) { return Bits == 1 || Bits == 4 || Bits == 8 || Bits == 24 || Bits == 32; }

std::size_t MaskStride(int Width) { return std::size_t((std::uint64_t(Width) + 31) / 32 * 4); }

// One image's data: the bitmap header counts the colour rows and the mask
// rows together, so its height is twice the picture's.
TIconImage ReadImage(const Byte* Data, std::size_t Size) {
  if (Size >= sizeof kPngSignature && std::memcmp(Data, kPngSignature, sizeof kPngSignature) == 0)
    Invalid();  // PNG-compressed images are not read
  TIconImage image;
  try {
    TDibLayout layout = ReadDibHeader(Data, Size);
    if (layout.TopDown || layout.HasMasks || !IsIconDepth(layout.Bits) || layout.Height % 2 != 0)
      Invalid();
    layout.Height /= 2;
    std::size_t left = Size - layout.HeaderEnd;
    image.Colors = ReadDibRows(layout, Data + layout.HeaderEnd, left);
    std::size_t colorBytes = layout.Stride * std::size_t(layout.Height);  // all there: checked above

    TDibLayout mask;
    mask.Width = layout.Width;
    mask.Height = layout.Height;
    mask.Bits = 1;
    mask.Stride = MaskStride(layout.Width);
    image.Mask = ReadDibRows(mask, Data + layout.HeaderEnd + colorBytes, left - colorBytes);

    image.Width = layout.Width;
    image.Height = layout.Height;
    image.Bits = layout.Bits;
    image.Palette = std::move(layout.Palette);
  } catch (const EInvalidGraphic&) {
    Invalid();
  }
  if (image.Bits == 32) {
    const std::vector<Byte>& rows = image.Colors.Rows;
    for (std::size_t i = 3; i < rows.size() && !image.HasAlpha; i += 4) image.HasAlpha = rows[i] != 0;
  }
  return image;
}

struct DirectoryEntry {
  Word Field1 = 0;  // planes, or the hot spot's x
  Word Field2 = 0;  // bit count, or the hot spot's y
  std::size_t Offset = 0;
  std::size_t Size = 0;
};

void WriteImage(const TIconImage& Image, std::vector<Byte>& Out) {
  std::size_t colorStride = std::size_t(Image.Colors.Stride);
  std::size_t maskStride = std::size_t(Image.Mask.Stride);
  std::size_t paletteEntries = Image.Bits <= 8 ? std::size_t(1) << Image.Bits : 0;
  Put32(Out, kInfoHeaderSize);
  Put32(Out, std::uint32_t(Image.Width));
  Put32(Out, std::uint32_t(Image.Height) * 2);
  Put16(Out, 1);
  Put16(Out, unsigned(Image.Bits));
  Put32(Out, 0);  // uncompressed
  Put32(Out, std::uint32_t((colorStride + maskStride) * std::size_t(Image.Height)));
  for (int i = 0; i < 4; ++i) Put32(Out, 0);  // resolution, colours used and important
  for (std::size_t i = 0; i < paletteEntries; ++i) {
    TPaletteEntry entry = i < Image.Palette.size() ? Image.Palette[i] : TPaletteEntry{};
    Out.insert(Out.end(), {entry.Blue, entry.Green, entry.Red, 0});
  }
  for (const TDibRows* rows : {&Image.Colors, &Image.Mask}) {
    std::size_t stride = std::size_t(rows->Stride);
    for (int y = Image.Height - 1; y >= 0; --y) {
      const Byte* row = rows->Rows.data() + std::size_t(y) * stride;
      Out.insert(Out.end(), row, row + stride);
    }
  }
}

// A directory's one-byte size: 0 stands for 256 (and for anything larger).
Byte SizeByte(int Value) { return Value >= 256 ? 0 : Byte(Value); }

}  // namespace

TRGBQuad TIconImage::Pixel(int X, int Y) const {
  const Byte* row = Colors.Rows.data() + std::size_t(Y) * std::size_t(Colors.Stride);
  auto paletted = [&](unsigned index) {
    if (index >= Palette.size()) return TRGBQuad{0, 0, 0, 255};
    const TPaletteEntry& e = Palette[index];
    return TRGBQuad{e.Blue, e.Green, e.Red, 255};
  };
  switch (Colors.Format) {
    case pf1bit: return paletted((row[X / 8] >> (7 - X % 8)) & 1);
    case pf4bit: return paletted((row[X / 2] >> (X % 2 == 0 ? 4 : 0)) & 0x0F);
    case pf8bit: return paletted(row[X]);
    case pf24bit: return TRGBQuad{row[3 * X], row[3 * X + 1], row[3 * X + 2], 255};
    default: {
      const Byte* p = row + 4 * std::size_t(X);
      return TRGBQuad{p[0], p[1], p[2], HasAlpha ? p[3] : Byte(255)};
    }
  }
}

bool TIconImage::SeeThrough(int X, int Y) const {
  const Byte* row = Mask.Rows.data() + std::size_t(Y) * std::size_t(Mask.Stride);
  return (row[X / 8] >> (7 - X % 8)) & 1;
}

TIconFile ReadIconFile(const Byte* Data, std::size_t Size) {
  if (Size < kFileHeaderSize) Invalid();
  TIconFile file;
  Word reserved = U16(Data);
  file.Type = U16(Data + 2);
  std::size_t count = U16(Data + 4);
  if (reserved != 0 || (file.Type != IconFileType && file.Type != CursorFileType) || count == 0) Invalid();
  std::size_t directoryEnd = kFileHeaderSize + count * kEntrySize;
  if (directoryEnd > Size) Invalid();

  std::vector<DirectoryEntry> entries(count);
  for (std::size_t i = 0; i < count; ++i) {
    const Byte* e = Data + kFileHeaderSize + i * kEntrySize;
    DirectoryEntry& entry = entries[i];
    entry.Field1 = U16(e + 4);
    entry.Field2 = U16(e + 6);
    entry.Size = U32(e + 8);
    entry.Offset = U32(e + 12);
    if (entry.Offset < directoryEnd || entry.Offset > Size || entry.Size > Size - entry.Offset) Invalid();
  }
  // Images never share bytes: that keeps the work of reading a file in
  // proportion to its size.
  std::vector<DirectoryEntry> byOffset = entries;
  std::sort(byOffset.begin(), byOffset.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.Offset < b.Offset; });
  for (std::size_t i = 1; i < byOffset.size(); ++i)
    if (byOffset[i - 1].Offset + byOffset[i - 1].Size > byOffset[i].Offset) Invalid();

  for (const DirectoryEntry& entry : entries) {
    TIconImage image = ReadImage(Data + entry.Offset, entry.Size);
    if (file.Type == CursorFileType) {
      image.HotSpotX = entry.Field1;
      image.HotSpotY = entry.Field2;
    }
    file.Images.push_back(std::move(image));
  }
  return file;
}

std::vector<Byte> WriteIconFile(const TIconFile& File) {
  std::vector<Byte> out;
  std::size_t count = File.Images.size();
  Put16(out, 0);
  Put16(out, File.Type);
  Put16(out, unsigned(count));
  std::vector<Byte> data;
  std::size_t offset = kFileHeaderSize + count * kEntrySize;
  for (const TIconImage& image : File.Images) {
    std::size_t start = data.size();
    WriteImage(image, data);
    std::size_t size = data.size() - start;
    out.push_back(SizeByte(image.Width));
    out.push_back(SizeByte(image.Height));
    out.push_back(image.Bits < 8 ? Byte(1 << image.Bits) : Byte(0));
    out.push_back(0);
    if (File.Type == CursorFileType) {
      Put16(out, image.HotSpotX);
      Put16(out, image.HotSpotY);
    } else {
      Put16(out, 1);
      Put16(out, unsigned(image.Bits));
    }
    Put32(out, std::uint32_t(size));
    Put32(out, std::uint32_t(offset + start));
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

int ChooseIconImage(const std::vector<TIconImage>& Images) {
  int best = -1;
  std::tuple<long long, long long, int> bestKey;
  for (std::size_t i = 0; i < Images.size(); ++i) {
    const TIconImage& image = Images[i];
    // Smaller is better: distance from the standard size, then larger area, then more bits.
    std::tuple<long long, long long, int> key{
        std::llabs(image.Width - StandardIconSize) + std::llabs(image.Height - StandardIconSize),
        -(long long)image.Width * image.Height, -image.Bits};
    if (best < 0 || key < bestKey) {
      best = int(i);
      bestKey = key;
    }
  }
  return best;
}
