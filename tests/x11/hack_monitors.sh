#!/usr/bin/env bash
# gyrobloom-hack run by hand on the root window of a desk of several
# monitors (one X server split into monitors side by side), with music
# played through a private sound server: -root, with no daemon's window in
# $XSCREENSAVER_WINDOW, draws one picture per monitor, each lit and centred
# on its monitor, on two monitors of one size and on three of unequal
# sizes. Screenshots of the whole desk are left in the build directory
# (real-hack-monitors-2.png, real-hack-monitors-3.png).
#
# Arguments: gyrobloom-hack, the build directory, gyrobloom_xprobe.

source "$(dirname "$0")/../real/lib.sh" "$1" "$2"
source "$(dirname "$0")/hack.sh" "$3"

start_sound_server
write_mirrored_settings
unset XSCREENSAVER_WINDOW

# one_picture_per_monitor DESK SHOT: runs -root on the desk's root window
# with music playing, looks at each monitor 6 times in 2.4 s
# (watch_monitors), and checks that each is lit with rays and that its
# picture is centred on it.
one_picture_per_monitor() {
    local desk=$1 shot=$2 i
    play_music 5
    start_hack -root
    watch_monitors 6 0.4 "$shot"
    for i in "${!MONITORS[@]}"; do
        check "$desk: -root lights monitor ${MONITOR_NAMES[$i]} with rays (at most ${MOST_LIT[i]} pixels, ${MOST_COLOURS[i]} colours)" \
            [ "${MOST_LIT[i]}" -gt 1000 -a "${MOST_COLOURS[i]}" -gt 3 ]
        centred_on_monitor "$i"
        check "$desk: the picture on monitor ${MONITOR_NAMES[$i]} is centred on it (box $left,$top-$right,$bottom in $(monitor_size "$i"))" \
            centred_on_monitor "$i"
    done
    kill -TERM "$HACK_PID" 2>/dev/null
    wait_for_exit "$HACK_PID" 1 || fail "$desk: the -root hack ends on SIGTERM"
    kill "$PLAY_PID" 2>/dev/null
    wait "$PLAY_PID" 2>/dev/null
}

start_x_server --monitors 1920x1080,1920x1080
one_picture_per_monitor "two monitors" real-hack-monitors-2.png

start_x_server --monitors 1920x1080,1280x1024,1024x768
one_picture_per_monitor "three monitors" real-hack-monitors-3.png

finish
