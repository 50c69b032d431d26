#pragma once
// libjpeg called directly, as an oracle and a maker of test files: one
// encoder for every test and benchmark that needs a JPEG the program did not
// write. PlainJpegEncode is the frame path's oracle: the program's encoder
// settings (defaults, float DCT, baseline, three components).
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

struct TLibjpegSettings {
  int Components = 3;  // 1: grey; 3: RGB
  int Quality = 75;
  bool FloatDct = false;
  bool OptimizeCoding = false;  // Huffman tables made for the picture
  bool Arithmetic = false;
  bool Progressive = false;  // libjpeg's own scan script
  std::vector<jpeg_scan_info> Script;  // a scan list of one's own, when not empty
};

// Rows are top-down, Stride bytes apart; a Stride of 0 repeats the first
// row on every line (a flat picture without the memory of a whole one).
inline std::string LibjpegEncode(const unsigned char* Rows, std::size_t Stride, int Width, int Height,
                                 const TLibjpegSettings& Settings) {
  jpeg_compress_struct codec;
  jpeg_error_mgr errors;
  codec.err = jpeg_std_error(&errors);
  jpeg_create_compress(&codec);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&codec, &out, &size);
  codec.image_width = JDIMENSION(Width);
  codec.image_height = JDIMENSION(Height);
  codec.input_components = Settings.Components;
  codec.in_color_space = Settings.Components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&codec);
  if (Settings.FloatDct) codec.dct_method = JDCT_FLOAT;
  jpeg_set_quality(&codec, Settings.Quality, TRUE);
  codec.arith_code = Settings.Arithmetic;
  codec.optimize_coding = Settings.OptimizeCoding && !Settings.Arithmetic;
  if (Settings.Progressive) jpeg_simple_progression(&codec);
  if (!Settings.Script.empty()) {
    codec.scan_info = Settings.Script.data();
    codec.num_scans = int(Settings.Script.size());
  }
  jpeg_start_compress(&codec, TRUE);
  while (codec.next_scanline < codec.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(Rows + std::size_t(codec.next_scanline) * Stride);
    jpeg_write_scanlines(&codec, &row, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  std::string jpeg(reinterpret_cast<const char*>(out), size);
  std::free(out);
  return jpeg;
}

inline std::string PlainJpegEncode(const unsigned char* Rgb, int Width, int Height, int Quality) {
  TLibjpegSettings settings;
  settings.Quality = Quality;
  settings.FloatDct = true;
  return LibjpegEncode(Rgb, std::size_t(Width) * 3, Width, Height, settings);
}
