#!/usr/bin/env bash
# The saver on a desk of several monitors (one X server split into monitors
# side by side): "gyrobloom /s" covers every monitor in black, so that the
# white root shows nowhere; in silence every monitor stays black; with
# music each lights up with rays centred on it; the pointer is hidden on
# every monitor; a key ends it, and so does the eleventh horizontal mouse
# move, made over the second monitor after crossing from the first; a
# monitor taken away while it runs leaves it running, its window on that
# monitor closed and the rest still covered and lit. A desk of three
# monitors of unequal sizes is covered and lit on each. Screenshots of the
# whole desk with music are left in the build directory
# (real-monitors-2.png, real-monitors-3.png).

source "$(dirname "$0")/lib.sh" "$@"

start_sound_server
write_mirrored_settings

# start_saver: runs /s and waits for its windows to show and settle.
start_saver() {
    start_program /s
    if ! wait_for_window "$PROGRAM_PID" 10 >/dev/null; then
        cat "$T/program-$PROGRAM_RUNS.log"
        give_up "/s shows a window"
    fi
    sleep 1  # every window shown, and a few hundred steps drawn
}

# stop_saver: ends a saver that did not end as it should, so that the next
# one can start (one saver runs at a time).
stop_saver() {
    kill "$PROGRAM_PID" 2>/dev/null
    wait_for_exit "$PROGRAM_PID" 2 || kill -9 "$PROGRAM_PID" 2>/dev/null
}

# key_ends_saver WHAT: a check that a key press ends the saver within a second.
key_ends_saver() {
    xdotool key a
    if wait_for_exit "$PROGRAM_PID" 1; then
        check "$1: a key press ends the saver (in $EXIT_MS ms, status $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
    else
        fail "$1: a key press ends the saver within a second"
        stop_saver
    fi
}

# covered_and_black WHAT: checks every monitor of MONITORS: the white root
# does not show on it, and nothing is lit.
covered_and_black() {
    local i
    for i in "${!MONITORS[@]}"; do
        look_at_monitor "$i"
        check "$1: the saver covers monitor ${MONITOR_NAMES[$i]} (${MONITORS[$i]}: $white pixels of the white root show)" \
            [ "$white" -eq 0 ]
        check "$1: in silence monitor ${MONITOR_NAMES[$i]} is black ($inside_lit lit pixels)" [ "$inside_lit" -eq 0 ]
    done
}

# lit_and_centred WHAT SHOT: with music playing, looks at every monitor 8
# times in 4 s (watch_monitors) and checks each: covered at every look,
# lit with coloured rays, and the mirrored picture centred on the monitor.
lit_and_centred() {
    local i
    watch_monitors 8 0.5 "$2"
    for i in "${!MONITORS[@]}"; do
        check "$1: with music monitor ${MONITOR_NAMES[$i]} stays covered (at most ${WHITEST[i]} pixels of the white root show)" \
            [ "${WHITEST[i]}" -eq 0 ]
        check "$1: with music the rays light monitor ${MONITOR_NAMES[$i]} (at most ${MOST_LIT[i]} lit pixels, ${MOST_COLOURS[i]} colours, while covered)" \
            [ "${MOST_LIT[i]}" -gt 2000 -a "${MOST_COLOURS[i]}" -gt 3 ]
        centred_on_monitor "$i"
        check "$1: the picture is centred on monitor ${MONITOR_NAMES[$i]} (box $left,$top-$right,$bottom in $(monitor_size "$i"))" \
            centred_on_monitor "$i"
    done
}

# --- Two monitors side by side -----------------------------------------------
start_x_server --monitors 1920x1080,1920x1080
# The pointer starts at x = 0 on the first monitor, where a move reported as
# the windows appear is not counted.
xdotool mousemove 0 500
start_saver
covered_and_black "two monitors"
play_music 6
lit_and_centred "two monitors" real-monitors-2.png
kill "$PLAY_PID" 2>/dev/null
key_ends_saver "two monitors"

# --- The mouse, from one monitor to the next ---------------------------------
xdotool mousemove 0 500
start_saver
# Ten horizontal moves: five on the first monitor, five on the second.
for i in $(seq 10); do
    xdotool mousemove $((350 * i)) 500
    sleep 0.1
done
sleep 0.5
check "ten horizontal moves, the last five over the second monitor, leave the saver running" running "$PROGRAM_PID"
look
check "the pointer is invisible over the second monitor ($pointer visible pixels)" [ "$pointer" -eq 0 ]
xdotool mousemove 3600 600
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "the eleventh horizontal move, over the second monitor, ends the saver (in $EXIT_MS ms)"
else
    fail "the eleventh horizontal move, over the second monitor, ends the saver within a second"
    stop_saver
fi

# --- A monitor taken away while the saver runs -------------------------------
xdotool mousemove 0 500
start_saver
play_music 8
sleep 0.5
look_at_monitor 1
check "before, the saver covers monitor RIGHT ($white pixels of the white root show)" [ "$white" -eq 0 ]
remove_monitor RIGHT
sleep 1.5  # the windows follow within a second
check "with monitor RIGHT taken away the saver keeps running" running "$PROGRAM_PID"
MONITORS=("${MONITORS[0]}") MONITOR_NAMES=("${MONITOR_NAMES[0]}")
look 1920 0 1920 1080
check "its window on the monitor taken away is closed (the white root shows on $white of 2073600 pixels)" \
    [ "$white" -eq 2073600 ]
lit_and_centred "monitor RIGHT taken away" real-monitors-1-of-2.png
kill "$PLAY_PID" 2>/dev/null
key_ends_saver "monitor RIGHT taken away"

# --- Three monitors of unequal sizes -----------------------------------------
start_x_server --monitors 1920x1080,1280x1024,1024x768
xdotool mousemove 0 500
start_saver
covered_and_black "three monitors"
play_music 6
lit_and_centred "three monitors" real-monitors-3.png
kill "$PLAY_PID" 2>/dev/null
key_ends_saver "three monitors"

finish
