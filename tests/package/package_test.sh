#!/usr/bin/env bash
# The Debian package on this machine, end to end: apt-get installs it, every
# file is where the desktop looks for it, `gyrobloom /p 1` runs from PATH,
# XScreenSaver and mate-screensaver each run Gyrobloom with music playing and
# end it again, and apt-get remove leaves nothing of it behind. Before that,
# lintian finds no error and no warning in the package; once installed, man
# finds both manual pages, and the copyright file names the MIT licence.
#
# Usage (as root: it installs a package and makes a throw-away user, since
# XScreenSaver launches no hacks for root):
#   tests/package/package_test.sh DEB [SCREENSHOT_DIR]
#
# One package test runs at a time on a machine (/tmp/gyrobloom-package.lock)
# and every apt-get takes /tmp/apt.lock, so that other users of apt wait
# rather than collide. Whatever happens, the package, the user and its
# runtime directory are removed at the end.

DEB=$(realpath "${1:?path of the .deb}")
SHOTS=$(realpath "${2:-$(dirname "$DEB")}")
source "$(dirname "$0")/../real/lib.sh" /usr/bin/gyrobloom "$SHOTS"

[ "$(id -u)" -eq 0 ] || { echo "the package test needs root"; exit 1; }
exec 8>/tmp/gyrobloom-package.lock
flock 8

TEST_USER=gyrobloom-test
apt_get() { flock /tmp/apt.lock env DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >"$T/apt.log" 2>&1; }
installed() { dpkg-query -W -f='${Status}' gyrobloom 2>/dev/null | grep -q "install ok installed"; }
known() { dpkg-query -W gyrobloom >/dev/null 2>&1 && [ -n "$(dpkg-query -W -f='${Status}' gyrobloom | grep -v not-installed)" ]; }

USER_PIDS() { pgrep -u "$TEST_USER" 2>/dev/null; }
package_cleanup() {
    local pid
    if id "$TEST_USER" >/dev/null 2>&1; then
        # Every process of the throw-away user was started by this script.
        for pid in $(USER_PIDS); do kill "$pid" 2>/dev/null; done
        sleep 0.3
        for pid in $(USER_PIDS); do kill -9 "$pid" 2>/dev/null; done
        userdel "$TEST_USER" 2>/dev/null
    fi
    [ -n "${RUNTIME:-}" ] && rm -rf "$RUNTIME"
    installed && apt_get remove gyrobloom
    cleanup
}
trap package_cleanup EXIT

# The files of the package, and what each must be.
HACK=/usr/libexec/xscreensaver/gyrobloom-hack
FILES=(
    /usr/bin/gyrobloom
    $HACK
    /usr/libexec/mate-screensaver/gyrobloom-hack
    /usr/share/xscreensaver/config/gyrobloom-hack.xml
    /usr/share/applications/screensavers/gyrobloom.desktop
    /usr/share/applications/gyrobloom-settings.desktop
    /usr/share/icons/hicolor/16x16/apps/gyrobloom.png
    /usr/share/icons/hicolor/32x32/apps/gyrobloom.png
    /usr/share/icons/hicolor/48x48/apps/gyrobloom.png
    /usr/share/icons/hicolor/128x128/apps/gyrobloom.png
    /usr/share/icons/hicolor/256x256/apps/gyrobloom.png
    /usr/share/doc/gyrobloom/copyright
    /usr/share/doc/gyrobloom/changelog.gz
    /usr/share/man/man1/gyrobloom.1.gz
    /usr/share/man/man6/gyrobloom-hack.6.gz
)

# --- install --------------------------------------------------------------------
if installed; then
    echo "note: a gyrobloom package from an earlier run is installed; removing it first"
    apt_get remove gyrobloom
fi
mate_dir_before=$([ -d /usr/libexec/mate-screensaver ] && echo yes || echo no)
depends=$(dpkg-deb -f "$DEB" Depends)
check "the package's dependencies are computed from its programs ($depends)" \
    bash -c '[[ "$1" == *libx11-6* && "$1" == *libpulse0* && "$1" == *libqt6widgets6* && "$1" == *libc6* ]]' _ "$depends"
# Debian's own checker: no error (E:) and no warning (W:); what it only
# notes (I:) is shown, not counted. Overrides travel in the package,
# each with the reason beside it.
if command -v lintian >/dev/null; then
    lintian --display-info --fail-on error,warning "$DEB" >"$T/lintian.out" 2>"$T/lintian.err"
    status=$?
    faults=$(grep -E '^[EW]: ' "$T/lintian.out")
    check "lintian finds no error or warning in the package (status $status; $(grep -c '^E: ' "$T/lintian.out") E, $(grep -c '^W: ' "$T/lintian.out") W, $(grep -c '^I: ' "$T/lintian.out") I)" \
        [ "$status" -eq 0 -a -z "$faults" ]
    [ "$status" -ne 0 ] && cat "$T/lintian.err"
    [ -n "$faults" ] && echo "$faults"
    grep "^I: " "$T/lintian.out" | head -n 20
else
    fail "lintian is installed (tools/setup.sh installs it)"
fi
if apt_get install "$DEB" && installed; then
    pass "apt-get installs $(basename "$DEB")"
else
    fail "apt-get installs $(basename "$DEB")"
    cat "$T/apt.log"
    finish
fi

# --- files ------------------------------------------------------------------------
missing=()
for f in "${FILES[@]}"; do [ -e "$f" ] || missing+=("$f"); done
check "every file is where the desktop looks for it (missing: ${missing[*]:-none})" [ ${#missing[@]} -eq 0 ]
check "the mate-screensaver entry is a link to the hack" \
    [ -L /usr/libexec/mate-screensaver/gyrobloom-hack -a "$(readlink -f /usr/libexec/mate-screensaver/gyrobloom-hack)" = "$HACK" ]
stray=$(dpkg -L gyrobloom | while read -r f; do
    [ -d "$f" ] && [ ! -L "$f" ] && continue
    printf '%s\n' "${FILES[@]}" | grep -qx "$f" || echo "$f"
done)
check "the package holds nothing else (${stray:-nothing else})" [ -z "$stray" ]
check "gyrobloom-hack does not load Qt" bash -c "! ldd $HACK | grep -qi qt"
check "the XScreenSaver settings file names the hack and sends the user to Gyrobloom Settings" python3 - <<'PY'
import xml.etree.ElementTree as ET, sys
root = ET.parse("/usr/share/xscreensaver/config/gyrobloom-hack.xml").getroot()
text = root.findtext("_description") or ""
sys.exit(0 if root.get("name") == "gyrobloom-hack" and '"Gyrobloom Settings"' in text else 1)
PY
check "Gyrobloom Settings runs gyrobloom /c" grep -qx 'Exec=gyrobloom /c' /usr/share/applications/gyrobloom-settings.desktop
check "the saver entry runs the hack on the daemon's window" grep -qx 'Exec=gyrobloom-hack -root' \
    /usr/share/applications/screensavers/gyrobloom.desktop
# desktop-file-validate fails only on errors; a warning counts here too.
validation=$(desktop-file-validate /usr/share/applications/gyrobloom-settings.desktop \
    /usr/share/applications/screensavers/gyrobloom.desktop 2>&1)
status=$?
check "both entries are valid desktop files, without a warning (${validation:-nothing to say})" \
    bash -c '[ "$1" -eq 0 ] && ! grep -qE "(error|warning): " <<<"$2"' _ "$status" "$validation"

# --- manual pages and documents ------------------------------------------------------
check "man -w gyrobloom finds the installed page ($(man -w gyrobloom 2>&1))" \
    [ "$(man -w gyrobloom 2>/dev/null)" = /usr/share/man/man1/gyrobloom.1.gz ]
check "man -w gyrobloom-hack finds the installed page ($(man -w gyrobloom-hack 2>&1))" \
    [ "$(man -w gyrobloom-hack 2>/dev/null)" = /usr/share/man/man6/gyrobloom-hack.6.gz ]
check "the copyright file is machine-readable and names the MIT licence, with the text of LICENSE" \
    python3 - "$(dirname "$0")/../../LICENSE" <<'PY'
import re, sys
copyright = open("/usr/share/doc/gyrobloom/copyright", encoding="utf-8").read()
paragraphs = [p for p in copyright.split("\n\n") if p.strip()]
header, files = paragraphs[0], next((p for p in paragraphs if p.startswith("Files: *")), "")
licence = next((p for p in paragraphs if p.startswith("License: Expat\n")), "")
text = "\n".join("" if line == " ." else line[1:] for line in licence.splitlines()[1:])
license_file = open(sys.argv[1], encoding="utf-8").read()
notice = re.search(r"^Copyright \(c\) (.+)$", license_file, re.M).group(1)
ok = (header.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
      and "MIT licence" in header
      and re.search(r"^Upstream-Contact: \S", header, re.M) is not None
      and re.search(r"^License: Expat$", files, re.M) is not None
      and re.search(r"^Copyright: " + re.escape(notice) + "$", files, re.M) is not None
      and text.strip() == license_file[license_file.index("Permission is hereby granted"):].strip())
sys.exit(0 if ok else 1)
PY
version=$(dpkg-deb -f "$DEB" Version)
check "changelog.gz is the native changelog of version $version ($(zcat /usr/share/doc/gyrobloom/changelog.gz | head -n1))" \
    bash -c 'zcat /usr/share/doc/gyrobloom/changelog.gz | head -n1 | grep -q "^gyrobloom ($1) "' _ "$version"

start_x_server
check "gyrobloom is on PATH ($(command -v gyrobloom))" [ "$(command -v gyrobloom)" = /usr/bin/gyrobloom ]
( cd / && gyrobloom /p 1 )
status=$?
check "gyrobloom /p 1 runs from PATH and exits 0 (got $status)" [ "$status" -eq 0 ]

# --- a desktop user with a session's runtime directory and sound ------------------
useradd -M -d "$T/user" -s /bin/sh "$TEST_USER"
uid=$(id -u "$TEST_USER")
RUNTIME=/run/user/$uid
mkdir -p "$T/user" "$RUNTIME"
chown "$TEST_USER:" "$T/user" "$RUNTIME"
chmod 700 "$RUNTIME"
chmod 755 "$T"
# The user's session: its own runtime directory, bus and sound server. The
# daemons run without the script's PULSE_SERVER and PULSE_RUNTIME_PATH, so
# that their hacks find the sound server where a session has it,
# $XDG_RUNTIME_DIR/pulse/native.
as_user() {
    runuser -u "$TEST_USER" -- env -u PULSE_SERVER -u PULSE_RUNTIME_PATH HOME="$T/user" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$RUNTIME" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$RUNTIME/bus" GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1 "$@"
}
export XDG_RUNTIME_DIR=$RUNTIME SOUND_SERVER_AS=$TEST_USER
start_sound_server
# Without it every daemon check below would only see a hack with no sound.
check "the user's sound server answers at \$XDG_RUNTIME_DIR/pulse/native" as_user sh -c "pactl info >/dev/null 2>&1"
play_music 30
as_user dbus-daemon --session --address="unix:path=$RUNTIME/bus" --nofork --nopidfile >"$T/dbus.log" 2>&1 &
PIDS+=($!)
for i in $(seq 50); do [ -S "$RUNTIME/bus" ] && break; sleep 0.05; done

# user_hacks: the test user's running gyrobloom-hack processes.
user_hacks() { pgrep -u "$TEST_USER" -x gyrobloom-hack; }

# hack_under DAEMON: waits for the daemon's hack, then checks the screen
# shows coloured rays. (A daemon may restart its hack while it settles, so
# the check is on whichever one runs.)
hack_under() {
    local daemon=$1 i pid="" args=""
    for i in $(seq 100); do
        pid=$(user_hacks | head -n1)
        [ -n "$pid" ] && args=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)
        [ -n "$args" ] && break
        sleep 0.05  # not started yet, or still between fork and exec
    done
    if [ -z "$args" ]; then
        fail "$daemon starts gyrobloom-hack"
        return 1
    fi
    pass "$daemon starts gyrobloom-hack ($args)"
    local most=0 best_colours=0
    for i in 1 2 3 4 5; do
        sleep 0.5
        look --save "$T/screen.png" 0 0 1920 1080
        [ "$colours" -gt "$best_colours" ] && best_colours=$colours
        if [ "$inside_lit" -gt "$most" ]; then
            most=$inside_lit
            cp "$T/screen.png" "$SHOTS/package-$daemon.png"
        fi
    done
    # Several colours: rays from the colour wheel, not a flat fill.
    check "under $daemon the rays light the screen while music plays ($most pixels, up to $best_colours colours; $SHOTS/package-$daemon.png)" \
        [ "$most" -gt 2000 -a "$best_colours" -gt 1 ]
    check "one hack runs under $daemon ($(user_hacks | wc -l))" [ "$(user_hacks | wc -l)" -eq 1 ]
}

# hack_ends WHAT: true when no hack of the user runs within 5 s.
hack_ends() {
    local i
    for i in $(seq 100); do
        [ -z "$(user_hacks)" ] && { pass "$1 ends the hack"; return 0; }
        sleep 0.05
    done
    fail "$1 ends the hack within 5 s"
}

# --- XScreenSaver -------------------------------------------------------------------
cat >"$T/user/.xscreensaver" <<'XSS'
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
timeout: 0:30:00
programs: gyrobloom-hack -root
XSS
chown "$TEST_USER:" "$T/user/.xscreensaver"
as_user xscreensaver --no-splash >"$T/xscreensaver.log" 2>&1 &
XSS_PID=$!
PIDS+=($XSS_PID)
for i in $(seq 100); do as_user xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.1; done
as_user xscreensaver-command -activate >/dev/null 2>&1
if hack_under xscreensaver; then
    as_user xscreensaver-command -deactivate >/dev/null 2>&1
    hack_ends "xscreensaver-command -deactivate"
fi
kill "$XSS_PID"
wait "$XSS_PID" 2>/dev/null

# --- mate-screensaver ----------------------------------------------------------------
as_user gsettings set org.mate.screensaver mode single
as_user gsettings set org.mate.screensaver themes "['screensavers-gyrobloom']"
as_user gsettings set org.mate.screensaver lock-enabled false
XDG_CURRENT_DESKTOP=MATE as_user env XDG_CURRENT_DESKTOP=MATE mate-screensaver --no-daemon >"$T/mate.log" 2>&1 &
MATE_PID=$!
PIDS+=($MATE_PID)
for i in $(seq 100); do as_user mate-screensaver-command --query >/dev/null 2>&1 && break; sleep 0.1; done
as_user mate-screensaver-command --activate >/dev/null 2>&1
# mate-screensaver gives its hacks neither XDG_RUNTIME_DIR nor PULSE_SERVER:
# the sound comes from the session's runtime directory the hack finds itself.
if hack_under mate-screensaver; then
    as_user mate-screensaver-command --deactivate >/dev/null 2>&1
    hack_ends "mate-screensaver-command --deactivate"
fi
kill "$MATE_PID"
wait "$MATE_PID" 2>/dev/null

# --- remove ----------------------------------------------------------------------------
if apt_get remove gyrobloom && ! known; then
    pass "apt-get remove removes the package completely"
else
    fail "apt-get remove removes the package completely ($(dpkg-query -W -f='${Status}' gyrobloom 2>&1))"
fi
left=()
for f in "${FILES[@]}"; do [ -e "$f" -o -L "$f" ] && left+=("$f"); done
[ "$mate_dir_before" = no ] && [ -d /usr/libexec/mate-screensaver ] && left+=(/usr/libexec/mate-screensaver)
[ -e /usr/share/doc/gyrobloom ] && left+=(/usr/share/doc/gyrobloom)
check "nothing of it is left behind (${left[*]:-nothing})" [ ${#left[@]} -eq 0 ]

finish
