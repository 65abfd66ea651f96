#!/usr/bin/env python3
"""Writes the release zip: make_zip.py OUT.zip NAME=PATH...

Each PATH is stored under NAME. Text files (.txt) get Windows line ends and a UTF-8 byte-order
mark, so that Notepad on any Windows since XP shows them. SOURCE_DATE_EPOCH, when set, fixes
every file time; otherwise each entry keeps its file's time.
"""
import os
import sys
import time
import zipfile


def main():
    out, pairs = sys.argv[1], sys.argv[2:]
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    with zipfile.ZipFile(out + ".part", "w") as z:
        for pair in pairs:
            name, path = pair.split("=", 1)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".txt"):
                text = data.decode("utf-8").lstrip("\ufeff").replace("\r\n", "\n")
                data = b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8")
            stamp = int(epoch) if epoch else os.path.getmtime(path)
            info = zipfile.ZipInfo(name, time.localtime(max(stamp, 315532800))[:6])
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data, compresslevel=9)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main()
