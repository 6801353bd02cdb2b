#!/usr/bin/env bash
# The program file itself: a PE32 GUI executable that imports only DLLs
# every Windows has, with its version information (the licence's copyright
# notice among it), the saver's name as string 1, the icon (16, 24, 32, 48
# and 256 pixels in 32-bit colour, the 256 one a PNG, and 32 pixels in 256
# colours), and a manifest asking for common controls 6 and per-monitor DPI
# awareness (v2).
#
# Usage: pe_file.sh PATH/TO/Gyrobloom.scr
# (The real tests' scene, tests/real/lib.sh, counts the checks; nothing is
# started.)
SCR=${1:?path of Gyrobloom.scr}
source "$(dirname "$0")/../real/lib.sh" "$SCR"

headers=$(i686-w64-mingw32-objdump -p "$SCR")
resources=$(i686-w64-mingw32-windres -i "$SCR" -O rc 2>/dev/null)
has() { grep -qF -- "$2" <<<"$1"; }

check "a PE32 (32-bit) image" has "$headers" "Magic			010b	(PE32)"
check "for the Windows GUI subsystem" has "$headers" "(Windows GUI)"

system_dlls=" ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL USER32.DLL WINMM.DLL "
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]')
foreign=""
for dll in $imports; do [[ $system_dlls == *" $dll "* ]] || foreign+=" $dll"; done
check "imports only system DLLs ($(echo $imports))" [ -n "$imports" -a -z "$foreign" ]

for value in 'ProductName", "Gyrobloom"' 'InternalName", "Gyrobloom"' 'FileVersion", "1.00"' \
    'ProductVersion", "1.00"' 'OriginalFilename", "Gyrobloom.scr"'; do
    check "version information: VALUE \"$value" has "$resources" "VALUE \"$value"
done
# The notice is LICENSE's own copyright line, under the licence's name.
notice=$(grep -m1 '^Copyright (c) ' "$(dirname "$0")/../../LICENSE")
check "version information: LegalCopyright is \"$notice. MIT License.\"" \
    has "$resources" "VALUE \"LegalCopyright\", \"$notice. MIT License.\""
check "string 1 is \"Gyrobloom\" (the Screen Saver list's name)" has "$resources" '1, "Gyrobloom"'
check "the icon is 32x32 in 256 colours (8 bits)" has "$resources" '"\040\040\000\000", 1, 8,'

# The icon's images as the file holds them: each entry of the icon group
# (RT_GROUP_ICON), as "SIZE/BITS", with the image it names (RT_ICON) read
# too: a PNG's own header, or the bitmap's BITMAPINFOHEADER, must agree.
icon_images() {
    python3 - "$1" <<'PYTHON'
import struct, sys
pe = open(sys.argv[1], "rb").read()
u16 = lambda o: struct.unpack_from("<H", pe, o)[0]
u32 = lambda o: struct.unpack_from("<I", pe, o)[0]
header = u32(0x3C)
sections, optional = u16(header + 6), header + 24
directories = optional + (96 if u16(optional) == 0x10B else 112)
resource_rva = u32(directories + 2 * 8)
table = optional + u16(header + 20)
def offset_of(rva):
    for i in range(sections):
        s = table + 40 * i
        start, size, raw = u32(s + 12), max(u32(s + 8), u32(s + 16)), u32(s + 20)
        if start <= rva < start + size:
            return raw + rva - start
    sys.exit("RVA %#x is in no section" % rva)
root = offset_of(resource_rva)
def entries(directory):
    count = u16(directory + 12) + u16(directory + 14)
    for i in range(count):
        e = directory + 16 + 8 * i
        yield u32(e), u32(e + 4)
def find(directory, ident=None):
    for name, target in entries(directory):
        if ident is None or name == ident:
            return target
    sys.exit("no resource %s" % ident)
def data(kind, ident=None):
    # type -> name -> first language -> the data entry
    named = root + (find(root, kind) & 0x7FFFFFFF)
    language = root + (find(named, ident) & 0x7FFFFFFF)
    entry = root + (find(language) & 0x7FFFFFFF)
    start = offset_of(u32(entry))
    return pe[start:start + u32(entry + 4)]
RT_ICON, RT_GROUP_ICON = 3, 14
group = data(RT_GROUP_ICON)
images = []
for i in range(struct.unpack_from("<H", group, 4)[0]):
    width, height, colours, _, planes, bits, size, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
    width, height = width or 256, height or 256
    image = data(RT_ICON, ident)
    if image[:8] == b"\x89PNG\r\n\x1a\n":
        w, h = struct.unpack_from(">II", image, 16)
        depth, colour_type = image[24], image[25]
        real_bits, kind = (depth * 4 if colour_type == 6 else 0), "png"
    else:
        _, w, h2, _, real_bits = struct.unpack_from("<IiiHH", image, 0)
        h, kind = h2 // 2, "dib"
    if (w, h, real_bits) != (width, height, bits):
        sys.exit("entry %d says %dx%d/%d, its image is %dx%d/%d" % (i, width, height, bits, w, h, real_bits))
    images.append((-bits, width, "%d/%d%s" % (width, bits, "png" if kind == "png" else "")))
# The deepest first, each depth from the smallest up.
print(" ".join(name for _, _, name in sorted(images)))
PYTHON
}
icons=$(icon_images "$SCR" 2>&1)
check "the icon holds 16, 24, 32, 48 pixels at 32 bits, 256 as a 32-bit PNG and 32 at 8 bits (read back: $icons)" \
    [ "$icons" = "16/32 24/32 32/32 48/32 256/32png 32/8" ]
check "the manifest asks for common controls 6" has "$resources" 'Microsoft.Windows.Common-Controls'
check "the manifest asks for per-monitor DPI awareness v2" has "$resources" 'PerMonitorV2'

finish
