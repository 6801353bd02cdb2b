#!/usr/bin/env python3
"""Reads a binary PPM screenshot (grim -t ppm) and prints shell assignments,
all whole numbers:

    lit      pixels that are not black
    white    pixels that are white (the compositor's background showing)
    colours  distinct colours of all pixels
    sum      a checksum (CRC-32) of the pixels

    ppm_stats.py FILE"""

import sys
import zlib


def read_ppm(path):
    data = open(path, "rb").read()
    fields, offset = [], 0
    while len(fields) < 4:
        while data[offset:offset + 1].isspace():
            offset += 1
        if data[offset:offset + 1] == b"#":
            offset = data.index(b"\n", offset) + 1
            continue
        end = offset
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[offset:end])
        offset = end
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[offset + 1:offset + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit("a short PPM")
    return width * height, pixels


def main():
    count, pixels = read_ppm(sys.argv[1])
    red, green, blue = (int.from_bytes(pixels[i::3], "big") for i in range(3))
    lit = count - (red | green | blue).to_bytes(count, "big").count(0)
    white = (red & green & blue).to_bytes(count, "big").count(255)
    padded = bytearray(count * 4)
    for i in range(3):
        padded[i::4] = pixels[i::3]
    colours = len(set(memoryview(padded).cast("I")))
    print("lit=%d white=%d colours=%d sum=%d" % (lit, white, colours, zlib.crc32(pixels)))


if __name__ == "__main__":
    main()
