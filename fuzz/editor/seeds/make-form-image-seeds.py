#!/usr/bin/env python3
"""Writes the small PNG seeds of fuzz_form_image: one per colour type and bit
depth the form reader meets, interlaced and not, with and without the
transparency, gamma and resolution chunks. Run from this folder."""
import struct
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(name, width, height, colour, depth, interlace=0, extra=b"", palette=None):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    bits = width * channels * depth
    row = (bits + 7) // 8

    def rows(w, h):
        out = b""
        for y in range(h):
            line = bytes((x * 37 + y * 91 + 13) & 0xFF for x in range((w * channels * depth + 7) // 8))
            out += bytes([y % 5]) + line  # every filter type
        return out

    if interlace:
        raw = b""
        passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
        for x0, y0, dx, dy in passes:
            w = (width - x0 + dx - 1) // dx if width > x0 else 0
            h = (height - y0 + dy - 1) // dy if height > y0 else 0
            if w and h:
                raw += rows(w, h)
    else:
        raw = rows(width, height)
    if colour == 3:
        # Palette indices must stay below the palette's size.
        raw = bytes(b % (len(palette) // 3) if i % (row + 1) else b for i, b in enumerate(raw)) if depth == 8 else raw
    head = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head)
    if palette is not None:
        data += chunk(b"PLTE", palette)
    data += extra + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(name, "wb") as f:
        f.write(data)


pal16 = bytes(range(48))
png("grey1.png", 9, 3, 0, 1)
png("grey8-interlaced.png", 9, 9, 0, 8, interlace=1)
png("grey16-trns.png", 4, 3, 0, 16, extra=chunk(b"tRNS", b"\x12\x34"))
png("greyalpha8.png", 4, 3, 4, 8)
png("rgb8-gamma-phys.png", 4, 3, 2, 8,
    extra=chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"pHYs", struct.pack(">IIB", 5906, 5906, 1)))
png("rgb16-interlaced.png", 5, 5, 2, 16, interlace=1)
png("rgba16.png", 3, 2, 6, 16)
png("palette4-trns.png", 7, 3, 3, 4, palette=pal16, extra=chunk(b"tRNS", b"\x00\x80\xff"))
png("palette8.png", 4, 3, 3, 8, palette=pal16)
