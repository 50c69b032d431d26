#include "platform/graphics/Icon.h"

#include <algorithm>
#include <limits>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/IconFile.h"

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::SetFile(std::shared_ptr<const TIconFile> File) {
  FFile = std::move(File);
  FCurrent = FFile ? ChooseIconImage(FFile->Images) : -1;
  Changed(this);
}

void TIcon::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    SetFile(nullptr);
  } else if (auto* icon = dynamic_cast<TIcon*>(Source)) {
    SetFile(icon->FFile);
  } else {
    TGraphic::Assign(Source);
  }
}

int TIcon::Width() const { return Empty() ? 0 : FFile->Images[std::size_t(FCurrent)].Width; }
int TIcon::Height() const { return Empty() ? 0 : FFile->Images[std::size_t(FCurrent)].Height; }
void TIcon::SetWidth(int) { throw EInvalidGraphicOperation(SChangeIconSize); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation(SChangeIconSize); }
bool TIcon::Empty() const { return FFile == nullptr || FCurrent < 0; }
int TIcon::ImageCount() const { return FFile ? int(FFile->Images.size()) : 0; }

void TIcon::LoadFromStream(TStream* Stream) {
  std::int64_t remaining = std::max<std::int64_t>(Stream->Size() - Stream->Position(), 0);
  if (remaining > std::numeric_limits<int>::max()) throw EInvalidGraphic(SInvalidIcon);
  std::vector<Byte> data(static_cast<std::size_t>(remaining));
  if (remaining > 0) Stream->ReadBuffer(data.data(), int(remaining));
  if (data.empty()) {
    SetFile(nullptr);
    return;
  }
  SetFile(std::make_shared<const TIconFile>(ReadIconFile(data.data(), data.size())));
}

void TIcon::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  std::vector<Byte> bytes = WriteIconFile(*FFile);
  Stream->WriteBuffer(bytes.data(), int(bytes.size()));
}

void TIcon::SaveToClipboardFormat(TClipboardFormat&, std::vector<Byte>&) {
  throw EInvalidGraphicOperation(SIconToClipboard);
}

void TIcon::LoadFromClipboardFormat(TClipboardFormat, const std::vector<Byte>&) {
  throw EInvalidGraphicOperation(SIconToClipboard);
}

namespace {

// The source column (or row) under the centre of each destination one, for
// destination pixels From .. From + Count - 1 of a Length-pixel stretch.
std::vector<int> NearestSource(long long From, int Count, long long Length, int SourceLength) {
  std::vector<int> map(static_cast<std::size_t>(Count));
  for (int i = 0; i < Count; ++i)
    map[std::size_t(i)] = int((2 * (From + i) + 1) * SourceLength / (2 * Length));
  return map;
}

Byte Blend(Byte Over, Byte Under, Byte Alpha) { return Byte((Over * Alpha + Under * (255 - Alpha) + 127) / 255); }

}  // namespace

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty() || Rect.IsEmpty()) return;
  ACanvas->RequireSurface();
  const TIconImage& image = FFile->Images[std::size_t(FCurrent)];

  // Only the part inside the clip is composed: copied out of the canvas,
  // combined with the icon pixel by pixel, and copied back.
  TRect clip = ACanvas->ClipRect();
  TRect area{std::max(Rect.Left, clip.Left), std::max(Rect.Top, clip.Top), std::min(Rect.Right, clip.Right),
             std::min(Rect.Bottom, clip.Bottom)};
  if (area.IsEmpty()) return;
  const int width = area.Width(), height = area.Height();
  std::vector<int> columns = NearestSource(area.Left - (long long)Rect.Left, width,
                                           Rect.Right - (long long)Rect.Left, image.Width);
  std::vector<int> rows = NearestSource(area.Top - (long long)Rect.Top, height,
                                        Rect.Bottom - (long long)Rect.Top, image.Height);

  TBitmap work;
  work.SetPixelFormat(pf32bit);
  work.SetSize(width, height);
  BitBlt(work.Canvas(), 0, 0, width, height, ACanvas, area.Left, area.Top, SRCCOPY);
  for (int y = 0; y < height; ++y) {
    auto* out = static_cast<TRGBQuad*>(work.ScanLine(y));
    const int sy = rows[std::size_t(y)];
    for (int x = 0; x < width; ++x) {
      const int sx = columns[std::size_t(x)];
      const TRGBQuad over = image.Pixel(sx, sy);
      TRGBQuad& under = out[x];
      if (image.HasAlpha) {
        under.rgbBlue = Blend(over.rgbBlue, under.rgbBlue, over.rgbReserved);
        under.rgbGreen = Blend(over.rgbGreen, under.rgbGreen, over.rgbReserved);
        under.rgbRed = Blend(over.rgbRed, under.rgbRed, over.rgbReserved);
      } else if (image.SeeThrough(sx, sy)) {
        // AND with a white mask pixel keeps the destination; XOR inverts its bits.
        under.rgbBlue ^= over.rgbBlue;
        under.rgbGreen ^= over.rgbGreen;
        under.rgbRed ^= over.rgbRed;
      } else {
        // AND with a black mask pixel clears it; XOR then gives the picture.
        under.rgbBlue = over.rgbBlue;
        under.rgbGreen = over.rgbGreen;
        under.rgbRed = over.rgbRed;
      }
    }
  }
  BitBlt(ACanvas, area.Left, area.Top, width, height, work.Canvas(), 0, 0, SRCCOPY);
}
