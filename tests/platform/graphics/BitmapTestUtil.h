#pragma once
// Helpers for the bitmap, BMP, JPEG and clipboard tests.
#include <cstdint>
#include <vector>

#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"

inline std::vector<Byte> StreamBytes(TMemoryStream& Stream) {
  const Byte* p = static_cast<const Byte*>(Stream.Memory());
  return std::vector<Byte>(p, p + Stream.Size());
}

inline std::vector<Byte> SaveBmp(TBitmap& Bitmap) {
  TMemoryStream stream;
  Bitmap.SaveToStream(&stream);
  return StreamBytes(stream);
}

inline void LoadBmp(TBitmap& Bitmap, const std::vector<Byte>& Bytes) {
  TMemoryStream stream;
  if (!Bytes.empty()) stream.WriteBuffer(Bytes.data(), int(Bytes.size()));
  stream.SetPosition(0);
  Bitmap.LoadFromStream(&stream);
}

// A little-endian byte writer for hand-made files.
struct ByteWriter {
  std::vector<Byte> Bytes;
  ByteWriter& U8(unsigned v) {
    Bytes.push_back(Byte(v));
    return *this;
  }
  ByteWriter& U16(unsigned v) { return U8(v).U8(v >> 8); }
  ByteWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  ByteWriter& Raw(const std::vector<Byte>& v) {
    Bytes.insert(Bytes.end(), v.begin(), v.end());
    return *this;
  }
};

inline std::uint32_t ReadU32(const std::vector<Byte>& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}
inline unsigned ReadU16(const std::vector<Byte>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

// A picture with distinct colours at every pixel, for conversions and codecs.
inline TColor PatternColor(int X, int Y) { return RGB((X * 37 + Y * 11) & 0xFF, (X * 5 + Y * 53) & 0xFF, (X * Y + 90) & 0xFF); }
