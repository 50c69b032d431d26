#pragma once
// Turns whole YUV frames from a capture driver into 32-bit pixel rows
// (blue, green, red, 0) of a bottom-up bitmap: the first source row, the top
// of the picture, lands in the last output row.
#include <cstddef>
#include <cstdint>

// Conversion codes: 0 unsupported, 1 raw RGB (rows copied, no converter),
// 2 YUY2, 3 UYVY, 4 Y41P, 5 YVU9, 6 I420, 7 Y8, 8 Y211.
std::uint8_t GetConversionCode(std::uint32_t Compression);

// One pixel; the result's bytes in memory are blue, green, red, 0.
std::uint32_t YUVToRGB(std::uint8_t Y, std::uint8_t U, std::uint8_t V);

// Bytes a frame of this code and size occupies at the source; 0 for codes
// without a converter or sizes that are not positive.
std::size_t SourceFrameSize(std::uint8_t Code, int Width, int Height);

// Converts one frame. Only the low 7 bits of Code count; codes 2 to 8 run
// their converter and give true. Anything else writes nothing and gives false,
// and so does a frame whose source or destination is smaller than the format
// and size require (Dest needs Width * 4 * Height bytes).
bool ConvertFrame(std::uint8_t Code, const std::uint8_t* Source, std::size_t SourceSize,
                  std::uint8_t* Dest, std::size_t DestSize, int Width, int Height);

// The seven converters. Callers guarantee the sizes (ConvertFrame checks them).
void ConvertYUY2(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertUYVY(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertY41P(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertYVU9(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertI420(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertY8(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
void ConvertY211(const std::uint8_t* Source, std::uint8_t* Dest, int Width, int Height);
