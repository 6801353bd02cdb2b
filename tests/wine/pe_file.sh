#!/usr/bin/env bash
# The program file itself: a PE32 GUI executable that imports only DLLs
# every Windows has, with its version information (the licence's copyright
# notice among it), the saver's name as string 1, the 32x32 256-colour icon,
# and a manifest asking for common controls 6 and per-monitor DPI awareness
# (v2).
#
# Usage: pe_file.sh PATH/TO/Gyrobloom.scr
set -u
SCR=${1:?path of Gyrobloom.scr}
FAILURES=0 CHECKS=0
check() {
    local description=$1
    shift
    CHECKS=$((CHECKS + 1))
    if "$@"; then echo "PASS: $description"; else echo "FAIL: $description"; FAILURES=$((FAILURES + 1)); fi
}

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
check "the manifest asks for common controls 6" has "$resources" 'Microsoft.Windows.Common-Controls'
check "the manifest asks for per-monitor DPI awareness v2" has "$resources" 'PerMonitorV2'

echo "$((CHECKS - FAILURES)) of $CHECKS checks passed"
[ "$FAILURES" -eq 0 ]
