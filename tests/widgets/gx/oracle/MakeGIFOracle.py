#!/usr/bin/python3
# Writes GxGIFOracle.h: GIF files made by Pillow (an independent encoder) of
# pictures the decoder tests rebuild from the same formulas.
# Run with the Debian python3 (python3-pil): /usr/bin/python3 MakeGIFOracle.py
import io
import os
from PIL import Image


def small_pixels(w, h):
    return [(x * 3 + y * 5 + (x * y) % 7) % 6 for y in range(h) for x in range(w)]


def noise_pixels(w, h):
    v, out = 1, []
    for _ in range(w * h):
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((v >> 16) & 0xFF)
    return out


def gif(w, h, pixels, palette, **options):
    im = Image.new("P", (w, h))
    im.putpalette(palette)
    im.putdata(pixels)
    buf = io.BytesIO()
    im.save(buf, "GIF", optimize=False, **options)
    return buf.getvalue()


small_palette = [255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 255]
noise_palette = [c for i in range(256) for c in (i, 255 - i, (i * 7) & 255)]
files = {
    "OracleSmall": gif(23, 21, small_pixels(23, 21), small_palette, interlace=False),
    "OracleSmallInterlaced": gif(23, 21, small_pixels(23, 21), small_palette, interlace=True),
    "OracleNoise": gif(96, 64, noise_pixels(96, 64), noise_palette, interlace=False),
}
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "GxGIFOracle.h"), "w") as f:
    f.write("#pragma once\n// Made by oracle/MakeGIFOracle.py with Pillow; do not edit.\n")
    f.write("#include <cstdint>\n#include <vector>\n\n")
    for name, data in files.items():
        f.write("inline const std::vector<std::uint8_t> %s = {\n" % name)
        for i in range(0, len(data), 16):
            f.write("    " + ", ".join("0x%02X" % b for b in data[i:i + 16]) + ",\n")
        f.write("};\n\n")
