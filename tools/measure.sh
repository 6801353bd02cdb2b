#!/usr/bin/env bash
# Measures the saver end to end and prints the figures as a table beside two
# peers, a terminal audio visualizer (cava) and a line hack (XScreenSaver's
# qix), each run in the same conditions.
#
#   tools/measure.sh [-n RUNS] [-s SECONDS] [-p PROGRAM] [--no-peers] [--only ROWS]
#
#   -n RUNS      runs per figure; the table gives the median (default 3)
#   -s SECONDS   length of each processor and memory measurement (default 20)
#   -p PROGRAM   the gyrobloom to measure (default build/release/gyrobloom)
#   --no-peers   leave out cava and qix (they are installed when missing)
#   --only ROWS  a comma-separated subset of the rows:
#                latency,1080,1080-silent,2160,4320,heavy,cava,qix
#
# Every run gets its own X server (Xvfb at the row's size, on a display it
# picks itself), and all share one private PulseAudio server with a null
# output and input; the music is a swelling chord played into it. Processor
# use is the process's own user + system time over wall time, in percent of
# one core; the X server's is its own over the same time, apart (on X11 the
# saver's lines are drawn by the server); peak resident memory is the
# kernel's high-water mark (VmHWM). Steps and frames per second come from the saver itself (GYROBLOOM_STATS).
# The latencies are taken by polling the screen and the process:
#   start to first frame   program started -> the screen's centre turns black
#   key to exit            a key press (XTest) -> the process has ended
#   SIGTERM to exit        kill -TERM -> the process has ended
#   sound onset to light   the first sound sample handed to the server by a
#                          player already streaming silence -> the first
#                          non-black pixel (read through shared memory
#                          every few milliseconds)
# This is a measuring tool, not a test: nothing here passes or fails.

set -u
cd "$(dirname "$0")/.."

RUNS=3
SECS=20
PROGRAM=build/release/gyrobloom
PEERS=1
ONLY=latency,1080,1080-silent,2160,4320,heavy,cava,qix
while [ $# -gt 0 ]; do
    case $1 in
        -n) RUNS=$2; shift 2 ;;
        -s) SECS=$2; shift 2 ;;
        -p) PROGRAM=$2; shift 2 ;;
        --no-peers) PEERS=0; shift ;;
        --only) ONLY=$2; shift 2 ;;
        -h|--help) sed -n '2,27p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "measure.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
[ -x "$PROGRAM" ] || { echo "measure.sh: no program at $PROGRAM (build it: cmake --preset release && cmake --build --preset release)" >&2; exit 2; }
PROGRAM=$(realpath "$PROGRAM")
wanted() { [[ ",$ONLY," == *",$1,"* ]]; }

QIX=/usr/libexec/xscreensaver/qix

# --- What the measurements need --------------------------------------------
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}" >&2
    flock /tmp/apt.lock $sudo env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2 ||
        { flock /tmp/apt.lock $sudo apt-get update -qq >&2 &&
          flock /tmp/apt.lock $sudo env DEBIAN_FRONTEND=noninteractive \
              apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2; }
}
needed=(xvfb pulseaudio pulseaudio-utils sox python3 x11-utils)
if [ "$PEERS" -eq 1 ]; then needed+=(cava xscreensaver-data-extra); fi
install_missing "${needed[@]}" || echo "measure.sh: some packages could not be installed" >&2

# --- Private servers, stopped by PID however the script ends ---------------
T=$(mktemp -d /tmp/gyrobloom-measure.XXXXXX)
export HOME=$T/home XDG_RUNTIME_DIR=$T/xdg XDG_CONFIG_HOME=$T/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$T"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

XVFB_PID=
start_xvfb() {  # SIZE (WxH)
    stop_xvfb
    local fifo=$T/display.$RANDOM
    Xvfb -displayfd 3 -screen 0 "${1}x24" -noreset -wr -nolisten tcp 3>"$fifo" 2>"$T/xvfb.log" &
    XVFB_PID=$!
    PIDS+=($XVFB_PID)
    local i
    for i in $(seq 200); do
        [ -s "$fifo" ] && break
        sleep 0.05
    done
    [ -s "$fifo" ] || { echo "Xvfb did not start at $1" >&2; cat "$T/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$(head -n1 "$fifo")
}
stop_xvfb() {
    [ -n "$XVFB_PID" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

start_pulse() {
    export PULSE_RUNTIME_PATH=$T/pulse PULSE_SERVER=unix:$T/pulse/native
    mkdir -p "$PULSE_RUNTIME_PATH" && chmod 700 "$PULSE_RUNTIME_PATH"
    env -u DISPLAY pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
        --log-target=stderr \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
        -L 'module-null-sink sink_name=measure_sink' -L 'module-null-source source_name=measure_source' \
        2>"$T/pulse.log" &
    PIDS+=($!)
    local i
    for i in $(seq 200); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl set-default-sink measure_sink && pactl set-default-source measure_source ||
        { echo "the private PulseAudio server did not start" >&2; cat "$T/pulse.log" >&2; exit 1; }
}

# Music that moves the meter: a chord whose loudness swells and falls twice
# a second, long enough for one measurement and its warm-up.
MUSIC=$T/music.wav
sox -n -r 44100 -c 2 -b 16 "$MUSIC" synth $((SECS + 6)) sine 220 sine 277 sine 330 tremolo 2 90 vol 0.8 2>/dev/null
[ -s "$MUSIC" ] || { echo "sox could not make the test music" >&2; exit 1; }

PLAYER_PID=
start_music() {
    paplay --latency-msec=20 "$MUSIC" &
    PLAYER_PID=$!
    PIDS+=($PLAYER_PID)
}
stop_music() {
    [ -n "$PLAYER_PID" ] || return 0
    kill "$PLAYER_PID" 2>/dev/null
    wait "$PLAYER_PID" 2>/dev/null
    PLAYER_PID=
}

# The heaviest settings the dialog allows, or the defaults.
use_settings() {  # heavy|default
    local dir=$XDG_CONFIG_HOME/Gyrobloom
    rm -rf "$dir"
    [ "$1" = heavy ] || return 0
    mkdir -p "$dir"
    printf '[Settings]\nNumber of Rays=100\nLine Length=100\nRay Width=100\nMirror=True\n' >"$dir/Gyrobloom.ini"
}

# --- The screen and process probe (Xlib and XTest through ctypes) ----------
PROBE=$T/probe.py
cat >"$PROBE" <<'PY'
import ctypes, os, signal, subprocess, sys, time

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
x11.XFlush.argtypes = x11.XFree.argtypes = [ctypes.c_void_p]

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]

# Only the colour planes: the fourth byte of a pixel is padding.
ZPIXMAP, ALL_PLANES = 2, 0x00FFFFFF
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("probe: no display")
root = x11.XDefaultRootWindow(display)
W, H = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)

def grab(x, y, w, h):
    image = x11.XGetImage(display, root, x, y, w, h, ALL_PLANES, ZPIXMAP)
    if not image:
        return None
    info = XImage.from_address(image)
    data = ctypes.string_at(info.data, info.bytes_per_line * info.height)
    x11.XFree(ctypes.c_void_p(info.data))
    x11.XFree(ctypes.c_void_p(image))
    return data

def centre_is_black():
    data = grab(W // 2, H // 2, 1, 1)
    return data is not None and data[:3] == b"\0\0\0"

def wait_until(test, limit_s):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if test():
            return time.monotonic()
        time.sleep(0.001)
    return None

def ended(process, limit_s):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return time.monotonic()
        time.sleep(0.0005)
    return None

def ms(a, b):
    return "-" if a is None or b is None else "%.0f" % ((b - a) * 1000)

def start_saver(program):
    log = open(os.environ["PROBE_LOG"], "ab")
    t0 = time.monotonic()
    process = subprocess.Popen([program, "/s"], stdout=log, stderr=log)
    return process, t0, wait_until(centre_is_black, 10)

class Player:
    """A stream on the default output that plays silence until switched on,
    then a chord at half scale; the time of the first chord sample handed to
    the server is the onset. The stream is up before it counts, so the figure
    holds no player start-up."""
    RATE, CHUNK = 44100, 441  # 10 ms

    def __init__(self):
        import array, math, threading
        pulse = ctypes.CDLL("libpulse-simple.so.0")
        class Spec(ctypes.Structure):
            _fields_ = [("format", ctypes.c_int), ("rate", ctypes.c_uint32), ("channels", ctypes.c_uint8)]
        class Attr(ctypes.Structure):
            _fields_ = [(n, ctypes.c_uint32) for n in ("maxlength", "tlength", "prebuf", "minreq", "fragsize")]
        pulse.pa_simple_new.restype = ctypes.c_void_p
        pulse.pa_simple_write.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_void_p]
        pulse.pa_simple_free.argtypes = [ctypes.c_void_p]
        spec = Spec(3, self.RATE, 1)  # signed 16-bit little-endian, mono
        attr = Attr(0xFFFFFFFF, self.CHUNK * 2 * 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)
        error = ctypes.c_int(0)
        self.pulse = pulse
        self.stream = pulse.pa_simple_new(None, b"measure", 1, None, b"onset", ctypes.byref(spec), None,
                                          ctypes.byref(attr), ctypes.byref(error))
        if not self.stream:
            raise RuntimeError("no PulseAudio stream")
        self.silence = bytes(self.CHUNK * 2)
        self.chord = []
        for n in range(100):  # one second
            self.chord.append(array.array("h", (int(16384 / 3 * sum(
                math.sin(2 * math.pi * f * (n * self.CHUNK + i) / self.RATE) for f in (220, 277, 330)))
                for i in range(self.CHUNK))).tobytes())
        self.on = False
        self.onset = None
        self.running = True
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        n = 0
        while self.running:
            if self.on:
                if self.onset is None:
                    self.onset = time.time()
                data = self.chord[n % len(self.chord)]
                n += 1
            else:
                data = self.silence
            self.pulse.pa_simple_write(self.stream, data, len(data), None)

    def stop(self):
        self.running = False
        self.thread.join()
        self.pulse.pa_simple_free(self.stream)

def latency(program):
    figures = {}
    player = Player()
    process, t0, shown = start_saver(program)
    figures["first_frame_ms"] = ms(t0, shown)
    time.sleep(1.5)  # silence: the screen stays black
    # The screen watcher of the real tests reads the whole screen through
    # shared memory every few milliseconds; a plain XGetImage of it takes
    # tens of milliseconds, which would count in the figure.
    watch = subprocess.Popen([sys.executable, os.environ["SCREEN_WATCH"], "watch"], stdout=subprocess.PIPE, text=True)
    first = watch.stdout.readline().split()
    if not first or first[0] != "dark":
        figures["onset_ms"] = "-"
    else:
        import threading
        give_up = threading.Timer(5, watch.kill)  # no light: the watcher ends, and its output
        give_up.start()
        player.on = True
        lit = None
        for line in watch.stdout:
            words = line.split()
            if words and words[0] == "lit":
                lit = int(words[1]) / 1000
                break
        give_up.cancel()
        figures["onset_ms"] = ms(player.onset, lit)
    watch.kill()
    watch.wait()
    player.stop()
    time.sleep(0.3)
    space = x11.XKeysymToKeycode(display, 0x20)
    t2 = time.monotonic()
    xtst.XTestFakeKeyEvent(display, space, 1, 0)
    xtst.XTestFakeKeyEvent(display, space, 0, 0)
    x11.XFlush(display)
    figures["key_exit_ms"] = ms(t2, ended(process, 5))
    if process.poll() is None:
        process.kill()
        process.wait()

    process, t0, shown = start_saver(program)
    time.sleep(0.5)
    t3 = time.monotonic()
    process.send_signal(signal.SIGTERM)
    figures["term_exit_ms"] = ms(t3, ended(process, 5))
    if process.poll() is None:
        process.kill()
        process.wait()
    print(" ".join("%s=%s" % item for item in figures.items()))

def key(_):
    space = x11.XKeysymToKeycode(display, 0x20)
    xtst.XTestFakeKeyEvent(display, space, 1, 0)
    xtst.XTestFakeKeyEvent(display, space, 0, 0)
    x11.XFlush(display)

if sys.argv[1] == "latency":
    latency(sys.argv[2])
elif sys.argv[1] == "first-frame":
    print("ok" if wait_until(centre_is_black, float(sys.argv[2])) else "none")
elif sys.argv[1] == "key":
    key(None)
PY
export PROBE_LOG=$T/probe.log SCREEN_WATCH=$PWD/tests/real/screen.py

# --- Processor and memory of one process ----------------------------------
TICKS=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }
peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status" 2>/dev/null; }
now_ns() { date +%s%N; }

# measure_pid PID: after a second's warm-up, CPU % over SECS seconds and the
# peak resident MB so far; sets CPU and PEAK, and XCPU, the X server's CPU %
# over the same time (what it spent drawing for the program, and reading the
# screen for nobody: nothing polls it meanwhile).
measure_pid() {
    local pid=$1 t0 c0 t1 c1 kb x0 x1
    sleep 1
    c0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$XVFB_PID"); t0=$(now_ns)
    sleep "$SECS"
    c1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$XVFB_PID"); t1=$(now_ns)
    kb=$(peak_kb "$pid")
    if [ -z "$c0" ] || [ -z "$c1" ] || [ -z "$kb" ]; then CPU=-; PEAK=-; XCPU=-; return 1; fi
    percent() { awk -v c="$1" -v hz="$TICKS" -v ns=$((t1 - t0)) 'BEGIN { printf "%.2f", 100 * c / hz / (ns / 1e9) }'; }
    CPU=$(percent $((c1 - c0)))
    XCPU=$(percent $((${x1:-0} - ${x0:-0})))
    PEAK=$(awk -v kb="$kb" 'BEGIN { printf "%.1f", kb / 1024 }')
}

# One run of the saver: SIZE, music|silent, default|heavy. Sets RESULT to
# "cpu peak steps_per_s frames_per_s".
saver_run() {
    local size=$1 sound=$2 settings=$3 pid log=$T/saver.log stats
    use_settings "$settings"
    start_xvfb "$size"
    [ "$sound" = music ] && start_music
    GYROBLOOM_STATS=1 "$PROGRAM" /s >"$log" 2>&1 &
    pid=$!
    PIDS+=($pid)
    python3 "$PROBE" first-frame 10 >/dev/null
    measure_pid "$pid"
    python3 "$PROBE" key
    local i
    for i in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    stop_music
    stats=$(awk '/^gyrobloom: .* steps, .* frames in/ { printf "%.1f %.1f", $2 / $7, $4 / $7 }' "$log")
    RESULT="$CPU $PEAK ${stats:-- -} $XCPU"
}

# One run of a peer: NAME. Sets RESULT to "cpu peak - -".
peer_run() {
    local name=$1 pid
    case $name in
        qix)
            start_xvfb 1920x1080
            "$QIX" -root >/dev/null 2>&1 &
            pid=$!
            ;;
        cava)
            start_xvfb 1920x1080
            start_music
            mkdir -p "$T/cava"
            printf '[general]\nframerate = 60\n[input]\nmethod = pulse\nsource = auto\n[output]\nmethod = raw\nraw_target = /dev/null\ndata_format = binary\n' >"$T/cava/config"
            cava -p "$T/cava/config" >/dev/null 2>&1 </dev/null &
            pid=$!
            ;;
    esac
    PIDS+=($pid)
    measure_pid "$pid"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    stop_music
    RESULT="$CPU $PEAK - - $XCPU"
}

median() {  # numbers (or -) on standard input, one a line
    sort -g | awk '$1 != "-" { v[n++] = $1 } END { if (!n) print "-"; else if (n % 2) print v[(n - 1) / 2]; else printf "%.2f\n", (v[n / 2 - 1] + v[n / 2]) / 2 }'
}
# column N of the collected lines
column_median() { awk -v c="$1" '{ print $c }' "$2" | median; }

start_pulse
ROWS=$T/rows
: >"$ROWS"

row() {  # LABEL FILE(lines: cpu peak steps frames xcpu)
    printf '| %s | %s | %s | %s | %s | %s |\n' "$1" "$(column_median 1 "$2")" "$(column_median 5 "$2")" \
        "$(column_median 2 "$2")" "$(column_median 3 "$2")" "$(column_median 4 "$2")" >>"$ROWS"
}

saver_row() {  # KEY LABEL SIZE SOUND SETTINGS
    wanted "$1" || return 0
    local file=$T/runs.$1 r
    : >"$file"
    for r in $(seq "$RUNS"); do
        echo "measuring $2, run $r of $RUNS" >&2
        saver_run "$3" "$4" "$5"
        echo "$RESULT" >>"$file"
    done
    row "$2" "$file"
}

peer_row() {  # NAME LABEL
    wanted "$1" || return 0
    [ "$PEERS" -eq 1 ] || return 0
    case $1 in
        qix) [ -x "$QIX" ] || { echo "no $QIX: qix left out" >&2; return 0; } ;;
        cava) command -v cava >/dev/null || { echo "no cava: left out" >&2; return 0; } ;;
    esac
    local file=$T/runs.$1 r
    : >"$file"
    for r in $(seq "$RUNS"); do
        echo "measuring $2, run $r of $RUNS" >&2
        peer_run "$1"
        echo "$RESULT" >>"$file"
    done
    row "$2" "$file"
}

LATENCY=
if wanted latency; then
    use_settings default
    start_xvfb 1920x1080
    : >"$T/latency"
    for r in $(seq "$RUNS"); do
        echo "measuring the latencies, run $r of $RUNS" >&2
        python3 "$PROBE" latency "$PROGRAM" >>"$T/latency"
    done
    lat() { grep -o "$1=[^ ]*" "$T/latency" | cut -d= -f2 | median; }
    LATENCY="start to first frame $(lat first_frame_ms) ms, key to exit $(lat key_exit_ms) ms, SIGTERM to exit $(lat term_exit_ms) ms, sound onset to the first lit pixel $(lat onset_ms) ms"
fi

peer_row cava "cava $(dpkg-query -W -f='${Version}' cava 2>/dev/null | cut -d- -f1), terminal audio visualizer, 60 fps, music"
peer_row qix "XScreenSaver's qix on the 1920x1080 root window (no sound)"
saver_row 1080 "\`gyrobloom /s\` 1920x1080, music" 1920x1080 music default
saver_row 1080-silent "\`gyrobloom /s\` 1920x1080, silence" 1920x1080 silent default
saver_row 2160 "\`gyrobloom /s\` 3840x2160, music" 3840x2160 music default
saver_row 4320 "\`gyrobloom /s\` 7680x4320, music" 7680x4320 music default
saver_row heavy "\`gyrobloom /s\` 1920x1080, music, 100 rays, length 100, width 100, mirror" 1920x1080 music heavy
stop_xvfb

echo
echo "Medians of $RUNS runs, ${SECS} s each, $(nproc) cores, $(date -u +%Y-%m-%d)"
echo
echo "| program | CPU % of one core | X server's CPU % | peak resident MB | steps/s | frames/s |"
echo "|---|---|---|---|---|---|"
cat "$ROWS"
if [ -n "$LATENCY" ]; then
    echo
    echo "At 1920x1080: $LATENCY."
fi
