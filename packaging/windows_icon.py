#!/usr/bin/env python3
"""Packs PNG images into one Windows icon file (.ico); each image keeps its own size, and a
PNG inside an icon is what Windows reads since Vista.
Usage: windows_icon.py OUT.ico IMAGE.png..."""
import struct
import sys


def png_size(data):
    # The IHDR chunk follows the 8-byte signature: width and height, big-endian.
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG image")
    return struct.unpack(">II", data[16:24])


def main():
    out, images = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for data in images:
        width, height = png_size(data)
        # 256 is written as 0: the field is one byte.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset + len(blobs))
        blobs += data
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main()
