#pragma once
// Colour reduction: a TBitmap of any pixel format becomes one complete BMP
// file in a new memory stream, at 1, 4, 8 or 24 bits per pixel. For 8 bits
// the true-colour pixels are reduced to a colour table by one of six
// methods. The GIF frame encoder uses it for every frame whose bitmap has no
// palette, the animated cursor to bring its strip back to its icons' colours.
//
// Streams of the conversion paths: file header (14 bytes), a 40-byte
// BITMAPINFOHEADER written for the target depth (compression 0, colours used
// 0, positive height, image size of the target rows), the colour table (2,
// 16 or 256 entries of blue, green, red, 0) and the bottom-up rows, each
// padded to 4 bytes.
#include <memory>

#include "platform/base/Streams.h"
#include "platform/base/Types.h"
#include "platform/graphics/Bitmap.h"

enum TReductionMethod : Byte {
  rmPopularity,    // the most frequent colours (after channel masking); then gray 128
  rmMedianCut,     // median cut over a 16 x 16 x 16 cube; then black
  rmFixed7R8G4B,   // fixed 7 x 8 x 4 cube, 224 entries
  rmFixed6R6G6B,   // fixed 6 x 6 x 6 cube, 216 entries
  rmChannelRamps,  // red, green and blue 64-step ramps; a pixel keeps one channel
  rmGrayscale,     // 256 grays
};

// The method of ReduceBitmapForColors and of the GIF frame encoder.
inline constexpr TReductionMethod DefaultReductionMethod = rmPopularity;

// A new stream positioned at 0, owned by the caller.
// - A bitmap already at TargetFormat comes back as it saves itself (unless
//   Method is rmGrayscale).
// - pf1bit / pf4bit: the bitmap's nearest colours of the 2 or 16 standard colours.
// - pf8bit: reduced by Method.
// - pf24bit: the 24-bit picture (the methods make 8-bit indexes, which a
//   24-bit file has no table for).
// - Any other target: the box "Function not yet implemented", then EAbort.
// An empty bitmap raises EInvalidGraphic "Bitmap image is not valid".
std::unique_ptr<TMemoryStream> ReduceBitmapToStream(TBitmap* Bitmap, TPixelFormat TargetFormat,
                                                    TReductionMethod Method);

// ReduceBitmapToStream with DefaultReductionMethod at the depth Colors asks
// for: up to 2 (zero and negative included) 1 bit, 3 to 16 4 bits, 17 to 256
// 8 bits, more 24 bits.
std::unique_ptr<TMemoryStream> ReduceBitmapForColors(TBitmap* Bitmap, int Colors);
