# Draws the wait window's spinner: twelve dots on a circle, the lit one
# moving on by one each frame with a fading tail; writes a GIF89a of 32 by 32
# pixels, 12 frames of 100 ms, looping forever (LZW, codes of 9 to 12 bits).
# Usage: python3 spinner.py spinner.gif. The wait window's layout
# (layouts/frmExport.lay) holds this file as its animator's Image.Data:
# a 32-bit little-endian length, then the GIF bytes, written in hex.
import math, struct, sys

W = H = 32
FRAMES = 12
# palette: 0 white, 1..5 from dark blue to pale grey
palette = [(255,255,255),(0x20,0x40,0x90),(0x50,0x6c,0xa8),(0x86,0x98,0xc0),(0xb8,0xc2,0xd8),(0xd8,0xdc,0xe4)]
palette += [(0,0,0)] * (256 - len(palette))

def frame_pixels(k):
    px = [0] * (W * H)
    for d in range(12):
        age = (k - d) % 12            # 0: the lit dot
        col = 1 + min(age, 4)
        a = 2 * math.pi * d / 12 - math.pi / 2
        cx, cy = 15.5 + 11 * math.cos(a), 15.5 + 11 * math.sin(a)
        for y in range(H):
            for x in range(W):
                if (x - cx) ** 2 + (y - cy) ** 2 <= 2.6 ** 2:
                    px[y * W + x] = col
    return px

def lzw(px):
    clear, eoi = 256, 257
    out = bytearray(); state = {'acc': 0, 'n': 0}
    def emit(code, width):
        state['acc'] |= code << state['n']; state['n'] += width
        while state['n'] >= 8:
            out.append(state['acc'] & 255); state['acc'] >>= 8; state['n'] -= 8
    def reset():
        return {(i,): i for i in range(256)}, 258, 9
    table, next_code, width = reset()
    emit(clear, width)
    w = ()
    for p in px:
        wp = w + (p,)
        if wp in table:
            w = wp
            continue
        emit(table[w], width)
        table[wp] = next_code
        if next_code == (1 << width) and width < 12:
            width += 1
        next_code += 1
        if next_code >= 4000:
            emit(clear, width)
            table, next_code, width = reset()
        w = (p,)
    emit(table[w], width)
    emit(eoi, width)
    if state['n']: out.append(state['acc'] & 255)
    blocks = bytearray([8])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks.append(len(chunk)); blocks += chunk
    blocks.append(0)
    return bytes(blocks)

gif = bytearray(b'GIF89a')
gif += struct.pack('<HHBBB', W, H, 0xF7, 0, 0)
for r, g, b in palette: gif += bytes([r, g, b])
gif += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'
for k in range(FRAMES):
    gif += b'\x21\xF9\x04' + bytes([1 << 2]) + struct.pack('<H', 10) + b'\x00\x00'
    gif += b'\x2C' + struct.pack('<HHHHB', 0, 0, W, H, 0)
    gif += lzw(frame_pixels(k))
gif += b'\x3B'
open(sys.argv[1], 'wb').write(gif)
