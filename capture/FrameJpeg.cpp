#include "capture/FrameJpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "platform/graphics/Bitmap.h"

// libjpeg reports faults through error_exit, which must not return: ours
// jumps back to the one C-style frame below, where no C++ object with a
// destructor lives, and the codec is destroyed there. A full buffer is
// reported the same way.

namespace {

struct EncodeJob {
  jpeg_compress_struct Codec;
  jpeg_error_mgr Errors;
  jpeg_destination_mgr Dest;
  std::jmp_buf Jump;
  bool Overflow;
  const TBitmap* Picture;  // or Rows
  TFrameRows Rows;
  int Width;
  int Height;
  int Quality;
  Byte* Row;  // Width * 3 bytes, for rows that need to be put together
  Byte* Buffer;
  std::size_t Capacity;
  std::size_t Length;
};

extern "C" void JobError(j_common_ptr cinfo) {
  EncodeJob* job = reinterpret_cast<EncodeJob*>(cinfo->client_data);
  std::longjmp(job->Jump, 1);
}
extern "C" void JobMessage(j_common_ptr, int) {}

extern "C" void DestInit(j_compress_ptr cinfo) {
  EncodeJob* job = reinterpret_cast<EncodeJob*>(cinfo->client_data);
  job->Dest.next_output_byte = job->Buffer;
  job->Dest.free_in_buffer = job->Capacity;
}
extern "C" boolean DestFull(j_compress_ptr cinfo) {
  EncodeJob* job = reinterpret_cast<EncodeJob*>(cinfo->client_data);
  job->Overflow = true;
  std::longjmp(job->Jump, 1);
}
extern "C" void DestTerm(j_compress_ptr cinfo) {
  EncodeJob* job = reinterpret_cast<EncodeJob*>(cinfo->client_data);
  job->Length = job->Capacity - job->Dest.free_in_buffer;
}

// Row y of the picture as blue, green, red bytes: straight from the bitmap
// when its rows are that already, else put together in job->Row.
JSAMPROW PictureRow(EncodeJob* job, int y, bool direct) {
  if (job->Picture == nullptr)
    return const_cast<JSAMPROW>(job->Rows.TopRow + std::ptrdiff_t(y) * job->Rows.Stride);
  const TBitmap& picture = *job->Picture;
  if (direct) return static_cast<JSAMPROW>(const_cast<void*>(picture.ScanLine(y)));
  Byte* row = job->Row;
  std::memset(row, 0xFF, std::size_t(job->Width) * 3);
  if (y < picture.Height()) {
    const int n = picture.Width() < job->Width ? picture.Width() : job->Width;
    const Byte* from = static_cast<const Byte*>(picture.ScanLine(y));
    const int format = picture.PixelFormat();
    for (int x = 0; x < n; ++x) {
      Byte* to = row + 3 * x;
      if (format == pf24bit) {
        std::memcpy(to, from + 3 * x, 3);
      } else if (format == pf32bit || format == pfDevice) {
        std::memcpy(to, from + 4 * x, 3);
      } else {
        const TColor color = picture.Pixel(x, y);
        to[0] = Byte(GetBValue(color));
        to[1] = Byte(GetGValue(color));
        to[2] = Byte(GetRValue(color));
      }
    }
  }
  return row;
}

bool RunEncode(EncodeJob* job) {
  job->Codec.err = jpeg_std_error(&job->Errors);
  job->Errors.error_exit = JobError;
  job->Errors.emit_message = JobMessage;
  job->Codec.client_data = job;
  if (setjmp(job->Jump)) {
    jpeg_destroy_compress(&job->Codec);
    return false;
  }
  jpeg_create_compress(&job->Codec);
  job->Dest.init_destination = DestInit;
  job->Dest.empty_output_buffer = DestFull;
  job->Dest.term_destination = DestTerm;
  job->Codec.dest = &job->Dest;

  bool direct24, direct32;
  if (job->Picture != nullptr) {
    const TBitmap& picture = *job->Picture;
    const TPixelFormat format = picture.PixelFormat();
    const bool whole = picture.Width() == job->Width && picture.Height() >= job->Height;
    direct24 = whole && format == pf24bit;
    direct32 = whole && (format == pf32bit || format == pfDevice);
  } else {
    direct24 = job->Rows.BytesPerPixel == 3;
    direct32 = !direct24;
  }
  job->Codec.image_width = JDIMENSION(job->Width);
  job->Codec.image_height = JDIMENSION(job->Height);
  job->Codec.input_components = direct32 ? 4 : 3;
  job->Codec.in_color_space = direct32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&job->Codec);
  job->Codec.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&job->Codec, job->Quality, TRUE);
  jpeg_start_compress(&job->Codec, TRUE);
  if (job->Picture == nullptr) {
    // Rows held elsewhere go in by pointer, a whole row group at a time.
    JSAMPROW rows[FrameJpegRowGroup];
    while (job->Codec.next_scanline < job->Codec.image_height) {
      const int first = int(job->Codec.next_scanline);
      const int count = std::min(FrameJpegRowGroup, job->Height - first);
      if (job->Rows.NeedRows != nullptr) job->Rows.NeedRows(job->Rows.Context, first + count);
      for (int i = 0; i < count; ++i) rows[i] = PictureRow(job, first + i, true);
      jpeg_write_scanlines(&job->Codec, rows, JDIMENSION(count));
    }
  }
  while (job->Codec.next_scanline < job->Codec.image_height) {
    JSAMPROW rows[1] = {PictureRow(job, int(job->Codec.next_scanline), direct24 || direct32)};
    jpeg_write_scanlines(&job->Codec, rows, 1);
  }
  jpeg_finish_compress(&job->Codec);
  jpeg_destroy_compress(&job->Codec);
  return true;
}

std::size_t Encode(const TBitmap* Picture, const TFrameRows& Rows, int Width, int Height,
                   int Quality, Byte* Buffer, std::size_t Capacity) {
  if (Width <= 0 || Height <= 0 || Buffer == nullptr || Capacity == 0) return 0;
  std::vector<Byte> row(Picture != nullptr ? std::size_t(Width) * 3 : 0);
  auto job = std::make_unique<EncodeJob>();
  job->Overflow = false;
  job->Picture = Picture;
  job->Rows = Rows;
  job->Width = Width;
  job->Height = Height;
  job->Quality = Quality < 1 ? 1 : Quality > 100 ? 100 : Quality;
  job->Row = row.data();
  job->Buffer = Buffer;
  job->Capacity = Capacity;
  job->Length = 0;
  if (!RunEncode(job.get())) return 0;
  return job->Length;
}

}  // namespace

std::size_t EncodeFrameJpeg(const TBitmap& Picture, int Width, int Height, int Quality,
                            Byte* Buffer, std::size_t Capacity) {
  return Encode(&Picture, TFrameRows{}, Width, Height, Quality, Buffer, Capacity);
}

std::size_t EncodeFrameJpeg(const TFrameRows& Rows, int Quality, Byte* Buffer,
                            std::size_t Capacity) {
  if (Rows.TopRow == nullptr || (Rows.BytesPerPixel != 3 && Rows.BytesPerPixel != 4)) return 0;
  return Encode(nullptr, Rows, Rows.Width, Rows.Height, Quality, Buffer, Capacity);
}
