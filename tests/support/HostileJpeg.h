#pragma once
// Video datagrams a hostile peer can send: legal JPEG files of at most one
// datagram that cost a careless reader far more than a frame. Made with
// libjpeg's own compressor on a flat picture (every block the same), then
// one scan of it repeated as often as the datagram holds: the library
// restarts its decoder state at every scan, so the copies stay legal.
// Shared by the reader's tests and the receive benchmark.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "PlainJpeg.h"

namespace hostile {

inline constexpr std::size_t kLargestDatagram = 65507;

enum class Coding { Huffman, Arithmetic };

// A flat grey (Components 1) or colour (3, 4:2:0) picture of Width x Height.
// Progressive: a DC scan, then one AC scan (1..63) of the first component.
// Sequential with three components: one scan per component. Baseline single
// scan when Script is empty and Progressive is false.
inline std::string Compress(int Width, int Height, int Components, Coding Code, bool Progressive,
                            const std::vector<jpeg_scan_info>& Script) {
  TLibjpegSettings settings;
  settings.Components = Components;
  settings.Arithmetic = Code == Coding::Arithmetic;
  settings.OptimizeCoding = true;  // a flat block then costs two bits
  settings.Progressive = Progressive;
  settings.Script = Script;
  const std::vector<unsigned char> row(std::size_t(Width) * std::size_t(Components), 128);
  return LibjpegEncode(row.data(), 0, Width, Height, settings);
}

// Offsets of each SOS marker and of the EOI marker of a file libjpeg wrote.
struct TSegments {
  std::vector<std::size_t> Scans;
  std::size_t End = 0;
};

inline TSegments FindScans(const std::string& Jpeg) {
  TSegments found;
  std::size_t at = 2;  // after SOI
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(Jpeg.at(i)); };
  while (at + 2 <= Jpeg.size()) {
    if (byte(at) != 0xFF) throw std::runtime_error("marker expected");
    const unsigned char marker = byte(at + 1);
    if (marker == 0xD9) {
      found.End = at;
      return found;
    }
    const std::size_t length = std::size_t(byte(at + 2)) << 8 | byte(at + 3);
    std::size_t next = at + 2 + length;
    if (marker == 0xDA) {
      found.Scans.push_back(at);
      // Entropy-coded data runs to the next marker that is no stuffed zero
      // and no restart marker.
      while (next + 1 < Jpeg.size() &&
             !(byte(next) == 0xFF && byte(next + 1) != 0x00 && (byte(next + 1) & 0xF8) != 0xD0))
        ++next;
    }
    at = next;
  }
  throw std::runtime_error("no EOI");
}

// File with scan number Scan (0-based) repeated right after itself until the
// file is as close to Limit bytes as it gets; Count receives the scans in all.
inline std::string RepeatScan(const std::string& Jpeg, std::size_t Scan, std::size_t Limit,
                              int* Count = nullptr) {
  const TSegments segments = FindScans(Jpeg);
  const std::size_t from = segments.Scans.at(Scan);
  const std::size_t to = Scan + 1 < segments.Scans.size() ? segments.Scans[Scan + 1] : segments.End;
  // A DHT or DAC libjpeg put before the next scan stays where it is.
  const std::string scan = Jpeg.substr(from, to - from);
  std::string head = Jpeg.substr(0, to), tail = Jpeg.substr(to);
  std::size_t copies = 0;
  while (head.size() + tail.size() + scan.size() <= Limit) {
    head += scan;
    ++copies;
  }
  if (Count != nullptr) *Count = int(segments.Scans.size() + copies);
  return head + tail;
}

inline jpeg_scan_info ScanOf(int Component, int Ss, int Se) {
  jpeg_scan_info scan{};
  scan.comps_in_scan = 1;
  scan.component_index[0] = Component;
  scan.Ss = Ss;
  scan.Se = Se;
  return scan;
}

inline jpeg_scan_info DcScan(int Components) {
  jpeg_scan_info scan{};
  scan.comps_in_scan = Components;
  for (int c = 0; c < Components; ++c) scan.component_index[c] = c;
  return scan;
}

// Progressive grey picture: one DC scan, then the same AC scan over every
// block again and again (each an end-of-band run or a few).
inline std::string ManyScansProgressive(int Width, int Height, Coding Code, int* Count = nullptr) {
  const std::string plain =
      Compress(Width, Height, 1, Code, true, {DcScan(1), ScanOf(0, 1, 63)});
  return RepeatScan(plain, 1, kLargestDatagram, Count);
}

// Sequential colour picture whose components are sent in scans of their
// own, the first component's scan repeated: every copy decodes every block.
inline std::string ManyScansSequential(int Width, int Height, Coding Code, int* Count = nullptr) {
  const std::string plain = Compress(Width, Height, 3, Code, false,
                                     {ScanOf(0, 0, 63), ScanOf(1, 0, 63), ScanOf(2, 0, 63)});
  return RepeatScan(plain, 0, kLargestDatagram, Count);
}

// A picture with a comment of filler, so that the file is Size bytes long.
inline std::string PaddedTo(const std::string& Jpeg, std::size_t Size) {
  std::string padded = Jpeg.substr(0, 2);
  std::size_t room = Size > Jpeg.size() ? Size - Jpeg.size() : 0;
  while (room >= 4) {
    const std::size_t body = std::min<std::size_t>(room - 4, 65533);
    padded += '\xFF';
    padded += '\xFE';
    padded += char((body + 2) >> 8);
    padded += char((body + 2) & 0xFF);
    padded += std::string(body, 'x');
    room -= body + 4;
  }
  return padded + Jpeg.substr(2);
}

}  // namespace hostile
