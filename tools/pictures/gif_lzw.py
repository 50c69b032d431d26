# GIF image data (LZW minimum code size, data sub-blocks, terminator) of a
# list of colour indexes; shared by the picture tools and the test oracles.


def lzw_image_data(px, min_size, clears=None):
    """px: colour indexes, top row first. clears maps a pixel position
    (0 = the start, len(px) = right before the end code) to the number of
    clear codes written there; by default one clear code starts the data."""
    clears = clears or {}
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = [0, 0]

    def emit(code, width):
        acc[0] |= code << acc[1]
        acc[1] += width
        while acc[1] >= 8:
            out.append(acc[0] & 255)
            acc[0] >>= 8
            acc[1] -= 8

    def fresh():
        return {(i,): i for i in range(clear)}, clear + 2, min_size + 1

    def emit_clears(n, width):
        for _ in range(n):
            emit(clear, width)
            width = min_size + 1
        return width

    def step(width, next_code):
        # A reader adds an entry for every code after the first: keep its width.
        if next_code == (1 << width) and width < 12:
            width += 1
        return width, next_code + 1

    table, next_code, width = fresh()
    width = emit_clears(clears.get(0, 1), width)
    w = ()
    for i, p in enumerate(px):
        if i > 0 and i in clears:
            emit(table[w], width)
            width, next_code = step(width, next_code)
            emit_clears(clears[i], width)
            table, next_code, width = fresh()
            w = ()
        wp = w + (p,)
        if wp in table:
            w = wp
            continue
        if w:
            emit(table[w], width)
            table[wp] = next_code
            width, next_code = step(width, next_code)
            if next_code >= 4095:  # the table is full: start it again
                emit(clear, width)
                table, next_code, width = fresh()
        w = (p,)
    emit(table[w], width)
    width, next_code = step(width, next_code)
    if len(px) in clears:
        width = emit_clears(clears[len(px)], width)
    emit(end, width)
    if acc[1]:
        out.append(acc[0] & 255)
    data = bytearray([min_size])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        data.append(len(chunk))
        data += chunk
    data.append(0)
    return bytes(data)
