// One image block as the stream reader hands it over: the first byte picks
// the global colour depth (0 = no global table) and the logical screen, the
// rest is the block after the separator ",". The frame is read, then decoded.
#include <cstddef>
#include <cstdint>

#include "platform/base/Streams.h"
#include "widgets/gx/GxGIFDecode.h"
#include "widgets/gx/GxGIFTypes.h"

namespace {

class TFuzzOwner : public TGIFFrameOwner {
 public:
  TFuzzOwner() { FData->Reference(); }
  ~TFuzzOwner() override { FData->Release(); }
  TGIFData* GlobalData() const override { return FData; }
  int LogicalWidth() const override { return FWidth; }
  int LogicalHeight() const override { return FHeight; }
  void SetLogicalSize(int Width, int Height) override {
    FWidth = Width;
    FHeight = Height;
  }
  void RecalcScreenSize() override {}
  void SetGifVersion(int) override {}
  int FrameCount() const override { return 0; }
  TGIFFrame* FrameAt(int) const override { return nullptr; }
  int CurrentIndex() const override { return -1; }
  void ReportProgress(TGIFProgressStage, int, const std::string&) override {}

  TGIFData* FData = new TGIFData;
  int FWidth = 0;
  int FHeight = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  TFuzzOwner owner;
  const int globalDepth = Data[0] & 7;
  owner.FWidth = 1 + ((Data[0] >> 3) & 31);
  owner.FHeight = owner.FWidth;
  TGIFFrame frame(&owner);
  if (globalDepth > 0) {
    owner.FData->FGlobalColors.Count = 1 << globalDepth;
    owner.FData->FGlobalDepth = Byte(globalDepth);
    frame.FShared->FColorDepth = Byte(globalDepth);
  }
  TMemoryStream block;
  if (Size > 1) block.WriteBuffer(Data + 1, int(Size - 1));
  block.SetPosition(0);
  for (bool tolerant : {true, false}) {
    GIFTolerant = tolerant;
    try {
      ReadFrame(&frame, &block);
      TMemoryStream bmp;
      DecodeFrame(&frame, &bmp);
    } catch (const Exception&) {
    }
    block.SetPosition(0);
  }
  GIFTolerant = true;
  return 0;
}
