#!/usr/bin/env python3
"""Writes a RAR archive (format 1.5 to 4.x) of files, stored without compression.

    tools/make_rar.py OUT.rar ROOT FILE...

Each FILE is a path below ROOT and is stored under that relative path (backslashes, as RAR
writes them for Windows). No RAR tool can be installed on the build machines, and the format's
stored mode is simple: a marker block, an archive header, one file header and the file's bytes
per file, and an end-of-archive block, each header guarded by the low 16 bits of its CRC-32.
Only the standard library is used. SOURCE_DATE_EPOCH, when set, fixes every file time.
"""
import os
import struct
import sys
import time
import zlib

MARK = b"Rar!\x1a\x07\x00"
MAIN_HEAD, FILE_HEAD, END_HEAD = 0x73, 0x74, 0x7B
LONG_BLOCK = 0x8000  # the header is followed by data of PACK_SIZE bytes
HOST_WIN32 = 2
UNPACK_VER = 20  # what a reader needs for the stored method
METHOD_STORE = 0x30
ATTR_ARCHIVE = 0x20


def block(head_type, flags, body):
    """A header: CRC, type, flags, size, then the rest; the CRC covers everything after itself."""
    size = 7 + len(body)
    rest = struct.pack("<BHH", head_type, flags, size) + body
    return struct.pack("<H", zlib.crc32(rest) & 0xFFFF) + rest


def dos_time(seconds):
    t = time.localtime(seconds)
    year = max(t.tm_year, 1980)
    return ((year - 1980) << 25 | t.tm_mon << 21 | t.tm_mday << 16 | t.tm_hour << 11
            | t.tm_min << 5 | t.tm_sec // 2)


def file_block(name, data, mtime):
    encoded = name.replace("/", "\\").encode("ascii")
    body = struct.pack("<IIBIIBBHI", len(data), len(data), HOST_WIN32, zlib.crc32(data),
                       dos_time(mtime), UNPACK_VER, METHOD_STORE, len(encoded), ATTR_ARCHIVE)
    return block(FILE_HEAD, LONG_BLOCK, body + encoded) + data


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: make_rar.py OUT.rar ROOT FILE...")
    out, root, names = sys.argv[1], sys.argv[2], sorted(set(sys.argv[3:]))
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    parts = [MARK, block(MAIN_HEAD, 0, b"\0" * 6)]
    for name in names:
        path = os.path.join(root, name)
        with open(path, "rb") as f:
            data = f.read()
        parts.append(file_block(name, data, int(epoch) if epoch else os.path.getmtime(path)))
    parts.append(block(END_HEAD, 0x4000, b""))
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(b"".join(parts))
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
