#!/usr/bin/env python3
"""Assembles tarrengard.ico from the PNGs: each size as a 4-bit (16 colour),
an 8-bit (256 colour) and a 32-bit image, the set a Windows icon group
carries so every display depth gets a drawing made for it.

Usage: make_ico.py OUT.ico 16.png 24.png 32.png 48.png   (needs ImageMagick)
"""
import struct
import subprocess
import sys


def rgba_pixels(png, colours=None):
    """The image's pixels as rows of (r, g, b, a), top row first, optionally
    reduced to at most `colours` opaque colours without dithering."""
    args = ["/usr/bin/convert", png, "-background", "none"]
    if colours:
        # Alpha becomes a 1-bit mask in palette images, so decide it first.
        args += ["-channel", "A", "-threshold", "50%", "+channel",
                 "+dither", "-colors", str(colours)]
    size = subprocess.run(["/usr/bin/identify", "-format", "%w %h", png],
                          check=True, capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(args + ["-depth", "8", "rgba:-"], check=True,
                         capture_output=True).stdout
    rows = [[tuple(raw[(y * width + x) * 4:(y * width + x) * 4 + 4]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


def and_mask(width, rows):
    stride = ((width + 31) // 32) * 4
    out = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def bitmap(width, height, rows, bit_count):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0, 0, 0, 0, 0, 0)
    if bit_count == 32:
        body = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        return header + body + and_mask(width, rows)
    palette_size = 1 << bit_count
    palette = []
    for row in rows:
        for (r, g, b, a) in row:
            if a >= 128 and (r, g, b) not in palette:
                palette.append((r, g, b))
    if len(palette) > palette_size:
        raise SystemExit(f"{len(palette)} colours do not fit {bit_count} bits")
    palette += [(0, 0, 0)] * (palette_size - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    stride = ((width * bit_count + 31) // 32) * 4
    body = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            i = index[(r, g, b)] if a >= 128 else 0
            if bit_count == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        body += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0, 0, 0, 0,
                         palette_size, 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return header + pal + body + and_mask(width, rows)


def main():
    out, pngs = sys.argv[1], sys.argv[2:]
    images = []
    for png in pngs:
        for bit_count, colours in ((4, 16), (8, 256), (32, None)):
            width, height, rows = rgba_pixels(png, colours)
            images.append((width, height, bit_count, bitmap(width, height, rows, bit_count)))
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for width, height, bit_count, blob in images:
        colour_count = 16 if bit_count == 4 else 0
        data += struct.pack("<BBBBHHII", width % 256, height % 256, colour_count, 0, 1, bit_count,
                            len(blob), offset)
        offset += len(blob)
    data += b"".join(blob for *_, blob in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
