#!/usr/bin/env python3
"""Writes checkerboard.png: the background of an opaque magnifier, 225 x 225, 8-bit palette.

Twenty squares a side, white and light grey (#CCCCCC) in turn. 225 / 20 = 11.25, so squares are 11 or
12 pixels wide; an even count of squares per side keeps the pattern seamless when the image is tiled.
Run: python3 make_checkerboard.py [OUTPUT]   (default: checkerboard.png beside this script)
"""
import os
import struct
import sys
import zlib

SIZE = 225
SQUARES = 20
PALETTE = ((0xFF, 0xFF, 0xFF), (0xCC, 0xCC, 0xCC))


def square(coordinate):
    return coordinate * SQUARES // SIZE


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png():
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)  # filter: none
        rows.extend((square(x) + square(y)) % 2 for x in range(SIZE))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0)  # 8 bits, palette colour
    palette = bytes(c for rgb in PALETTE for c in rgb)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                            "checkerboard.png")
    with open(out, "wb") as f:
        f.write(png())


if __name__ == "__main__":
    main()
