#!/usr/bin/env bash
# Draws the application icon: three coloured rays winding out from the
# centre of a black tile, mirrored into the four quadrants as the saver
# mirrors them. One 256-pixel picture makes every file:
#  - data/linux/icons/gyrobloom-SIZE.png, the sizes the hicolor theme is
#    installed with;
#  - app/windows/Gyrobloom.ico, the program's icon on Windows: 16, 24, 32 and
#    48 pixels in 32-bit colour with alpha (DIB entries), 256 pixels as a
#    PNG entry, and a 32-pixel 256-colour image for old displays.
# The files are committed; run this again only to change the icon. Needs
# ImageMagick and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
out=data/linux/icons
mkdir -p "$out"
convert=/usr/bin/convert  # on some machines `convert` on PATH is a stand-in
big=256

# One polyline per ray: points on a widening ellipse, turning as they go.
rays=$(awk -v size=$big 'BEGIN {
    c = size / 2
    split("#ff3030 #30ff60 #3080ff", colour, " ")
    for (r = 0; r < 3; r++) {
        printf "stroke \"%s\" polyline", colour[r + 1]
        for (i = 0; i <= 24; i++) {
            t = r * 2.094 + i * 0.16
            radius = 8 + i * 4.4
            printf " %.1f,%.1f", c + sin(t) * radius, c + cos(t) * radius * 0.8
        }
        printf "\n"
    }
}')
mirrored=$(echo "$rays" | awk -v size=$big '{
    print
    for (m = 1; m <= 3; m++) {
        line = $1 " " $2 " " $3
        for (i = 4; i <= NF; i++) {
            split($i, p, ",")
            x = (m == 1 || m == 3) ? size - p[1] : p[1]
            y = (m == 1 || m == 2) ? size - p[2] : p[2]
            line = line sprintf(" %.1f,%.1f", x, y)
        }
        print line
    }
}')

"$convert" -size ${big}x${big} xc:none -fill black -draw "roundrectangle 0,0 $((big - 1)),$((big - 1)) 40,40" \
    -fill none -strokewidth 9 -draw "stroke-linecap round stroke-linejoin round $mirrored" \
    -strip "$out/gyrobloom-$big.png"
for size in 16 32 48 128; do
    "$convert" "$out/gyrobloom-$big.png" -resize ${size}x${size} -strip "$out/gyrobloom-$size.png"
done
echo "wrote $out/gyrobloom-{16,32,48,128,$big}.png"

# --- The Windows icon ------------------------------------------------------------
# ImageMagick's ICO writer cannot mix DIB and PNG entries or store a
# 256-colour image beside 32-bit ones, so the file is put together here from
# the pixels ImageMagick gives: 8 bits a channel, the PNG entry 8-bit RGBA.
ico=app/windows/Gyrobloom.ico
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$convert" "$out/gyrobloom-$big.png" -depth 8 -strip "PNG32:$work/256.png"
for size in 16 32 48; do "$convert" "$out/gyrobloom-$size.png" -depth 8 "rgba:$work/$size.rgba"; done
"$convert" "$out/gyrobloom-$big.png" -resize 24x24 -depth 8 "rgba:$work/24.rgba"
# 256 colours: the picture over black in at most 256 colours, and a mask
# that leaves out what is less than half covered.
"$convert" "$out/gyrobloom-32.png" -background black -alpha remove -colors 256 -depth 8 "rgb:$work/32-8.rgb"
"$convert" "$out/gyrobloom-32.png" -alpha extract -threshold 50% -depth 8 "gray:$work/32-8.alpha"
python3 - "$work" "$ico" <<'PYTHON'
import struct, sys
work, ico = sys.argv[1], sys.argv[2]

def read(name):
    with open(f"{work}/{name}", "rb") as f:
        return f.read()

def mask_rows(size, transparent):
    # 1 bit a pixel, set where the picture is transparent; rows of whole
    # 32-bit words, bottom row first.
    stride = (size + 31) // 32 * 4
    rows = []
    for y in range(size):
        row = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(reversed(rows))

def dib_header(size, bits, image_bytes, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, colours, 0)

def bgra_entry(size):
    rgba = read(f"{size}.rgba")
    assert len(rgba) == size * size * 4
    rows = [b"".join(bytes((rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]))
                     for i in range((y * size) * 4, (y + 1) * size * 4, 4)) for y in range(size)]
    xor = b"".join(reversed(rows))
    mask = mask_rows(size, lambda x, y: rgba[(y * size + x) * 4 + 3] == 0)
    return dib_header(size, 32, len(xor) + len(mask)) + xor + mask

def palette_entry(size):
    rgb, alpha = read("32-8.rgb"), read("32-8.alpha")
    pixels = [rgb[i:i + 3] for i in range(0, size * size * 3, 3)]
    palette = sorted(set(pixels))
    assert len(palette) <= 256, "more than 256 colours"
    index = {c: i for i, c in enumerate(palette)}
    rows = [bytes(index[pixels[y * size + x]] for x in range(size)) for y in range(size)]
    xor = b"".join(reversed(rows))
    mask = mask_rows(size, lambda x, y: alpha[y * size + x] < 128)
    table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette) + bytes(4 * (256 - len(palette)))
    return dib_header(size, 8, len(xor) + len(mask), 256) + table + xor + mask

# (size, bits per pixel, image): the largest first, the 256-colour one last.
images = [(256, 32, read("256.png"))] + [(s, 32, bgra_entry(s)) for s in (48, 32, 24, 16)] + \
         [(32, 8, palette_entry(32))]
offset = 6 + 16 * len(images)
directory, data = struct.pack("<HHH", 0, 1, len(images)), b""
for size, bits, image in images:
    # A width or height of 0 stands for 256; the colour count is 0 from 256 colours up.
    directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(image), offset + len(data))
    data += image
with open(ico, "wb") as f:
    f.write(directory + data)
PYTHON
echo "wrote $ico (256 as PNG; 48, 32, 24, 16 at 32 bits; 32 at 8 bits)"
