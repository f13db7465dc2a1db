#!/usr/bin/env python3
"""Decodes non-interlaced 8-bit RGB/RGBA/grey PNG files into uncompressed TGA files, the
way an old game keeps its textures. Usage: png_to_tga.py OUTDIR LIMIT_BYTES PNG..."""
import os
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        return None
    pos, idat, hdr = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            hdr = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    width, height, depth, color, _, _, interlace = hdr
    channels = {0: 1, 2: 3, 6: 4}.get(color)
    if depth != 8 or interlace or channels is None:
        return None
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        ftype, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            line[x] = (line[x] + (0, a, b, (a + b) // 2, paeth(a, b, c))[ftype]) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, channels, rows


def main():
    out, limit, total = sys.argv[1], int(sys.argv[2]), 0
    for path in sys.argv[3:]:
        if total >= limit:
            break
        image = decode(path)
        if not image:
            continue
        width, height, channels, rows = image
        pixels = bytearray()
        for row in reversed(rows):  # TGA rows go bottom-up, BGR(A)
            for x in range(0, len(row), channels):
                px = row[x:x + channels]
                pixels += px if channels == 1 else bytes((px[2], px[1], px[0])) + px[3:]
        kind = 3 if channels == 1 else 2
        header = struct.pack('<BBBHHBHHHHBB', 0, 0, kind, 0, 0, 0, 0, 0, width, height, channels * 8, 0)
        name = os.path.basename(os.path.dirname(path)) + '_' + os.path.basename(path)[:-4] + '.tga'
        with open(os.path.join(out, name), 'wb') as f:
            f.write(header + pixels)
        total += len(header) + len(pixels)


main()
