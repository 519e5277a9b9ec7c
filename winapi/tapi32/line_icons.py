#!/usr/bin/env python3
"""Draws the telephony library's line device icons and writes them as icon files (.ico), each
with a 16 x 16 and a 32 x 32 image of 32 bits a pixel (alpha and mask): a desktop modem, an ISDN
adapter card and a telephone for any other line.

line_icons.py OUTPUT_FOLDER  writes modem.ico, isdn.ico and line.ico there.
The 32 x 32 images are the small ones with each pixel doubled, so the large icon shrunk to half
its size shows the small one exactly."""
import os
import struct
import sys

PALETTE = {
    ".": None,
    "k": (0x20, 0x20, 0x20),  # outline
    "w": (0xF4, 0xF4, 0xEE),  # light edge
    "g": (0xC8, 0xC6, 0xBC),  # modem case
    "d": (0x84, 0x82, 0x7A),  # modem front
    "G": (0x20, 0xC8, 0x40),  # lights
    "y": (0xF0, 0xC0, 0x20),
    "r": (0xE0, 0x28, 0x20),
    "s": (0xA8, 0xB0, 0xB8),  # card bracket
    "p": (0x2E, 0x7D, 0x32),  # circuit board
    "P": (0x1B, 0x5E, 0x20),
    "c": (0x30, 0x30, 0x38),  # chips
    "a": (0xD4, 0xAF, 0x37),  # contacts
    "R": (0xB0, 0x18, 0x18),  # telephone
}

ICONS = {
    "modem": [
        "................",
        "................",
        "................",
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        ".kwwwwwwwwwwwwk.",
        "kwggggggggggggdk",
        "kgggggggggggggdk",
        "kkkkkkkkkkkkkkkk",
        "kdGdydrddddwwddk",
        "kddddddddddddddk",
        ".kkkkkkkkkkkkkk.",
        "..kk........kk..",
        "................",
        "................",
    ],
    "isdn": [
        "................",
        ".ss.............",
        ".ss.............",
        ".sskkkkkkkkkkkk.",
        ".sskppppppppppk.",
        ".sskpcccppcccpk.",
        ".sskpcccppcccpk.",
        ".sskppppppppppk.",
        ".sskpPPPPPPPppk.",
        ".sskppppppppppk.",
        ".sskkkkkkkkkkkk.",
        ".ss..kakakakak..",
        ".ss..kakakakak..",
        ".ss..kkkkkkkkk..",
        "................",
        "................",
    ],
    "line": [
        "................",
        "................",
        "...kkkkkkkkkk...",
        "..kRRRRRRRRRRk..",
        ".kRRkkkkkkkkRRk.",
        ".kRk........kRk.",
        ".kkk.kkkkkk.kkk.",
        "....kRRRRRRk....",
        "...kRRwkkwRRk...",
        "..kRRRkwwkRRRk..",
        "..kRRRwkkwRRRk..",
        "..kRRRRRRRRRRk..",
        "..kkkkkkkkkkkk..",
        "................",
        "................",
        "................",
    ],
}


def image(rows, scale):
    """The packed image of an icon file entry: header, colour rows bottom-up, mask rows."""
    size = 16 * scale
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = rows[y // scale]
        bits = 0
        mask_row = bytearray()
        for x in range(size):
            colour = PALETTE[row[x // scale]]
            if colour is None:
                pixels += bytes((0, 0, 0, 0))
                bits = bits << 1 | 1
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 0xFF))
                bits <<= 1
            if x % 8 == 7:
                mask_row.append(bits)
                bits = 0
        mask_row += bytes((-len(mask_row)) % 4)
        mask += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def icon_file(rows):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), "each icon is 16 x 16"
    images = [image(rows, 1), image(rows, 2)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for scale, data in zip((1, 2), images):
        size = 16 * scale
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, rows in ICONS.items():
        with open(os.path.join(folder, name + ".ico"), "wb") as f:
            f.write(icon_file(rows))


if __name__ == "__main__":
    main()
