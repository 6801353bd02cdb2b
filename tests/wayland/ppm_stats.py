#!/usr/bin/env python3
"""Reads a binary PPM screenshot (grim -t ppm) and prints shell assignments,
all whole numbers:

    lit      pixels that are not black
    white    pixels that are white (the compositor's background showing)
    colours  distinct colours of all pixels
    fine     pairs of pixels side by side, the left one in an even column,
             that differ: none in a picture of half the size doubled by the
             compositor, many along a sharp line's edges
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
    values = memoryview(padded).cast("I")
    colours = len(set(values))
    # Rows are an even number of pixels wide: the pairs never straddle two.
    fine = sum(1 for left, right in zip(values[0::2], values[1::2]) if left != right)
    print("lit=%d white=%d colours=%d fine=%d sum=%d" % (lit, white, colours, fine, zlib.crc32(pixels)))


if __name__ == "__main__":
    main()
