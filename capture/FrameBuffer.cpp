// The frame buffer: one complete BMP file in memory, laid out after the
// driver's video format. Raw RGB frames keep the driver's own format block as
// their header; YUV frames get a 40-byte header for 32-bit rows.
#include <algorithm>
#include <cstring>

#include "capture/AviCap.h"
#include "capture/VideoCapState.h"
#include "capture/YUVConverts.h"
#include "platform/base/Exceptions.h"

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
// No frame buffer grows beyond this: a format block claiming more is one the
// program cannot use, and its frames are dropped.
constexpr std::size_t kMaxImageSize = std::size_t(1) << 27;

void Put16(Byte* p, unsigned v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
}
void Put32(Byte* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = Byte(v >> (8 * i));
}
std::uint32_t Get32(const Byte* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// The header of frames the program writes itself (YUV converted to 32 bits).
void PutConvertedHeader(videocap::TModuleState& s, int width, int height) {
  if (s.FrameHeader.size() < std::size_t(s.FrameHeaderSize))
    s.FrameHeader.resize(std::size_t(s.FrameHeaderSize), 0);
  BITMAPINFOHEADER header;
  InitBitmapInfoHeader(header, width, height, 32);
  std::memcpy(s.FrameHeader.data(), &header, sizeof header);
}

// Builds FrameHeader for the driver's format (Data model of the frame buffer).
void BuildFrameHeader(videocap::TModuleState& s) {
  const BITMAPINFOHEADER format = videocap::FormatHeader();
  switch (s.ConversionCode) {
    case 0: break;  // frames are dropped; the header stays as it was
    case 1:
      if (format.biSizeImage > kMaxImageSize) {
        s.ConversionCode = 0;
        break;
      }
      s.FrameHeader = s.VideoFormat;
      s.FrameHeaderSize = s.VideoFormatSize;
      break;
    default: {
      const std::int64_t bytes = std::int64_t(format.biWidth) * 4 * format.biHeight;
      if (format.biWidth <= 0 || format.biHeight <= 0 || bytes > std::int64_t(kMaxImageSize)) {
        s.ConversionCode = 0;
        break;
      }
      PutConvertedHeader(s, format.biWidth, format.biHeight);
      break;
    }
  }
}

}  // namespace

namespace videocap {

TModuleState& State() {
  static TModuleState state;
  return state;
}

Byte* JpegBuffer() {
  static Byte buffer[JpegBufferSize];
  return buffer;
}

BITMAPINFOHEADER FormatHeader() {
  BITMAPINFOHEADER header{};
  const std::vector<Byte>& block = State().VideoFormat;
  std::memcpy(&header, block.data(), std::min(block.size(), sizeof header));
  return header;
}

std::size_t FrameImageSize() {
  const std::vector<Byte>& header = State().FrameHeader;
  return header.size() >= kInfoHeaderSize ? Get32(header.data() + 20) : 0;
}

bool DirectRows(TFrameRows& Rows) {
  const TModuleState& s = State();
  if (s.FramePixels == nullptr || s.FrameHeader.size() < std::size_t(kInfoHeaderSize)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, s.FrameHeader.data(), sizeof h);
  if (h.biSize < DWord(kInfoHeaderSize) || h.biSize > 256 || h.biSize > DWord(s.FrameHeaderSize) ||
      h.biCompression != BI_RGB || (h.biBitCount != 24 && h.biBitCount != 32) ||
      h.biWidth <= 0 || h.biHeight <= 0)
    return false;
  const std::size_t stride = std::size_t(ScanLineSize(h.biWidth * h.biBitCount));
  if (FrameImageSize() / stride < std::size_t(h.biHeight)) return false;
  Rows.TopRow = s.FramePixels + (std::size_t(h.biHeight) - 1) * stride;
  Rows.Stride = -std::ptrdiff_t(stride);
  Rows.BytesPerPixel = h.biBitCount / 8;
  Rows.Width = h.biWidth;
  Rows.Height = h.biHeight;
  return true;
}

void SyncCaptureBitmap() {
  TModuleState& s = State();
  if (!s.BitmapBehind || !s.CaptureBitmap || !s.FrameStream) return;
  s.BitmapBehind = false;
  s.FrameStream->SetPosition(0);
  try {
    s.CaptureBitmap->LoadFromStream(s.FrameStream.get());
  } catch (const EInvalidGraphic&) {
    // Not for these layouts; the picture would keep what it had.
  }
  s.FrameStream->SetPosition(0);
}

}  // namespace videocap

void InitFrameBuffers() {
  videocap::TModuleState& s = videocap::State();
  if (s.CaptureWindow == nullptr) return;
  s.CaptureBitmap.reset();
  s.BitmapBehind = false;
  s.FramePixels = nullptr;
  s.FrameStream = std::make_unique<TMemoryStream>();
  s.VideoFormatSize = 0;
  s.VideoFormat.clear();
  s.FrameHeaderSize = kInfoHeaderSize;
  s.FrameHeader.assign(kInfoHeaderSize, 0);
  BITMAPINFOHEADER wanted;
  InitBitmapInfoHeader(wanted, 384, 288, 24);
  std::memcpy(s.FrameHeader.data(), &wanted, sizeof wanted);
  // The driver may keep a format of its own; the frame buffer follows it.
  capSetVideoFormat(s.CaptureWindow, s.FrameHeader.data(), kInfoHeaderSize);
  ReadVideoFormat();
  s.CaptureBitmap = std::make_unique<TBitmap>();
}

void ReadVideoFormat() {
  videocap::TModuleState& s = videocap::State();
  if (s.CaptureWindow == nullptr) return;
  // The picture keeps the last frame of the old layout.
  videocap::SyncCaptureBitmap();
  const std::uint32_t size = capGetVideoFormatSize(s.CaptureWindow);
  // A block too short for a bitmap header says nothing readable either.
  if (size < std::uint32_t(kInfoHeaderSize)) throw Exception(SNoVideoFormat);
  s.VideoFormatSize = int(size);
  s.VideoFormat.assign(size, 0);
  const LRESULT got = capGetVideoFormat(s.CaptureWindow, s.VideoFormat.data(), size);
  if (got < LRESULT(kInfoHeaderSize)) throw Exception(SNoVideoFormat);
  s.ConversionCode = GetConversionCode(videocap::FormatHeader().biCompression);
  BuildFrameHeader(s);

  if (!s.FrameStream) s.FrameStream = std::make_unique<TMemoryStream>();
  const std::size_t headerSize = std::size_t(s.FrameHeaderSize);
  const std::size_t pixelOffset = kFileHeaderSize + headerSize;
  s.FrameStream->SetSize(std::int64_t(pixelOffset + videocap::FrameImageSize()));
  Byte* memory = static_cast<Byte*>(s.FrameStream->Memory());
  memory[0] = 'B';
  memory[1] = 'M';
  Put32(memory + 2, std::uint32_t(s.FrameStream->Size()));
  Put16(memory + 6, 0);
  Put16(memory + 8, 0);
  Put32(memory + 10, std::uint32_t(pixelOffset));
  if (s.FrameHeader.size() < headerSize) s.FrameHeader.resize(headerSize, 0);
  std::memcpy(memory + kFileHeaderSize, s.FrameHeader.data(), headerSize);
  s.FramePixels = memory + pixelOffset;
}

void FreeFrameBuffers() {
  videocap::TModuleState& s = videocap::State();
  s.FramePixels = nullptr;
  s.FrameStream.reset();
  s.CaptureBitmap.reset();
  s.BitmapBehind = false;
  s.FrameHeader.clear();
  s.VideoFormat.clear();
}

bool FrameBuffersReady() {
  const videocap::TModuleState& s = videocap::State();
  return s.CaptureBitmap != nullptr && s.FrameStream != nullptr && s.FramePixels != nullptr;
}

const TMemoryStream* FrameBuffer() { return videocap::State().FrameStream.get(); }

Byte FrameConversionCode() { return videocap::State().ConversionCode; }

TBitmap* FrameBitmap() {
  videocap::SyncCaptureBitmap();
  return videocap::State().CaptureBitmap.get();
}

const Byte* LastJpeg() { return videocap::JpegBuffer(); }

std::size_t LastJpegSize() { return videocap::State().JpegSize; }
