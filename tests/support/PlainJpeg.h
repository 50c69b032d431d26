#pragma once
// The oracle for the frame path: libjpeg called directly with the program's
// encoder settings (defaults, float DCT, baseline, three components), on
// top-down RGB rows. Shared by the sender's tests and the pipeline benchmark.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

inline std::string PlainJpegEncode(const unsigned char* Rgb, int Width, int Height, int Quality) {
  jpeg_compress_struct codec;
  jpeg_error_mgr errors;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&codec, &out, &size);
  codec.image_width = JDIMENSION(Width);
  codec.image_height = JDIMENSION(Height);
  codec.input_components = 3;
  codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&codec);
  codec.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&codec, Quality, TRUE);
  jpeg_start_compress(&codec, TRUE);
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(Rgb + std::size_t(codec.next_scanline) * std::size_t(Width) * 3);
    jpeg_write_scanlines(&codec, &row, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  std::string jpeg(reinterpret_cast<const char*>(out), size);
  std::free(out);
  return jpeg;
}
