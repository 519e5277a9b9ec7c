#!/usr/bin/env python3
"""Draws the demo wizard's pictures as 8-bit .bmp files with their own palettes: the side picture
beside every page (160 x 287), the eight frames of the installation's animation (the same size),
the full-screen background (800 x 600), and the wizard's 32 x 32 icon "Wizard.ico". Plain
gradients and shapes computed here, so the demo carries no artwork from anywhere else.

    make_bitmaps.py FOLDER
"""
import math
import struct
import sys
from pathlib import Path


def write_bmp(path, width, height, palette, pixel):
    """An uncompressed 8-bit .bmp; pixel(x, y) gives the palette index, y counted from the top."""
    stride = (width + 3) // 4 * 4
    rows = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytes(pixel(x, y) for x in range(width))
        rows += row + b"\0" * (stride - width)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835,
                         len(palette), 0)
    offset = 14 + len(header) + len(colours)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    Path(path).write_bytes(file_header + header + colours + rows)


def side(folder):
    """Deep blue at the top to light blue at the bottom, with rising rings on the left."""
    width, height = 160, 287
    palette = [(int(10 + 90 * i / 191), int(40 + 150 * i / 191), int(110 + 145 * i / 191))
               for i in range(192)]
    palette += [(255, 255, 255 - i) for i in range(64)]  # the rings, white to pale yellow

    def pixel(x, y):
        shade = min(191, y * 192 // height)
        for cx, cy, r in ((40, 220, 30), (90, 150, 22), (60, 80, 14), (110, 40, 9)):
            if abs(math.hypot(x - cx, y - cy) - r) < 2.2:
                return 192 + min(63, y * 64 // height)
        return shade
    write_bmp(Path(folder) / "side.bmp", width, height, palette, pixel)


def background(folder):
    """A soft diagonal blend from white to blue-grey with a band of gentle waves."""
    width, height = 800, 600
    palette = [(int(255 - 120 * i / 255), int(255 - 90 * i / 255), int(255 - 40 * i / 255))
               for i in range(256)]

    def pixel(x, y):
        wave = 18 * math.sin(x / 60.0) + 10 * math.sin(x / 23.0)
        band = 40 if abs(y - 420 - wave) < 25 else 0
        return min(255, (x + y) * 200 // (width + height) + band)
    write_bmp(Path(folder) / "background.bmp", width, height, palette, pixel)


def icon(folder):
    """A blue disc with a white ring on a transparent ground, as an 8-bit icon with its mask."""
    size = 32
    palette = [(255, 255, 255)] + [(int(20 + 60 * i / 254), int(60 + 120 * i / 254), 230) for i in range(255)]

    def inside(x, y):
        return math.hypot(x - 15.5, y - 15.5) <= 15

    rows = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            r = math.hypot(x - 15.5, y - 15.5)
            rows.append(0 if 9 <= r <= 11.5 or not inside(x, y) else 1 + min(253, y * 8))
        bits = 0
        for x in range(size):
            bits = bits << 1 | (0 if inside(x, y) else 1)
        mask += struct.pack(">I", bits)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(rows) + len(mask), 0, 0, 256, 0)
    image = header + colours + bytes(rows) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 22)
    (Path(folder) / "Wizard.ico").write_bytes(directory + image)


def frames(folder):
    """The installation's animation: the side picture with a bright arc turning round its rings,
    one frame for each eighth of a turn (frame1.bmp to frame8.bmp)."""
    width, height = 160, 287
    palette = [(int(10 + 90 * i / 191), int(40 + 150 * i / 191), int(110 + 145 * i / 191))
               for i in range(192)]
    palette += [(255, 255, 255 - i) for i in range(63)] + [(255, 200, 40)]
    for n in range(8):
        start = n * math.pi / 4

        def pixel(x, y):
            shade = min(191, y * 192 // height)
            for cx, cy, r in ((40, 220, 30), (90, 150, 22), (60, 80, 14), (110, 40, 9)):
                if abs(math.hypot(x - cx, y - cy) - r) < 2.2:
                    turn = (math.atan2(y - cy, x - cx) - start) % (2 * math.pi)
                    return 255 if turn < math.pi / 2 else 192 + min(62, y * 64 // height)
            return shade
        write_bmp(Path(folder) / f"frame{n + 1}.bmp", width, height, palette, pixel)


if __name__ == "__main__":
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    side(out)
    background(out)
    icon(out)
    frames(out)
