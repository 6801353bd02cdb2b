#!/usr/bin/env bash
# What gyrobloom-hack costs while it draws at 1920x1080 with music playing,
# measured in one run beside XScreenSaver's qix (a classic line hack) and the
# Qt saver (gyrobloom /s): CPU as a percentage of one core (user + system
# time from /proc over the measuring window) and peak resident memory
# (VmHWM). Each program draws on the root window of its own Xvfb, so none
# slows another's server; all hear the same private PulseAudio server.
#
# Usage: bench/hack_cost.sh [BUILD_DIR] [SECONDS]   (default build/release, 20)
set -u
cd "$(dirname "$0")/.."
BUILD=${1:-build/release}
SECONDS_MEASURED=${2:-20}
HACK=$BUILD/app/hack/gyrobloom-hack
SAVER=$BUILD/gyrobloom
QIX=/usr/libexec/xscreensaver/qix
for p in "$HACK" "$SAVER" "$QIX"; do [ -x "$p" ] || { echo "missing $p"; exit 1; }; done

T=$(mktemp -d /tmp/gyrobloom-cost.XXXXXX)
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$T"
}
trap cleanup EXIT
export HOME=$T/home XDG_RUNTIME_DIR=$T/xdg PULSE_RUNTIME_PATH=$T/pulse PULSE_SERVER=unix:$T/pulse/native
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH" && chmod 700 "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH"

xvfb() {  # xvfb N: starts a server, sets DISPLAY_N to its display
    local fifo=$T/display-$1
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    PIDS+=($!)
    local i
    for i in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.05; done
    printf -v "DISPLAY_$1" ':%s' "$(head -n1 "$fifo")"
}
env -u DISPLAY pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
    -L 'module-null-sink sink_name=test_sink' -L 'module-null-source source_name=test_source' 2>/dev/null &
PIDS+=($!)
until pactl info >/dev/null 2>&1; do sleep 0.05; done
pactl set-default-sink test_sink
pactl set-default-source test_source
sox -n -r 44100 -c 2 -b 16 "$T/music.wav" synth $((SECONDS_MEASURED + 10)) sine 220 sine 277 sine 330 \
    tremolo 2 90 vol 0.8 2>/dev/null
paplay --latency-msec=20 "$T/music.wav" 2>/dev/null &
PIDS+=($!)

names=(gyrobloom-hack qix "gyrobloom /s (Qt)")
xvfb 1
xvfb 2
xvfb 3
DISPLAY=$DISPLAY_1 "$HACK" -root 2>"$T/hack.err" &
pids=($!)
DISPLAY=$DISPLAY_2 "$QIX" -root 2>/dev/null &
pids+=($!)
DISPLAY=$DISPLAY_3 "$SAVER" /s 2>/dev/null &
pids+=($!)
PIDS+=("${pids[@]}")

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
sleep 3  # past start-up: the sound server connected, the first frames drawn
declare -a before
for i in 0 1 2; do before[$i]=$(ticks "${pids[$i]}"); done
start=$(date +%s%N)
sleep "$SECONDS_MEASURED"
elapsed_ns=$(($(date +%s%N) - start))
hz=$(getconf CLK_TCK)
printf '%-20s %10s %14s\n' program "CPU %" "peak RSS MB"
for i in 0 1 2; do
    pid=${pids[$i]}
    if ! [ -r "/proc/$pid/stat" ]; then
        printf '%-20s %s\n' "${names[$i]}" "ended early"
        continue
    fi
    used=$(($(ticks "$pid") - before[$i]))
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    awk -v n="${names[$i]}" -v t="$used" -v hz="$hz" -v ns="$elapsed_ns" -v kb="$hwm" \
        'BEGIN { printf "%-20s %10.2f %14.1f\n", n, 100 * t / hz / (ns / 1e9), kb / 1024 }'
done
[ -s "$T/hack.err" ] && { echo "gyrobloom-hack said:"; cat "$T/hack.err"; }
exit 0
