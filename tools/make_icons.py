#!/usr/bin/env python3
"""Writes the plugin's two icons: 16 x 16 pixels, 8 bits per pixel (256-colour palette).

    tools/make_icons.py OUTDIR

MAINICON.ico is the tray icon: a white eighth note on a green disc, the colour of a messenger's
"online" flower. ICON_1.ico is the same note on a blue disc. Only the standard library is used,
so the files can be remade anywhere.
"""
import os
import struct
import sys

SIZE = 16

# The note, row by row from the top: '#' is the note, '.' the disc behind it.
NOTE = [
    "................",
    "................",
    "........##......",
    "........###.....",
    "........#.##....",
    "........#..##...",
    "........#...#...",
    "........#.......",
    "........#.......",
    "........#.......",
    ".....####.......",
    "....#####.......",
    "....#####.......",
    ".....###........",
    "................",
    "................",
]

TRANSPARENT, EDGE, DISC, NOTE_INK = 0, 1, 2, 3


def pixels():
    """Palette indices, top row first."""
    rows = []
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d2 = (x - c) ** 2 + (y - c) ** 2
            if d2 > 7.6 ** 2:
                row.append(TRANSPARENT)
            elif d2 > 6.6 ** 2:
                row.append(EDGE)
            elif NOTE[y][x] == "#":
                row.append(NOTE_INK)
            else:
                row.append(DISC)
        rows.append(row)
    return rows


def ico(disc, edge):
    """One icon file with one 16 x 16 8-bit image. Colours are (r, g, b)."""
    palette = [(0, 0, 0), edge, disc, (255, 255, 255)] + [(0, 0, 0)] * 252
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    rows = pixels()
    # Bitmaps are stored bottom row first; 16 one-byte pixels are already a multiple of 4.
    xor = b"".join(bytes(row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, p in enumerate(row):
            if p == TRANSPARENT:
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask),
                         0, 0, 256, 0)
    image = header + pal + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icons.py OUTDIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons = {
        "MAINICON.ico": ico(disc=(46, 160, 67), edge=(20, 90, 35)),
        "ICON_1.ico": ico(disc=(52, 101, 196), edge=(25, 50, 110)),
    }
    for name, data in icons.items():
        path = os.path.join(out, name)
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)


if __name__ == "__main__":
    main()
