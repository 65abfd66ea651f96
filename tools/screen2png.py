#!/usr/bin/env python3
"""Saves what the X display shows as a PNG, cut to the windows on it (the empty screen is black).

    tools/screen2png.py OUT.png

Reads $DISPLAY through libX11 (ctypes); writes the PNG with the standard library only.
"""
import ctypes
import struct
import sys
import zlib

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]


class XImage(ctypes.Structure):  # the leading fields of the library's record
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def main():
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    w, h = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)
    ref = x11.XGetImage(display, x11.XDefaultRootWindow(display), 0, 0, w, h, 0xFFFFFFFF, 2)
    image = XImage.from_address(ref)
    if image.bits_per_pixel != 32:
        sys.exit("only 32 bits per pixel are read")
    raw = ctypes.string_at(image.data, image.bytes_per_line * h)
    rows = [raw[y * image.bytes_per_line:y * image.bytes_per_line + w * 4] for y in range(h)]
    used = [y for y in range(h) if rows[y].strip(b"\0")]
    if not used:
        sys.exit("the screen is empty (%dx%d, depth %d)" % (w, h, image.depth))
    left = min((len(r) - len(r.lstrip(b"\0"))) // 4 for r in rows if r.strip(b"\0"))
    right = max((len(r.rstrip(b"\0")) + 3) // 4 for r in rows if r.strip(b"\0"))
    out = bytearray()
    for y in range(used[0], used[-1] + 1):
        out.append(0)
        for px in range(left, right):
            b, g, r = rows[y][px * 4:px * 4 + 3]
            out += bytes((r, g, b))
    width, height = right - left, used[-1] + 1 - used[0]

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(bytes(out), 9)) + chunk(b"IEND", b""))
    with open(sys.argv[1], "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
