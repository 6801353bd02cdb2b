#!/usr/bin/env bash
# Draws the application icon: three coloured rays winding out from the
# centre of a black tile, mirrored into the four quadrants as the saver
# mirrors them. Writes data/linux/icons/gyrobloom-SIZE.png for the sizes the
# hicolor theme is installed with. The PNGs are committed; run this again
# only to change the icon. Needs ImageMagick.
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
