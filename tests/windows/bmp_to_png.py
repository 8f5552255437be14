#!/usr/bin/env python3
"""Converts the 24-bit BMP a Windows build saves of its window into a PNG."""
import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    size, width, height, planes, bits, compression = struct.unpack_from(
        "<IiiHHI", data, 14)
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError(f"{path}: {bits}-bit BMP, compression {compression},"
                         f" {width}x{height}: only uncompressed 24-bit is read")
    stride = (width * 3 + 3) & ~3
    rows = abs(height)
    if offset > len(data) or stride * rows > len(data) - offset:
        raise ValueError(f"{path}: pixel rows run past the end of the file")
    lines = []
    for y in range(rows):
        source = rows - 1 - y if height > 0 else y  # bottom-up when positive
        start = offset + source * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        lines.append(bytes(rgb))
    return width, rows, lines


def write_png(path, width, height, lines):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + line for line in lines)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: bmp_to_png.py IN.bmp OUT.png")
    try:
        write_png(sys.argv[2], *read_bmp(sys.argv[1]))
    except (OSError, ValueError) as error:
        sys.exit(f"bmp_to_png: {error}")


if __name__ == "__main__":
    main()
