#!/usr/bin/env python3
"""Converts an uncompressed 24-bit BMP into a PNG, with the standard library only (zlib).

    tools/bmp2png.py IN.bmp OUT.png
"""
import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        sys.exit(f"{path}: only uncompressed 24-bit BMP files are read")
    stride = (width * 3 + 3) & ~3
    bottom_up = height > 0
    height = abs(height)
    rows = []
    for y in range(height):
        src = height - 1 - y if bottom_up else y
        row = data[offset + src * stride: offset + src * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows.append(bytes(rgb))
    return width, height, rows


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: bmp2png.py IN.bmp OUT.png")
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))


if __name__ == "__main__":
    main()
