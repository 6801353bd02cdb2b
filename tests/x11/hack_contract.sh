#!/usr/bin/env bash
# gyrobloom-hack as a screen-saver daemon runs it, under Xvfb with music
# played through a private sound server: it draws rays inside the
# window it is handed and nothing outside, moves the picture's centre when
# the window is resized, ends within 100 ms of SIGTERM (20 tries) or SIGINT,
# ends when its window is destroyed, draws on $XSCREENSAVER_WINDOW with
# -root, and with no sound server at all writes each message once on
# standard error and draws nothing but black.
#
# Arguments: gyrobloom-hack, the build directory, gyrobloom_xprobe.

source "$(dirname "$0")/../real/lib.sh" "$1" "$2"
source "$(dirname "$0")/hack.sh" "$3"

start_x_server
start_sound_server
write_mirrored_settings
play_music 40

# --- the command line -------------------------------------------------------
"$HACK" -fps >"$T/usage.out" 2>"$T/usage.err"
status=$?
check "an unknown option exits with status 1 (got $status)" [ "$status" -eq 1 ]
check "and prints one usage line on standard error" \
    [ "$(wc -l <"$T/usage.err")" -eq 1 -a "$(grep -c '^usage: gyrobloom-hack' "$T/usage.err")" -eq 1 ]
env -u DISPLAY "$HACK" -root 2>"$T/nodisplay.err"
status=$?
check "without a display it exits with status 1 and says why (got $status: $(cat "$T/nodisplay.err"))" \
    [ "$status" -eq 1 -a -s "$T/nodisplay.err" ]

# --- a handed window: rays inside, nothing outside --------------------------
open_window 200 150 640 480
start_hack -window-id "$WINDOW"
most=0 changed=0 most_colours=0
for i in 1 2 3 4 5 6; do
    sleep 0.4
    look $WINDOW_RECT
    [ "$inside_lit" -gt "$most" ] && most=$inside_lit
    [ "$colours" -gt "$most_colours" ] && most_colours=$colours
    [ "$outside_changed" -gt "$changed" ] && changed=$outside_changed
done
check "with music the rays light the window (at most $most pixels)" [ "$most" -gt 1000 ]
check "the rays are coloured ($most_colours colours)" [ "$most_colours" -gt 3 ]
check "nothing is drawn outside the window ($changed pixels changed)" [ "$changed" -eq 0 ]
look $WINDOW_RECT
check "the mirrored picture is centred on the window (box $left,$top-$right,$bottom in 640x480)" \
    centred_on 320 240
check "no message on standard error ($(head -c 200 "$HACK_ERR"))" [ ! -s "$HACK_ERR" ]

# --- the window is resized: the centre moves ---------------------------------
window_command resize 1000 700
sleep 0.8
look 200 150 1000 700
check "after a resize the picture is centred on the new size (box $left,$top-$right,$bottom in 1000x700)" \
    centred_on 500 350
check "still nothing outside the window ($outside_changed pixels changed)" [ "$outside_changed" -eq 0 ]

# --- the window is destroyed: the hack ends ----------------------------------
window_command destroy
if wait_for_exit "$HACK_PID" 2; then
    check "destroying its window ends the hack (in $EXIT_MS ms, status $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "destroying its window ends the hack within 2 s"
fi

# --- SIGTERM, 20 times, and SIGINT -------------------------------------------
open_window 0 0 800 600
slowest=0 late=0 bad_status=0
for i in $(seq 20); do
    start_hack -window-id "$WINDOW"
    # At a different moment of the run each time.
    sleep "0.$((20 + i * 2))"
    start=$(date +%s%N)
    kill -TERM "$HACK_PID"
    wait "$HACK_PID"
    status=$?
    took=$((($(date +%s%N) - start) / 1000000))
    [ "$took" -gt "$slowest" ] && slowest=$took
    [ "$took" -gt 100 ] && late=$((late + 1))
    [ "$status" -ne 0 ] && bad_status=$((bad_status + 1))
done
check "SIGTERM ends the hack within 100 ms in 20 of 20 tries (slowest $slowest ms)" [ "$late" -eq 0 ]
check "with status 0 each time ($bad_status others)" [ "$bad_status" -eq 0 ]
start_hack -window-id "$WINDOW"
sleep 0.3
start=$(date +%s%N)
kill -INT "$HACK_PID"
wait "$HACK_PID"
status=$?
took=$((($(date +%s%N) - start) / 1000000))
check "SIGINT ends it too (in $took ms, status $status)" [ "$took" -le 100 -a "$status" -eq 0 ]
window_command destroy

# --- -root draws on the daemon's window --------------------------------------
open_window 300 200 500 400
XSCREENSAVER_WINDOW=$(printf '0x%x' "$WINDOW") start_hack --root
most=0 changed=0
for i in 1 2 3 4; do
    sleep 0.4
    look $WINDOW_RECT
    [ "$inside_lit" -gt "$most" ] && most=$inside_lit
    [ "$outside_changed" -gt "$changed" ] && changed=$outside_changed
done
check "--root with XSCREENSAVER_WINDOW draws in that window ($most pixels lit)" [ "$most" -gt 1000 ]
check "and not on the root window ($changed pixels outside changed)" [ "$changed" -eq 0 ]
kill -TERM "$HACK_PID"
wait_for_exit "$HACK_PID" 1 || fail "the -root hack ends on SIGTERM"
window_command destroy

# --- -window opens a window of its own ----------------------------------------
start_hack -window
own=""
for i in $(seq 40); do
    own=$(xdotool search --onlyvisible --name '^Gyrobloom$' 2>/dev/null | head -n1)
    [ -n "$own" ] && break
    sleep 0.05
done
check "-window maps a window of its own" [ -n "$own" ]
kill -TERM "$HACK_PID"
wait_for_exit "$HACK_PID" 1 || fail "the -window hack ends on SIGTERM"

# --- no sound server at all ---------------------------------------------------
open_window 100 100 600 400
PULSE_SERVER=unix:$T/no-such-server start_hack -window-id "$WINDOW"
most=0
for i in 1 2 3; do
    sleep 0.4
    look $WINDOW_RECT
    [ "$inside_lit" -gt "$most" ] && most=$inside_lit
done
check "with no sound server it draws nothing but black ($most pixels lit)" [ "$most" -eq 0 ]
kill -TERM "$HACK_PID"
if wait_for_exit "$HACK_PID" 1; then
    check "and ends on SIGTERM (status $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "with no sound server it ends on SIGTERM"
fi
lines=$(wc -l <"$HACK_ERR")
distinct=$(sort -u "$HACK_ERR" | wc -l)
check "each message is one line on standard error, once ($lines lines: $(tr '\n' '|' <"$HACK_ERR"))" \
    [ "$lines" -ge 1 -a "$lines" -eq "$distinct" ]
check "the mixer message is among them" grep -qx "gyrobloom-hack: Couldn't open the mixer." "$HACK_ERR"
window_command destroy

finish
