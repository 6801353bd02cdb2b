# Shared helpers of the real-window tests, sourced by each script.
#
# Usage: source lib.sh "$@"   (arguments: path of gyrobloom, build directory)
#
# Every script gets its own X server (Xvfb, 1920x1080, a display number it
# picks itself), its own sound server (PulseAudio or PipeWire with a null sink,
# so the meter finds its meters and shows no message), and a private HOME and
# XDG_RUNTIME_DIR in a temporary directory, so that neither the settings nor
# the single-instance lock of a real session are touched. Everything started
# is stopped by PID when the script exits, however it exits.

set -u

GYROBLOOM=${1:?path of gyrobloom}
BUILD_DIR=${2:-.}
T=$(mktemp -d /tmp/gyrobloom-real.XXXXXX)
export HOME=$T/home XDG_RUNTIME_DIR=$T/xdg
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

PIDS=()
FAILURES=0
CHECKS=0

# The sound server: PulseAudio, or PipeWire with GYROBLOOM_SOUND_SERVER=pipewire
# (tests/real/pulse/servers.sh); started by start_pulse or start_sound_server.
source "$(dirname "${BASH_SOURCE[0]}")/pulse/servers.sh"
export SOUND_LOG_DIR=$T
sound_server_env

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    sound_server_teardown
    rm -rf "$T"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

pass() { CHECKS=$((CHECKS + 1)); echo "PASS: $*"; }
fail() { CHECKS=$((CHECKS + 1)); FAILURES=$((FAILURES + 1)); echo "FAIL: $*"; }

# check DESCRIPTION COMMAND...: PASS when the command succeeds.
check() {
    local description=$1
    shift
    if "$@"; then pass "$description"; else fail "$description"; fi
}

# Prints the summary; the script's status is non-zero on any failure. A
# sanitizer report in any run of the program (the asan-app build) counts as
# a failure too.
finish() {
    local log
    for log in "$T"/program-*.log; do
        [ -e "$log" ] || continue
        if grep -qE '^(==[0-9]+==ERROR: [A-Za-z]+Sanitizer|SUMMARY: [A-Za-z]+Sanitizer)|runtime error: ' "$log"; then
            fail "the program ran clean under the sanitizers ($(basename "$log"))"
            grep -E 'ERROR: |runtime error: |SUMMARY: ' "$log" | head -n 5
        fi
    done
    echo "$((CHECKS - FAILURES)) of $CHECKS checks passed"
    [ "$FAILURES" -eq 0 ]
    exit $?
}

now_ms() { date +%s%3N; }

# start_xvfb [WIDTHxHEIGHT]: starts Xvfb (1920x1080 unless given) on a free
# display and exports DISPLAY. -noreset keeps the pointer where a test put it
# when the last client goes; the root window is white, so that a window
# covering it shows.
start_xvfb() {
    local fifo=$T/display
    rm -f "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1920x1080}x24" -noreset -wr -nolisten tcp 3>"$fifo" 2>"$T/xvfb.log" &
    PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$fifo" ] && break
        sleep 0.05
    done
    [ -s "$fifo" ] || { echo "Xvfb did not start"; cat "$T/xvfb.log"; exit 1; }
    export DISPLAY=:$(head -n1 "$fifo")
}

# start_sound_server MODULE_LINE...: a private server with just these devices
# (none at all when no line is given).
start_sound_server() {
    local missing
    missing=$(sound_server_missing)
    [ -z "$missing" ] || { echo "FAIL: not installed: $missing (tools/setup.sh installs them)"; exit 1; }
    sound_server_start "$@" || { echo "FAIL: $SOUND_SERVER does not answer"; tail -5 "$T/$SOUND_SERVER.log"; exit 1; }
}

# Starts a private sound server with a null sink as the default output and a
# quiet stand-in microphone (test_source, fed by the sink mic_feed) as the
# default input, so that the meter finds both its meters.
start_pulse() {
    start_sound_server "module-null-sink sink_name=test_sink" "module-null-sink sink_name=mic_feed" \
        "module-remap-source source_name=test_source master=mic_feed.monitor"
    pactl set-default-sink test_sink
    pactl set-default-source test_source
}

# start_program ARGS...: runs gyrobloom in the background; sets PROGRAM_PID.
PROGRAM_RUNS=0
start_program() {
    PROGRAM_RUNS=$((PROGRAM_RUNS + 1))
    "$GYROBLOOM" "$@" >"$T/program-$PROGRAM_RUNS.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=($PROGRAM_PID)
}

# True while the process runs (a process that ended but was not waited for
# yet counts as ended).
running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_for_exit PID SECONDS: true when the process ends within the time;
# sets EXIT_STATUS and EXIT_MS (how long it took).
wait_for_exit() {
    local pid=$1 limit_ms=$(($2 * 1000)) start
    start=$(now_ms)
    while running "$pid"; do
        if [ $(($(now_ms) - start)) -ge "$limit_ms" ]; then return 1; fi
        sleep 0.01
    done
    EXIT_MS=$(($(now_ms) - start))
    wait "$pid"
    EXIT_STATUS=$?
    return 0
}

# wait_for_window PID SECONDS: prints the id of the process's visible window.
wait_for_window() {
    local pid=$1 limit=$(($2 * 20)) i id
    for i in $(seq "$limit"); do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# The number of visible pixels of the pointer as the X server shows it now
# (XFixes), whatever window it is over.
pointer_pixels() {
    python3 - <<'PY'
import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
xfixes = ctypes.CDLL("libXfixes.so.3")
class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
image = xfixes.XFixesGetCursorImage(display) if display else None
if not image:
    sys.exit(1)
c = image.contents
print(sum(1 for i in range(c.width * c.height) if (c.pixels[i] >> 24) & 0xFF))
PY
}

# window_named NAME [SECONDS]: the id of the visible window of PROGRAM_PID
# with that title, waiting up to 10 seconds (or as long as given).
window_named() {
    local i id
    for i in $(seq $((${2:-10} * 20))); do
        for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
            [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id" && return 0
        done
        sleep 0.05
    done
    return 1
}
# geometry WINDOW: sets WX WY WW WH (outer: the frame included where the program draws it).
geometry() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "WX=" $NF} /Absolute upper-left Y/ {print "WY=" $NF}
        /Width:/ {print "WW=" $NF} /Height:/ {print "WH=" $NF}')"
}

# Records every window mapped on the display from now on, one line each, in
# the file given; stop it with stop_map_watch.
start_map_watch() {
    xev -root -event substructure >"$1" 2>/dev/null &
    MAP_WATCH_PID=$!
    PIDS+=($MAP_WATCH_PID)
    sleep 0.3  # xev has selected its events
}
stop_map_watch() {
    sleep 0.3  # the last events have been written
    kill "$MAP_WATCH_PID" 2>/dev/null
    wait "$MAP_WATCH_PID" 2>/dev/null
}
maps_in() { grep -c '^MapNotify' "$1"; }

# lit_pixels [FILE]: how many pixels of the screen are not black; the
# screenshot is kept in FILE ($T/shot.png unless given). A whole number
# however large (ImageMagick writes big ones in exponent form).
lit_pixels() {
    local shot=${1:-$T/shot.png}
    import -window root "$shot" &&
        /usr/bin/convert "$shot" -colorspace Gray -threshold 0 -format '%[fx:mean*w*h]' info: |
        awk '{ printf "%.0f\n", $1 }'
}

# The mean brightness of the screen, 0 (black) to 1 (white).
screen_mean() {
    import -window root "$T/shot.png" && /usr/bin/convert "$T/shot.png" -format '%[fx:mean]' info:
}
