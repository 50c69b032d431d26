#pragma once
// A stand-in for the image that owns frames, and small builders of GIF
// bytes, for the frame reader, decoder and encoder tests.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/Streams.h"
#include "widgets/gx/GxGIFTypes.h"

class TTestGIFOwner : public TGIFFrameOwner {
 public:
  TTestGIFOwner() { FData->Reference(); }
  ~TTestGIFOwner() override { FData->Release(); }

  TGIFData* GlobalData() const override { return FData; }
  int LogicalWidth() const override { return Width; }
  int LogicalHeight() const override { return Height; }
  void SetLogicalSize(int W, int H) override {
    Width = W;
    Height = H;
  }
  void RecalcScreenSize() override { ++Recalcs; }
  void SetGifVersion(int Value) override { Version = Value; }
  int FrameCount() const override { return int(Frames.size()); }
  TGIFFrame* FrameAt(int Index) const override { return Frames.at(Index); }
  int CurrentIndex() const override { return Current; }
  void ReportProgress(TGIFProgressStage Stage, int Percent, const std::string& Message) override {
    Stages.push_back(Stage);
    LastPercent = Percent;
    LastMessage = Message;
  }

  TGIFData* FData = new TGIFData;
  int Width = 0;
  int Height = 0;
  int Version = 0;
  int Recalcs = 0;
  int Current = -1;
  std::vector<TGIFFrame*> Frames;
  std::vector<TGIFProgressStage> Stages;
  int LastPercent = -1;
  std::string LastMessage;
};

// Packs codes least significant bit first, as GIF image data carry them.
class TCodePacker {
 public:
  void Put(int Code, int Bits) {
    for (int i = 0; i < Bits; ++i) {
      if (FBit % 8 == 0) FBytes.push_back(0);
      if (Code >> i & 1) FBytes.back() |= std::uint8_t(1 << (FBit % 8));
      ++FBit;
    }
  }
  // Minimum code size byte, sub-blocks of at most 255 bytes, terminator.
  std::vector<std::uint8_t> ImageData(int MinCodeSize, bool Terminate = true) const {
    std::vector<std::uint8_t> out{std::uint8_t(MinCodeSize)};
    for (std::size_t i = 0; i < FBytes.size(); i += 255) {
      const std::size_t n = std::min<std::size_t>(255, FBytes.size() - i);
      out.push_back(std::uint8_t(n));
      out.insert(out.end(), FBytes.begin() + i, FBytes.begin() + i + n);
    }
    if (Terminate) out.push_back(0);
    return out;
  }

 private:
  std::vector<std::uint8_t> FBytes;
  int FBit = 0;
};

inline void AppendWord(std::vector<std::uint8_t>& Out, int Value) {
  Out.push_back(std::uint8_t(Value));
  Out.push_back(std::uint8_t(Value >> 8));
}

// An image block (after ",") of a descriptor and optional local table.
inline std::vector<std::uint8_t> ImageBlock(int Width, int Height, int Packed,
                                            const std::vector<std::uint8_t>& Table,
                                            const std::vector<std::uint8_t>& Data) {
  std::vector<std::uint8_t> out;
  AppendWord(out, 0);
  AppendWord(out, 0);
  AppendWord(out, Width);
  AppendWord(out, Height);
  out.push_back(std::uint8_t(Packed));
  out.insert(out.end(), Table.begin(), Table.end());
  out.insert(out.end(), Data.begin(), Data.end());
  return out;
}

inline void LoadBytes(TMemoryStream& Stream, const std::vector<std::uint8_t>& Bytes) {
  Stream.Clear();
  if (!Bytes.empty()) Stream.WriteBuffer(Bytes.data(), int(Bytes.size()));
  Stream.SetPosition(0);
}

// The pixel index at (X, Y) of a bottom-up BMP file in Stream.
inline int BmpPixel(TMemoryStream& Bmp, int X, int Y) {
  const auto* b = static_cast<const std::uint8_t*>(Bmp.Memory());
  auto u32 = [&](int at) { return int(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24); };
  const int offset = u32(10), width = u32(18), height = u32(22), bits = b[28];
  const int stride = (bits * width + 31) / 32 * 4;
  const std::uint8_t* row = b + offset + (height - 1 - Y) * stride;
  if (bits == 1) return row[X / 8] >> (7 - X % 8) & 1;
  if (bits == 4) return X % 2 ? row[X / 2] & 15 : row[X / 2] >> 4;
  return row[X];
}
