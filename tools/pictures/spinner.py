# Draws the wait window's spinner and writes it into the wait window's layout
# as its animator's Image.Data (a 32-bit little-endian length, then the GIF
# bytes, in hex):
#
#   python3 tools/pictures/spinner.py layouts/frmExport.lay
#
# Twelve dots on a circle; the dark one moves on by one dot a frame, a paler
# one behind it, the others pale grey: one turn in 12 steps of 100 ms. The
# GIF89a has a logical screen of 32 by 32, a global colour table of 256
# entries (entry 0, white, is the background and the transparent colour),
# a loop block repeating forever, and 12 frames, each with disposal 1 (leave
# in place), transparent index 0 and a delay of 10 hundredths. Frame 0 covers
# the whole screen; each later frame covers only the three dots that change
# colour, everything else in it transparent.
import math
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gif_lzw import lzw_image_data  # noqa: E402

W = H = 32
DOTS = 12
CENTRE, RADIUS, DOT = 15.5, 11.0, 2.6
LEVELS = 15  # shades of each dot colour against the white background
WHITE = (255, 255, 255)
DOT_COLOURS = [(0x20, 0x40, 0x90), (0x7E, 0x92, 0xC4), (0xC6, 0xCC, 0xDA)]  # lit, trailing, resting


def palette():
    table = [WHITE]
    for colour in DOT_COLOURS:
        for level in range(1, LEVELS + 1):
            t = level / LEVELS
            shade = tuple(min(254, round(255 + (c - 255) * t)) for c in colour)
            table.append(shade)
    assert len(set(table)) == len(table)  # nothing else reads as the transparent white
    return table + [(0, 0, 0)] * (256 - len(table))


def coverage(d, x, y):
    # Share of 4 x 4 sample points of pixel (x, y) inside dot d.
    a = 2 * math.pi * d / DOTS - math.pi / 2
    cx, cy = CENTRE + RADIUS * math.cos(a), CENTRE + RADIUS * math.sin(a)
    inside = sum(1 for sy in range(4) for sx in range(4)
                 if (x + (sx + .5) / 4 - cx) ** 2 + (y + (sy + .5) / 4 - cy) ** 2 <= DOT * DOT)
    return inside / 16


def dot_colour(d, k):
    age = (k - d) % DOTS  # 0: the lit dot of frame k
    return min(age, 2)


def picture(k, dots):
    # Colour indexes of the whole screen for frame k; only the given dots
    # are drawn, every other pixel is 0.
    px = [0] * (W * H)
    for y in range(H):
        for x in range(W):
            best = max(((coverage(d, x, y), d) for d in dots), default=(0, 0))
            if best[0] > 0:
                level = max(1, round(best[0] * LEVELS))
                px[y * W + x] = 1 + dot_colour(best[1], k) * LEVELS + level - 1
    return px


def bounds(px):
    xs = [i % W for i, v in enumerate(px) if v]
    ys = [i // W for i, v in enumerate(px) if v]
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def spinner():
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", W, H, 0xF7, 0, 0)
    for r, g, b in palette():
        gif += bytes([r, g, b])
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for k in range(DOTS):
        if k == 0:
            left, top, right, bottom = 0, 0, W, H
            px = picture(0, range(DOTS))
        else:
            px = picture(k, [k, (k - 1) % DOTS, (k - 2) % DOTS])
            left, top, right, bottom = bounds(px)
        rows = [px[y * W + left:y * W + right] for y in range(top, bottom)]
        gif += b"\x21\xF9\x04\x05" + struct.pack("<H", 10) + b"\x00\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", left, top, right - left, bottom - top, 0)
        gif += lzw_image_data([v for row in rows for v in row], 8)
    gif += b"\x3B"
    return bytes(gif)


def write_into_layout(path, gif):
    data = struct.pack("<I", len(gif)) + gif
    digits = data.hex().upper()
    lines = [digits[i:i + 64] for i in range(0, len(digits), 64)]
    value = "{\n" + "\n".join("      " + line for line in lines) + "}"
    text = open(path).read()
    text, count = re.subn(r"Image\.Data = \{[^}]*\}", lambda m: "Image.Data = " + value, text)
    if count != 1:
        sys.exit("%s: no single Image.Data to replace" % path)
    open(path, "w").write(text)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: spinner.py <layout>")
    write_into_layout(sys.argv[1], spinner())
