#!/usr/bin/env python3
"""Writes eyedropper.cur: a 32 x 32 monochrome pipette pointing to the lower left, hot spot (8, 23).

The pipette is drawn along the diagonal from its tip at the hot spot up to the bulb at the upper
right: a narrow nozzle, a tube, a wider solid collar and a rounded bulb, white inside a black outline.
Run: python3 make_eyedropper.py [OUTPUT]   (default: eyedropper.cur beside this script)
"""
import math
import os
import struct
import sys

SIZE = 32
HOT_X, HOT_Y = 8, 23
END_X, END_Y = 26, 5  # the direction the pipette points away from its tip

TRANSPARENT, BLACK, WHITE = 0, 1, 2


# (distance from the tip where a part ends, half its width): nozzle, tube, collar, bulb.
PARTS = ((3.5, None), (12.5, 1.9), (15.0, 4.4), (20.5, 3.3))
NOZZLE_START, NOZZLE_END = 0.9, 1.9


def half_width(t):
    """Half the pipette's width at distance t from the tip along its axis, or None past its ends."""
    if t < -0.5:
        return None
    begin = 0.0
    for end, width in PARTS:
        if t < end:
            if width is None:
                return NOZZLE_START + (NOZZLE_END - NOZZLE_START) * max(t - begin, 0.0) / (end - begin)
            return width
        begin = end
    return None


def draw():
    ax, ay = END_X - HOT_X, END_Y - HOT_Y
    length = math.hypot(ax, ay)
    ux, uy = ax / length, ay / length
    bulb_end, bulb_radius = PARTS[-1]
    cap_x, cap_y = HOT_X + ux * bulb_end, HOT_Y + uy * bulb_end
    inside = [[False] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - HOT_X, y - HOT_Y
            t = dx * ux + dy * uy
            s = abs(-dx * uy + dy * ux)
            hw = half_width(t)
            inside[y][x] = (hw is not None and s <= hw) or math.hypot(x - cap_x, y - cap_y) <= bulb_radius
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside[y][x]:
                continue
            edge = any(
                not (0 <= x + i < SIZE and 0 <= y + j < SIZE and inside[y + j][x + i])
                for i, j in ((1, 0), (-1, 0), (0, 1), (0, -1))
            )
            dx, dy = x - HOT_X, y - HOT_Y
            in_collar = PARTS[1][0] <= dx * ux + dy * uy < PARTS[2][0]
            pixels[y][x] = BLACK if edge or in_collar else WHITE
    pixels[HOT_Y][HOT_X] = BLACK  # the tip itself always shows
    return pixels


def rows_1bpp(bits):
    """Packs 32 rows of 0/1 values, bottom-up, 4 bytes a row."""
    out = bytearray()
    for row in reversed(bits):
        value = 0
        for bit in row:
            value = (value << 1) | bit
        out += struct.pack(">I", value)
    return bytes(out)


def cur_bytes(pixels):
    # Colour table: index 0 black, 1 white. AND 1 + XOR 0 is transparent.
    xor = [[1 if p == WHITE else 0 for p in row] for row in pixels]
    mask = [[1 if p == TRANSPARENT else 0 for p in row] for row in pixels]
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + rows_1bpp(xor) + rows_1bpp(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "eyedropper.cur")
    pixels = draw()
    with open(out, "wb") as f:
        f.write(cur_bytes(pixels))
    for row in pixels:
        print("".join(" #o"[p] for p in row).rstrip() or ".")


if __name__ == "__main__":
    main()
