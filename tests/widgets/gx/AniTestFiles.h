#pragma once
// Small icon, cursor and animated-cursor files built byte by byte for the
// icon list and animated cursor tests (and their fuzz seeds).
#include <cstdint>
#include <string>
#include <vector>

namespace anitest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
inline void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// One image of Size x Size pixels at BitCount 4, 8 or 24, every pixel of
// colour Index (palette) or $BBGGRR (24 bits); MaskAll leaves it see-through.
inline Bytes IconImage(int Size, int BitCount, std::uint32_t Color, bool MaskAll = false) {
  Bytes b;
  Put32(b, 40);
  Put32(b, std::uint32_t(Size));
  Put32(b, std::uint32_t(Size * 2));
  Put16(b, 1);
  Put16(b, unsigned(BitCount));
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  if (BitCount <= 8)
    for (int i = 0; i < (1 << BitCount); ++i) Put32(b, std::uint32_t(i * 0x010101 / ((1 << BitCount) - 1)) & 0xFFFFFF);
  int rowBytes = (Size * BitCount + 31) / 32 * 4;
  for (int y = 0; y < Size; ++y) {
    Bytes row(std::size_t(rowBytes), 0);
    for (int x = 0; x < Size; ++x) {
      if (BitCount == 24) {
        row[std::size_t(3 * x)] = std::uint8_t(Color >> 16);
        row[std::size_t(3 * x + 1)] = std::uint8_t(Color >> 8);
        row[std::size_t(3 * x + 2)] = std::uint8_t(Color);
      } else if (BitCount == 8) {
        row[std::size_t(x)] = std::uint8_t(Color);
      } else if (BitCount == 4) {
        row[std::size_t(x / 2)] |= std::uint8_t((Color & 15) << (x % 2 ? 0 : 4));
      }
    }
    Append(b, row);
  }
  int maskBytes = (Size + 31) / 32 * 4;
  for (int y = 0; y < Size; ++y)
    for (int i = 0; i < maskBytes; ++i) b.push_back(MaskAll ? 0xFF : 0x00);
  return b;
}

// An icon (Type 1) or cursor (Type 2) file of one image per entry of
// Images; a cursor's entries carry HotSpots in order.
struct TEntry {
  int Size = 32;
  int BitCount = 4;
  std::uint32_t Color = 1;
  int HotX = 0;
  int HotY = 0;
  bool MaskAll = false;
};
inline Bytes IconFile(int Type, const std::vector<TEntry>& Entries) {
  Bytes b;
  Put16(b, 0);
  Put16(b, unsigned(Type));
  Put16(b, unsigned(Entries.size()));
  std::vector<Bytes> images;
  for (const TEntry& e : Entries) images.push_back(IconImage(e.Size, e.BitCount, e.Color, e.MaskAll));
  std::uint32_t offset = 6 + 16 * std::uint32_t(Entries.size());
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    const TEntry& e = Entries[i];
    b.push_back(std::uint8_t(e.Size));
    b.push_back(std::uint8_t(e.Size));
    b.push_back(std::uint8_t(e.BitCount <= 4 ? (1 << e.BitCount) : 0));
    b.push_back(0);
    Put16(b, Type == 2 ? unsigned(e.HotX) : 1);
    Put16(b, Type == 2 ? unsigned(e.HotY) : unsigned(e.BitCount));
    Put32(b, std::uint32_t(images[i].size()));
    Put32(b, offset);
    offset += std::uint32_t(images[i].size());
  }
  for (const Bytes& image : images) Append(b, image);
  return b;
}
inline Bytes Icon32(std::uint32_t Color = 1, int BitCount = 4) { return IconFile(1, {{32, BitCount, Color}}); }

// A chunk: id, size, body, pad byte when odd.
inline Bytes Chunk(const char* Id, const Bytes& Body) {
  Bytes b;
  PutId(b, Id);
  Put32(b, std::uint32_t(Body.size()));
  Append(b, Body);
  if (Body.size() % 2) b.push_back(0);
  return b;
}
inline Bytes List(const char* Type, const Bytes& Chunks) {
  Bytes body;
  PutId(body, Type);
  Append(body, Chunks);
  return Chunk("LIST", body);
}
inline Bytes Anih(std::uint32_t Frames, std::uint32_t Steps, std::uint32_t Rate, std::uint32_t Flags = 1) {
  Bytes b;
  for (std::uint32_t v : {36u, Frames, Steps, 0u, 0u, 0u, 0u, Rate, Flags}) Put32(b, v);
  return Chunk("anih", b);
}
inline Bytes Values(const char* Id, const std::vector<std::uint32_t>& Values) {
  Bytes b;
  for (std::uint32_t v : Values) Put32(b, v);
  return Chunk(Id, b);
}
inline Bytes Fram(const std::vector<Bytes>& Icons) {
  Bytes chunks;
  for (const Bytes& icon : Icons) Append(chunks, Chunk("icon", icon));
  return List("fram", chunks);
}
inline Bytes Riff(const Bytes& Chunks, const char* Form = "ACON") {
  Bytes b;
  PutId(b, "RIFF");
  Put32(b, std::uint32_t(Chunks.size() + 4));
  PutId(b, Form);
  Append(b, Chunks);
  return b;
}

}  // namespace anitest
