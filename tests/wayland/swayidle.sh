#!/usr/bin/env bash
# The README's way to run the saver in a Wayland session: its swayidle line,
# run as it stands but for a 2 s timeout in place of 300, under a headless
# sway. The saver must not start while the user is active, must start once
# the session has been idle that long, and must end on a key.

source "$(dirname "$0")/../real/lib.sh" "$@"
WAYLAND_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$WAYLAND_TESTS/lib.sh"

README=$WAYLAND_TESTS/../../README.md
line=$(grep -E "^swayidle .*'gyrobloom /s'\$" "$README" | head -n1)
require "README.md gives a swayidle line that starts 'gyrobloom /s' (\"$line\")" [ -n "$line" ]
require "its timeout is 300 s" grep -q ' timeout 300 ' <<<"$line"
IDLE_S=2
line=${line/ timeout 300 / timeout $IDLE_S }

start_sway
# gyrobloom on the user's PATH, as the package puts it there.
mkdir -p "$T/bin"
ln -s "$(readlink -f "$GYROBLOOM")" "$T/bin/gyrobloom"
chmod 755 "$T/bin"

ended() { ! running "$1"; }
# The saver process that swayidle started, if any.
saver_pid() { pgrep -u "$WL_USER" -x gyrobloom | head -n1; }

user_command
"${AS_USER[@]}" PATH="$T/bin:/usr/bin:/bin" sh -c "exec $line" >"$T/swayidle.log" 2>&1 &
IDLE_PID=$!
PIDS+=($IDLE_PID)
show_on_failure "$T/swayidle.log"
active_ms=$(now_ms)

# Activity holds it off: a pointer move every half second for 3 s.
for i in 1 2 3 4 5 6; do
    sleep 0.5
    as_user swaymsg -q seat - cursor move 0 1
done
check "swayidle runs" running "$IDLE_PID"
check "while the user is active the saver does not start" [ -z "$(saver_pid)" ]

active_ms=$(now_ms)
pid=""
for i in $(seq 200); do
    pid=$(saver_pid)
    [ -n "$pid" ] && break
    sleep 0.05
done
started_ms=$(now_ms)
if [ -n "$pid" ]; then
    pass "after $IDLE_S s idle swayidle starts the saver ($((started_ms - active_ms)) ms after the last move)"
else
    give_up "swayidle starts the saver within 10 s of idle"
fi
check "not before the idle time ($((started_ms - active_ms)) ms)" [ $((started_ms - active_ms)) -ge $((IDLE_S * 1000 - 200)) ]
PROGRAM_PID=$pid
wait_for_views "$pid" 1 10 || fail "the saver shows a window"
read -r _ x y w h fullscreen _ <<<"${VIEWS[0]:-}"
check "its window covers the output (${VIEWS[0]:-none})" [ "${x:-} ${y:-} ${w:-} ${h:-} ${fullscreen:-}" = "0 0 1920 1080 1" ]
sleep 0.5
shot --save "$BUILD_DIR/wayland-swayidle.png"
check "the output shows the saver, black in silence ($white white, $lit lit pixels)" [ "$white" -eq 0 -a "$lit" -eq 0 ]

keys space space
for i in $(seq 20); do running "$pid" || break; sleep 0.05; done
check "a key ends the saver" ended "$pid"
check "swayidle keeps running, for the next idle time" running "$IDLE_PID"

finish
