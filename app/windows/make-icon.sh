#!/usr/bin/env bash
# Makes Gyrobloom.ico, the program's icon: 32x32 pixels in 256 colours, a
# bloom of coloured rays turning out from the centre on black, as the saver
# draws them. Needs ImageMagick 6 (/usr/bin/convert). Run it again only to
# change the icon; the result is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert

draw=()
rays=12
for ((i = 0; i < rays; i++)); do
  # Hue around the wheel; each ray bends a little (a spiral arm) in three
  # segments, as the animation's trails do.
  hue=$((i * 360 / rays))
  read -r x1 y1 x2 y2 x3 y3 < <(awk -v i="$i" -v n="$rays" 'BEGIN {
    pi = atan2(0, -1); a = 2 * pi * i / n
    printf "%.1f %.1f %.1f %.1f %.1f %.1f\n",
      15.5 + 6 * cos(a), 15.5 + 6 * sin(a),
      15.5 + 11 * cos(a + 0.35), 15.5 + 11 * sin(a + 0.35),
      15.5 + 15 * cos(a + 0.75), 15.5 + 15 * sin(a + 0.75) }')
  draw+=(-stroke "hsl($hue,100%,55%)" -strokewidth 2 -draw "line 15.5,15.5 $x1,$y1"
         -draw "line $x1,$y1 $x2,$y2" -strokewidth 1 -draw "line $x2,$y2 $x3,$y3")
done

# ImageMagick would store so few colours in 4 bits; the icon is written here
# as an 8-bit (256-colour) bitmap with an all-opaque mask.
"$convert" -size 32x32 xc:black +antialias "${draw[@]}" -fill white -stroke none -draw "circle 15.5,15.5 17,15.5" \
  -colors 256 -depth 8 rgb:- | python3 -c '
import struct, sys
size = 32
rgb = sys.stdin.buffer.read()
pixels = [rgb[i:i + 3] for i in range(0, size * size * 3, 3)]
palette = sorted(set(pixels))
assert len(palette) <= 256, "more than 256 colours"
index = {c: i for i, c in enumerate(palette)}
rows = [bytes(index[pixels[y * size + x]] for x in range(size)) for y in range(size)]
xor = b"".join(reversed(rows))                       # bottom-up rows
mask = bytes(size // 8 * size)                       # 1 bpp, rows of 4 bytes: all opaque
pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette) + bytes(4 * (256 - len(palette)))
header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
image = header + pal + xor + mask
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 22) + image
open("Gyrobloom.ico", "wb").write(icon)
'
echo "wrote $(pwd)/Gyrobloom.ico"
