#!/usr/bin/env python3
"""Writes a Windows icon (.ico) holding the given PNG pictures as they are.

    make_icon.py OUT.ico SIZE1.png SIZE2.png ...

An icon file is a six-byte header, one sixteen-byte entry a picture (width, height, colour
count, planes, bits per pixel, size, offset) and the pictures; since Windows Vista a picture
may be a whole PNG file. A width or height of 256 is written as 0.
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("make_icon.py: not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out, pngs):
    pictures = [open(p, "rb").read() for p in pngs]
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    entries = b""
    for data in pictures:
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit("make_icon.py: pictures are at most 256 pixels wide")
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(pictures))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
