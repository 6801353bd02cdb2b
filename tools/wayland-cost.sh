#!/usr/bin/env bash
# One run of the saver's cost in a Wayland session, for tools/measure.py:
# a headless sway (as tests/wayland/lib.sh runs it, which needs root) with
# one 1920x1080 output at the given scale, music playing into the user's
# sound server, `gyrobloom /s` on Qt's Wayland platform. After a second's
# warm-up, over SECONDS, it prints one line:
#
#   cpu=% compositor=% mb=peak wakeups=per-second steps=per-second frames=per-second
#
#   tools/wayland-cost.sh PROGRAM SECONDS [SCALE [NAME=VALUE...]]
#
# The NAME=VALUEs go into the saver's environment (GYROBLOOM_RASTER=1 for
# Qt's own windows and painting, to compare).
#
# cpu and compositor are user + system time over wall time, in percent of one
# core (sway draws what the saver sends); wakeups counts the times the
# saver's threads were switched in (voluntary and involuntary context
# switches, all threads).

PROGRAM=$(realpath "${1:?the gyrobloom to measure}")
SECONDS_MEASURED=${2:-20}
SCALE=${3:-1}
EXTRA_ENV=("${@:4}")
source "$(dirname "$0")/../tests/real/lib.sh" "$PROGRAM" "$(dirname "$PROGRAM")" >&2
WAYLAND_TESTS=$(cd "$(dirname "$0")/../tests/wayland" && pwd)
source "$WAYLAND_TESTS/lib.sh"

start_sway >&2
[ "$SCALE" = 1 ] || as_user swaymsg -q output HEADLESS-1 scale "$SCALE"
USER_ENV="QT_QPA_PLATFORM=wayland GYROBLOOM_STATS=1 ${EXTRA_ENV[*]}"
play_music "$(awk -v s="$SECONDS_MEASURED" 'BEGIN { printf "%d", s + 6.999 }')"
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "the saver shows a window"
sway_pid=$(pgrep -u "$WL_USER" -x sway | head -n1)

ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
sleep 1
c0=$(ticks "$PROGRAM_PID") s0=$(ticks "$sway_pid") w0=$(switches "$PROGRAM_PID") t0=$(now_us)
sleep "$SECONDS_MEASURED"
c1=$(ticks "$PROGRAM_PID") s1=$(ticks "$sway_pid") w1=$(switches "$PROGRAM_PID") t1=$(now_us)
peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$PROGRAM_PID/status")
keys space space
wait_for_exit "$PROGRAM_PID" 4 >/dev/null
hz=$(getconf CLK_TCK)
read -r steps frames seconds < <(sed -n 's/^gyrobloom: \(\S*\) steps, \(\S*\) frames in \(\S*\) s$/\1 \2 \3/p' \
    "$T/program-$PROGRAM_RUNS.log")
awk -v c=$((c1 - c0)) -v s=$((s1 - s0)) -v w=$((w1 - w0)) -v us=$((t1 - t0)) -v hz="$hz" -v kb="$peak" \
    -v steps="${steps:-}" -v frames="${frames:-}" -v secs="${seconds:-}" 'BEGIN {
    t = us / 1e6
    printf "cpu=%.2f compositor=%.2f mb=%.1f wakeups=%.0f", 100 * c / hz / t, 100 * s / hz / t, kb / 1024, w / t
    if (secs > 0) printf " steps=%.1f frames=%.1f", steps / secs, frames / secs
    else printf " steps=- frames=-"
    printf "\n"
}'
