#include "widgets/gx/GxColorReduce.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "widgets/gx/Animate.h"

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

// ---------------------------------------------------------------------------
// Small helpers.

[[noreturn]] void RaiseInvalidBitmap() { throw EInvalidGraphic(SInvalidBitmap); }

int PaddedRowBytes(int Bits) { return (Bits + 31) / 32 * 4; }

int ColorsOfPixelFormat(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
  }
}

// pfDevice is the screen's 32-bit format: it saves as a 32-bit file.
TPixelFormat PixelFormatOf(const TBitmap* Bitmap) {
  return Bitmap->PixelFormat() == pfDevice ? pf32bit : Bitmap->PixelFormat();
}

void Put16(Byte* p, unsigned v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
}

void Put32(Byte* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = Byte(v >> (8 * i));
}

// File header and BITMAPINFOHEADER (without colour table) for a picture of
// the target depth whose table holds TableEntries entries.
void WriteHeaders(Byte* Block, int Width, int Height, int Bits, int TableEntries,
                  std::uint32_t ClrImportant) {
  std::uint32_t headerSize = kInfoHeaderSize + 4 * std::uint32_t(TableEntries);
  std::uint32_t imageSize = std::uint32_t(PaddedRowBytes(Width * Bits)) * std::uint32_t(Height);
  Block[0] = 'B';
  Block[1] = 'M';
  Put32(Block + 2, kFileHeaderSize + headerSize + imageSize);
  Put32(Block + 10, kFileHeaderSize + headerSize);
  Byte* info = Block + kFileHeaderSize;
  Put32(info, kInfoHeaderSize);
  Put32(info + 4, std::uint32_t(Width));
  Put32(info + 8, std::uint32_t(Height));
  Put16(info + 12, 1);
  Put16(info + 14, unsigned(Bits));
  Put32(info + 20, imageSize);
  Put32(info + 36, ClrImportant);
}

std::unique_ptr<TMemoryStream> StreamOf(const Byte* Head, int HeadSize, const Byte* Pixels,
                                        std::size_t PixelBytes) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(Head, HeadSize);
  if (PixelBytes > 0) stream->WriteBuffer(Pixels, int(PixelBytes));
  stream->SetPosition(0);
  return stream;
}

// ---------------------------------------------------------------------------
// The picture as bottom-up 24-bit rows (blue, green, red), each padded to 4 bytes.

struct TSource24 {
  int Width = 0;
  int Height = 0;
  int Stride = 0;  // bytes of one 24-bit row
  std::vector<Byte> Pixels;
  Byte* Row(int BufferRow) { return Pixels.data() + std::size_t(BufferRow) * std::size_t(Stride); }
};

TSource24 FetchPixels24(TBitmap* Bitmap) {
  TBitmap copy;
  copy.Assign(Bitmap);
  copy.SetPixelFormat(pf24bit);
  TSource24 source;
  source.Width = copy.Width();
  source.Height = copy.Height();
  source.Stride = PaddedRowBytes(source.Width * 24);
  source.Pixels.assign(std::size_t(source.Stride) * std::size_t(source.Height), 0);
  for (int r = 0; r < source.Height; ++r)
    std::memcpy(source.Row(r), copy.ScanLine(source.Height - 1 - r), std::size_t(source.Width) * 3);
  return source;
}

// Offsets of 8-bit row r inside the converted buffer.
int Stride8(int Width) { return (Width + 3) & ~3; }

using TColorTable = Byte[256][4];  // blue, green, red, reserved

// ---------------------------------------------------------------------------
// Fixed cubes: level lists and their level tables.

constexpr Byte L4[] = {0, 85, 170, 255};
constexpr Byte L6[] = {0, 51, 102, 153, 204, 255};
constexpr Byte L7[] = {0, 43, 85, 128, 170, 213, 255};
constexpr Byte L8[] = {0, 36, 73, 109, 146, 182, 219, 255};

// Index of the level nearest to Value; of equally near ones the lower.
Byte NearestLevelIndex(int Value, const Byte* Levels, int LastIndex) {
  int best = 0;
  int bestDistance = Value > Levels[0] ? Value - Levels[0] : Levels[0] - Value;
  for (int i = 1; i <= LastIndex; ++i) {
    int distance = Value > Levels[i] ? Value - Levels[i] : Levels[i] - Value;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return Byte(best);
}

struct TLevelTables {
  std::array<Byte, 256> T4, T6, T7, T8;
};

const TLevelTables& LevelTables() {
  static const TLevelTables tables = [] {
    TLevelTables t{};
    for (int v = 0; v < 256; ++v) {
      t.T4[v] = NearestLevelIndex(v, L4, 3);
      t.T6[v] = NearestLevelIndex(v, L6, 5);
      t.T7[v] = NearestLevelIndex(v, L7, 6);
      t.T8[v] = NearestLevelIndex(v, L8, 7);
    }
    return t;
  }();
  return tables;
}

void SetEntry(TColorTable Table, int Index, Byte Red, Byte Green, Byte Blue) {
  Table[Index][0] = Blue;
  Table[Index][1] = Green;
  Table[Index][2] = Red;
  Table[Index][3] = 0;
}

void Build7R8G4BPalette(TColorTable Table) {
  std::memset(Table, 128, sizeof(TColorTable));
  for (int r = 0; r < 7; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 4; ++b) SetEntry(Table, 32 * r + 4 * g + b, L7[r], L8[g], L4[b]);
}

void Build6R6G6BPalette(TColorTable Table) {
  std::memset(Table, 128, sizeof(TColorTable));
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) SetEntry(Table, 36 * r + 6 * g + b, L6[r], L6[g], L6[b]);
}

void BuildChannelRampPalette(TColorTable Table) {
  std::memset(Table, 0, sizeof(TColorTable));
  for (int k = 0; k < 64; ++k) {
    Table[k][2] = Byte(4 * k);
    Table[64 + k][1] = Byte(4 * k);
    Table[128 + k][0] = Byte(4 * k);
  }
}

void BuildGrayPalette(TColorTable Table) {
  for (int i = 0; i < 256; ++i) SetEntry(Table, i, Byte(i), Byte(i), Byte(i));
}

// Converts every row in place, from the first byte of each row on, so no
// pixel is overwritten before it is read. Map gets (red, green, blue,
// column, buffer row) and gives the 8-bit index.
template <class TMap>
void ConvertRows(TSource24& Source, TMap Map) {
  int stride8 = Stride8(Source.Width);
  for (int r = 0; r < Source.Height; ++r) {
    const Byte* src = Source.Row(r);
    Byte* dst = Source.Pixels.data() + std::size_t(r) * std::size_t(stride8);
    for (int x = 0; x < Source.Width; ++x, src += 3) dst[x] = Map(src[2], src[1], src[0], x, r);
  }
}

void Reduce7R8G4B(TSource24& Source) {
  const TLevelTables& t = LevelTables();
  ConvertRows(Source, [&t](Byte R, Byte G, Byte B, int, int) {
    return Byte(32 * t.T7[R] + 4 * t.T8[G] + t.T4[B]);
  });
}

void Reduce6R6G6B(TSource24& Source) {
  const TLevelTables& t = LevelTables();
  ConvertRows(Source, [&t](Byte R, Byte G, Byte B, int, int) {
    return Byte(36 * t.T6[R] + 6 * t.T6[G] + t.T6[B]);
  });
}

void ReduceChannelRamps(TSource24& Source) {
  ConvertRows(Source, [](Byte R, Byte G, Byte B, int X, int Y) {
    switch ((X + Y) % 3) {
      case 0: return Byte(R / 4);
      case 1: return Byte(64 + G / 4);
      default: return Byte(128 + B / 4);
    }
  });
}

void ReduceGrayscale(TSource24& Source) {
  ConvertRows(Source, [](Byte R, Byte G, Byte B, int, int) {
    return Byte((77 * R + 150 * G + 29 * B) >> 8);
  });
}

// ---------------------------------------------------------------------------
// Popularity: an open-addressing histogram of the masked colours.

constexpr int kHistogramSlots = 5191;
constexpr int kHistogramEntries = 2049;
constexpr std::uint16_t kEmptySlot = 0xFFFF;

struct THistogramEntry {
  Byte Blue, Green, Red;
  std::uint32_t Count;
  Byte TableIndex;
};

struct TColorHistogram {
  int EntryCount = 0;
  Byte RedMask = 255, GreenMask = 255, BlueMask = 255;
  std::vector<THistogramEntry> Entries = std::vector<THistogramEntry>(kHistogramEntries);
  std::vector<std::uint16_t> Slots = std::vector<std::uint16_t>(kHistogramSlots, kEmptySlot);

  void Reset() {
    EntryCount = 0;
    std::fill(Slots.begin(), Slots.end(), kEmptySlot);
  }

  static int ColorHash(int R, int G, int B) { return ((R + G) * (G + B) * (B + R)) % kHistogramSlots; }

  // The slot holding the masked colour, or the empty slot where it belongs.
  int Probe(Byte R, Byte G, Byte B) const {
    int slot = ColorHash(R, G, B);
    while (Slots[slot] != kEmptySlot) {
      const THistogramEntry& e = Entries[Slots[slot]];
      if (e.Red == R && e.Green == G && e.Blue == B) break;
      slot = slot + 1 == kHistogramSlots ? 0 : slot + 1;
    }
    return slot;
  }
};

// One counting pass; false as soon as a colour finds no free entry.
bool CountHistogramColors(TColorHistogram& H, TSource24& Source) {
  for (int r = 0; r < Source.Height; ++r) {
    const Byte* p = Source.Row(r);
    for (int x = 0; x < Source.Width; ++x, p += 3) {
      Byte R = p[2] & H.RedMask, G = p[1] & H.GreenMask, B = p[0] & H.BlueMask;
      int slot = H.Probe(R, G, B);
      if (H.Slots[slot] != kEmptySlot) {
        ++H.Entries[H.Slots[slot]].Count;
        continue;
      }
      if (H.EntryCount == kHistogramEntries) return false;
      H.Entries[H.EntryCount] = THistogramEntry{B, G, R, 1, 0};
      H.Slots[slot] = std::uint16_t(H.EntryCount++);
    }
  }
  return true;
}

// Takes one more low bit from one channel: blue, then red, then green, ...
void CoarsenMasks(TColorHistogram& H) {
  if (H.RedMask < H.GreenMask)
    H.GreenMask = Byte(H.GreenMask << 1);
  else if (H.RedMask > H.BlueMask)
    H.RedMask = Byte(H.RedMask << 1);
  else
    H.BlueMask = Byte(H.BlueMask << 1);
}

void PickPopularColors(TColorHistogram& H, TColorTable Table, int Wanted) {
  int i = 0;
  for (; i < Wanted && i < H.EntryCount; ++i) {
    int best = -1;
    std::uint32_t bestCount = 0;
    for (int e = 0; e < H.EntryCount; ++e)
      if (H.Entries[e].Count > bestCount) {
        best = e;
        bestCount = H.Entries[e].Count;
      }
    if (best < 0) break;
    THistogramEntry& chosen = H.Entries[best];
    SetEntry(Table, i, chosen.Red, chosen.Green, chosen.Blue);
    chosen.TableIndex = Byte(i);
    chosen.Count = 0;
  }
  for (int k = i; k < 256; ++k) SetEntry(Table, k, 128, 128, 128);
  // The colours left out take the nearest table entry (the lower index on a tie).
  for (int e = 0; e < H.EntryCount; ++e) {
    THistogramEntry& entry = H.Entries[e];
    if (entry.Count == 0) continue;
    int bestDistance = 3 * 65536;
    for (int k = 0; k < Wanted; ++k) {
      int dr = entry.Red - Table[k][2], dg = entry.Green - Table[k][1], db = entry.Blue - Table[k][0];
      int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        entry.TableIndex = Byte(k);
      }
    }
  }
}

void MapToPopularColors(TColorHistogram& H, TSource24& Source) {
  ConvertRows(Source, [&H](Byte R, Byte G, Byte B, int, int) {
    R &= H.RedMask;
    G &= H.GreenMask;
    B &= H.BlueMask;
    return H.Entries[H.Slots[H.Probe(R, G, B)]].TableIndex;
  });
}

void ReducePopularity(TSource24& Source, TColorTable Table, int Wanted) {
  TColorHistogram histogram;
  while (!CountHistogramColors(histogram, Source)) {
    CoarsenMasks(histogram);
    histogram.Reset();
  }
  PickPopularColors(histogram, Table, Wanted);
  MapToPopularColors(histogram, Source);
}

// ---------------------------------------------------------------------------
// Median cut over the 4096 cells of a 16 x 16 x 16 colour cube.

constexpr int kCellCount = 4096;
constexpr int kMaxBoxes = 256;

struct TCell {
  Byte Key[3];  // red, green, blue, 0 to 15
  Byte Box;
  std::uint32_t Count;
  int Next;  // next cell of the same box, -1 at the end
};

struct TBox {
  Byte Low[3];
  Byte Extent[3];
  std::uint32_t CellCount;
  std::uint32_t PixelCount;
  int First;
};

void InsertionSortCells(int* List, int N, const std::vector<TCell>& Cells, int Axis) {
  for (int i = 1; i < N; ++i) {
    int cell = List[i];
    int key = Cells[cell].Key[Axis];
    int j = i;
    while (j > 0 && Cells[List[j - 1]].Key[Axis] >= key) {
      List[j] = List[j - 1];
      --j;
    }
    List[j] = cell;
  }
}

void SortCellsByAxis(int* List, int N, const std::vector<TCell>& Cells, int Axis) {
  if (N < 8) {
    InsertionSortCells(List, N, Cells, Axis);
    return;
  }
  auto key = [&](int i) { return Cells[List[i]].Key[Axis]; };
  int pivot = key(N / 2);
  int i = -1, j = N;
  for (;;) {
    do ++i; while (key(i) < pivot);
    do --j; while (key(j) > pivot);
    if (j <= i) break;
    std::swap(List[i], List[j]);
  }
  SortCellsByAxis(List, i, Cells, Axis);
  SortCellsByAxis(List + i, N - i, Cells, Axis);
}

// Splits boxes until Count exist or none holds two cells; gives the number made.
int SplitBoxes(std::vector<TCell>& Cells, std::vector<TBox>& Boxes, int Count) {
  int n = 1;
  std::vector<int> order(kCellCount);
  while (n < Count) {
    int bestBox = -1, bestAxis = 0, bestExtent = -1;
    for (int b = 0; b < n; ++b) {
      if (Boxes[b].CellCount <= 1) continue;
      for (int axis = 0; axis < 3; ++axis)
        if (Boxes[b].Extent[axis] > bestExtent) {
          bestExtent = Boxes[b].Extent[axis];
          bestBox = b;
          bestAxis = axis;
        }
    }
    if (bestBox < 0) break;
    TBox& box = Boxes[bestBox];

    int count = 0;
    for (int c = box.First; c >= 0; c = Cells[c].Next) order[count++] = c;
    SortCellsByAxis(order.data(), count, Cells, bestAxis);
    for (int k = 0; k + 1 < count; ++k) Cells[order[k]].Next = order[k + 1];
    Cells[order[count - 1]].Next = -1;
    box.First = order[0];

    std::uint32_t half = box.PixelCount / 2;
    int last = 0;  // last cell of the first part
    std::uint32_t firstPixels = Cells[order[0]].Count;
    while (last + 2 < count && firstPixels + Cells[order[last + 1]].Count <= half) {
      ++last;
      firstPixels += Cells[order[last]].Count;
    }

    TBox& added = Boxes[n];
    added = box;
    added.First = order[last + 1];
    added.CellCount = std::uint32_t(count - last - 1);
    added.PixelCount = box.PixelCount - firstPixels;
    Cells[order[last]].Next = -1;
    box.CellCount = std::uint32_t(last + 1);
    box.PixelCount = firstPixels;

    Byte k1 = Byte(16 * Cells[order[last]].Key[bestAxis]);
    Byte k2 = Byte(16 * Cells[order[last + 1]].Key[bestAxis]);
    Byte oldLow = box.Low[bestAxis], oldExtent = box.Extent[bestAxis];
    added.Low[bestAxis] = k2;
    added.Extent[bestAxis] = Byte(oldLow + oldExtent - k2);
    box.Extent[bestAxis] = Byte(k1 - oldLow);
    ++n;
  }
  return n;
}

// Gives the number of boxes made (1 to Count).
int ReduceMedianCut(TSource24& Source, TColorTable Table, int Count) {
  std::vector<TCell> cells(kCellCount);
  for (int i = 0; i < kCellCount; ++i)
    cells[i] = TCell{{Byte(i / 256), Byte(i / 16 % 16), Byte(i % 16)}, 0, 0, -1};

  std::vector<std::uint16_t> cellOfPixel(std::size_t(Source.Width) * std::size_t(Source.Height));
  for (int r = 0; r < Source.Height; ++r) {
    const Byte* p = Source.Row(r);
    for (int x = 0; x < Source.Width; ++x, p += 3) {
      int cell = (p[2] / 16) * 256 + (p[1] / 16) * 16 + p[0] / 16;
      ++cells[cell].Count;
      cellOfPixel[std::size_t(r) * std::size_t(Source.Width) + std::size_t(x)] = std::uint16_t(cell);
    }
  }

  std::vector<TBox> boxes(kMaxBoxes, TBox{{0, 0, 0}, {255, 255, 255}, 0, 0, -1});
  int previous = -1;
  for (int i = 0; i < kCellCount; ++i) {
    if (cells[i].Count == 0) continue;
    if (previous < 0)
      boxes[0].First = i;
    else
      cells[previous].Next = i;
    previous = i;
    ++boxes[0].CellCount;
  }
  boxes[0].PixelCount = std::uint32_t(Source.Width) * std::uint32_t(Source.Height);

  int n = SplitBoxes(cells, boxes, Count);

  for (int k = n; k < Count; ++k) SetEntry(Table, k, 0, 0, 0);
  for (int b = 0; b < n; ++b) {
    std::uint32_t sum[3] = {0, 0, 0};
    for (int c = boxes[b].First; c >= 0; c = cells[c].Next) {
      cells[c].Box = Byte(b);
      for (int axis = 0; axis < 3; ++axis) sum[axis] += cells[c].Key[axis];
    }
    std::uint32_t divisor = boxes[b].CellCount ? boxes[b].CellCount : 1;
    Byte rgb[3];
    for (int axis = 0; axis < 3; ++axis) rgb[axis] = Byte((16 * sum[axis] + 15) / divisor);
    if (rgb[0] <= 16 && rgb[1] <= 16 && rgb[2] <= 16) rgb[0] = rgb[1] = rgb[2] = 0;
    SetEntry(Table, b, rgb[0], rgb[1], rgb[2]);
  }

  int stride8 = Stride8(Source.Width);
  std::memset(Source.Pixels.data(), 0, std::size_t(stride8) * std::size_t(Source.Height));
  for (int r = 0; r < Source.Height; ++r) {
    Byte* dst = Source.Pixels.data() + std::size_t(r) * std::size_t(stride8);
    for (int x = 0; x < Source.Width; ++x)
      dst[x] = cells[cellOfPixel[std::size_t(r) * std::size_t(Source.Width) + std::size_t(x)]].Box;
  }
  return n;
}

// ---------------------------------------------------------------------------

std::unique_ptr<TMemoryStream> SaveBitmapItself(TBitmap* Bitmap) {
  auto stream = std::make_unique<TMemoryStream>();
  Bitmap->SaveToStream(stream.get());
  stream->SetPosition(0);
  return stream;
}

// 1 or 4 bits: each pixel takes the nearest of the 2 or 16 standard colours.
std::unique_ptr<TMemoryStream> ConvertToStandardPalette(TBitmap* Bitmap, TPixelFormat Target) {
  TBitmap copy;
  copy.Assign(Bitmap);
  copy.SetPixelFormat(Target);
  return SaveBitmapItself(&copy);
}

std::unique_ptr<TMemoryStream> ConvertTo24(TSource24& Source) {
  Byte head[kFileHeaderSize + kInfoHeaderSize] = {};
  WriteHeaders(head, Source.Width, Source.Height, 24, 0, 0);
  return StreamOf(head, sizeof head, Source.Pixels.data(), Source.Pixels.size());
}

std::unique_ptr<TMemoryStream> ReduceTo8(TSource24& Source, TReductionMethod Method) {
  constexpr int headSize = kFileHeaderSize + kInfoHeaderSize + 256 * 4;
  std::vector<Byte> head(headSize, 0);
  auto* table = reinterpret_cast<TColorTable*>(head.data() + kFileHeaderSize + kInfoHeaderSize);
  std::uint32_t clrImportant = 0;
  switch (Method) {
    case rmPopularity: ReducePopularity(Source, *table, ColorsOfPixelFormat(pf8bit)); break;
    case rmMedianCut: clrImportant = std::uint32_t(ReduceMedianCut(Source, *table, 256)); break;
    case rmFixed7R8G4B:
      Build7R8G4BPalette(*table);
      Reduce7R8G4B(Source);
      clrImportant = 224;
      break;
    case rmFixed6R6G6B:
      Build6R6G6BPalette(*table);
      Reduce6R6G6B(Source);
      clrImportant = 216;
      break;
    case rmChannelRamps:
      BuildChannelRampPalette(*table);
      ReduceChannelRamps(Source);
      break;
    case rmGrayscale:
      BuildGrayPalette(*table);
      ReduceGrayscale(Source);
      break;
  }
  WriteHeaders(head.data(), Source.Width, Source.Height, 8, 256, clrImportant);
  std::size_t imageBytes = std::size_t(Stride8(Source.Width)) * std::size_t(Source.Height);
  return StreamOf(head.data(), headSize, Source.Pixels.data(), imageBytes);
}

}  // namespace

std::unique_ptr<TMemoryStream> ReduceBitmapToStream(TBitmap* Bitmap, TPixelFormat TargetFormat,
                                                    TReductionMethod Method) {
  if (Bitmap == nullptr || Bitmap->Empty()) RaiseInvalidBitmap();
  if (PixelFormatOf(Bitmap) == TargetFormat && Method != rmGrayscale) return SaveBitmapItself(Bitmap);
  switch (TargetFormat) {
    case pf1bit:
    case pf4bit: return ConvertToStandardPalette(Bitmap, TargetFormat);
    case pf8bit: {
      TSource24 source = FetchPixels24(Bitmap);
      return ReduceTo8(source, Method);
    }
    case pf24bit: {
      TSource24 source = FetchPixels24(Bitmap);
      return ConvertTo24(source);
    }
    default: ShowNotImplemented();
  }
}

std::unique_ptr<TMemoryStream> ReduceBitmapForColors(TBitmap* Bitmap, int Colors) {
  TPixelFormat target = Colors <= 2 ? pf1bit : Colors <= 16 ? pf4bit : Colors <= 256 ? pf8bit : pf24bit;
  return ReduceBitmapToStream(Bitmap, target, DefaultReductionMethod);
}
