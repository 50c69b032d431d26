#pragma once
// Eight pixels at a time: rows of the common webcam layouts (packed 4:2:2
// and planar 4:2:0) converted with the processor's 256-bit integer
// instructions where it has them. The result is the colour formula's,
// exactly: lanes whose fixed-point sum lies too near a whole number are
// computed by YUVToRGB itself.
#include <cstdint>

// Whether the wide converters run on this processor.
bool HasWideConverters();

// Converts the first pixel pairs of a packed 4:2:2 row (YUY2: Y0 U Y1 V;
// UYVY: U Y0 V Y1) into 32-bit pixels at Dest; returns how many pairs it
// did (a multiple of 4, at most Pairs). Nothing without the instructions.
int ConvertPackedRowWide(const std::uint8_t* Source, std::uint8_t* Dest, int Pairs, bool Yuy2);

// Converts the first pixels of a 4:2:0 row (one U and one V sample per two
// pixels); returns how many it did (a multiple of 8, at most Pixels).
int ConvertPlanarRowWide(const std::uint8_t* Luma, const std::uint8_t* U, const std::uint8_t* V,
                         std::uint8_t* Dest, int Pixels);
