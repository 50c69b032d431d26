#!/usr/bin/python3
# Writes GxClearCodeOracle.h: small GIF files whose LZW data hold clear codes
# in a row (two or three, at the start or in the middle) or a clear code right
# before the end code, at 1, 2, 4 and 8 bits per pixel, each with the colour
# indexes that Pillow (an independent decoder) reads from it.
# Run with the Debian python3 (python3-pil): /usr/bin/python3 MakeClearCodeOracle.py [corpus folder]
# With a folder, the files are written there as well (the fuzz corpus).
import io
import os
import struct
import sys
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..",
                                "tools", "pictures"))
from gif_lzw import lzw_image_data  # noqa: E402

W, H = 13, 7


def pixels(bits):
    n = 1 << bits
    return [(x // 2 + y * 3 + (x * y) % 5) % n for y in range(H) for x in range(W)]


def gif(bits, px, clears):
    n = 1 << bits
    table = b"".join(bytes([(i * 37) & 255, (i * 91 + 40) & 255, (255 - i * 13) & 255]) for i in range(n))
    head = b"GIF89a" + struct.pack("<HHBBB", W, H, 0x80 | (bits - 1), 0, 0) + table
    block = b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0) + lzw_image_data(px, max(2, bits), clears)
    return head + block + b"\x3B"


cases = {
    "TwoClearsAtStart": {0: 2},
    "TwoClearsInside": {40: 2},
    "ThreeClearsInside": {0: 1, 30: 3},
    "ClearBeforeEnd": {W * H: 1},
}
files = {}
for bits in (1, 2, 4, 8):
    px = pixels(bits)
    for name, clears in cases.items():
        data = gif(bits, px, clears)
        got = list(Image.open(io.BytesIO(data)).getdata())
        assert got == px, (name, bits)  # Pillow agrees with the picture drawn
        files["%s%d" % (name, bits)] = (data, got)

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "..", "GxClearCodeOracle.h"), "w") as f:
    f.write("#pragma once\n// Made by oracle/MakeClearCodeOracle.py; pixels read by Pillow. Do not edit.\n")
    f.write("#include <cstdint>\n#include <string>\n#include <vector>\n\n")
    f.write("struct TClearCodeOracle {\n  std::string Name;\n  int Bits;\n"
            "  std::vector<std::uint8_t> Gif;\n  std::vector<std::uint8_t> Pixels;  // %d x %d, top row first\n};\n\n" % (W, H))
    f.write("inline const std::vector<TClearCodeOracle> ClearCodeOracles = {\n")
    for name, (data, got) in files.items():
        f.write('    {"%s", %s,\n     {%s},\n     {%s}},\n' % (
            name, name[-1], ", ".join("0x%02X" % b for b in data), ", ".join(str(v) for v in got)))
    f.write("};\n")
if len(sys.argv) > 1:
    for name, (data, _) in files.items():
        with open(os.path.join(sys.argv[1], "clear_codes_%s.gif" % name.lower()), "wb") as out:
            out.write(data)
