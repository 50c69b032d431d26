#pragma once
// TJPEGImage: a JPEG picture. It keeps the JPEG bytes and the decoded
// picture side by side: loading decodes at once (so a damaged file fails at
// load, never later while painting), and assigning a bitmap keeps the
// picture until the bytes are needed (Compress, SaveToStream).
//
// Encoding: baseline, three components from 24-bit rows, libjpeg's defaults
// with the floating-point DCT, at CompressionQuality. Decoding gives a
// 24-bit bitmap. Anything libjpeg cannot read, a truncated file included,
// raises EInvalidGraphic with libjpeg's description of the fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"

// Default quality of a new JPEG image.
inline constexpr int JPEGDefaultQuality = 90;

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  // Source: a TJPEGImage (bytes, picture and quality), a TBitmap (its
  // picture, brought to 24 bits), or nullptr (empty).
  void Assign(TPersistent* Source) override;

  int Width() const override;
  int Height() const override;
  // A JPEG's size is that of its picture: EInvalidGraphicOperation
  // "Cannot change the size of a JPEG image".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Empty() const override;

  // 1..100; values outside are taken as the nearest end (as libjpeg does).
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int Value);

  // Encodes the held picture at CompressionQuality, replacing the bytes.
  void Compress();
  // The decoded picture, 24 bits (nullptr while empty), this image's own:
  // what is done to it changes no other image.
  TBitmap* Bitmap() const;
  // The JPEG file bytes (encoded on demand).
  const std::vector<Byte>& Data();

  // Reads the rest of the stream as one JPEG file.
  void LoadFromStream(TStream* Stream) override;
  void LoadFromBytes(const Byte* Data, std::size_t Size);
  // Writes the JPEG file (encoding the picture first when needed).
  void SaveToStream(TStream* Stream) override;
  // Layout form: a 32-bit length, then the JPEG file.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  // On the clipboard a JPEG goes as its decoded bitmap.
  void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) override;
  void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) override;

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 protected:
  // Dest a TBitmap: it takes the decoded picture.
  void AssignTo(TPersistent* Dest) override;

 private:
  void LoadFromVector(std::vector<Byte>&& Data);

  std::vector<Byte> FData;  // empty: not encoded yet
  // 24-bit picture; null while empty. Copies of an image share it until
  // one of them hands it out through Bitmap(); a picture handed out is never
  // shared again, so a change made through that pointer stays in its image.
  mutable std::shared_ptr<TBitmap> FBitmap;
  mutable bool FBitmapHandedOut = false;
  int FQuality = JPEGDefaultQuality;
};

// The codec itself, for callers that hold bytes and rows rather than
// graphics. Both raise EInvalidGraphic on any failure.
// Encodes Bitmap (any format; converted to 24 bits when needed).
std::vector<Byte> EncodeJpeg(const TBitmap& Bitmap, int Quality);
// What one decode did: the measure of the reader's limits.
struct TJpegDecodeWork {
  int Scans = 0;                 // scans whose data was read
  std::uint64_t Blocks = 0;      // 8x8 blocks those scans read, in all
  bool CodecStarted = false;     // libjpeg began decompressing (and allocating)
  std::size_t PictureBytes = 0;  // memory of the decoded picture
};
// Decodes a JPEG file into Bitmap as pf24bit. A picture is refused, as a
// damaged file is, beyond 2^23 pixels or when its scans would read its
// blocks more than a few times over. Work, when given, receives what the
// decode did, also when it failed.
void DecodeJpeg(const Byte* Data, std::size_t Size, TBitmap& Bitmap,
                TJpegDecodeWork* Work = nullptr);
