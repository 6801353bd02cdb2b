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

# one_picture_per_monitor DESK SHOT: runs -root on the desk's root window with
# music playing, looks at each monitor 6 times in 2.4 s, and checks that
# each is lit with rays and that its picture, at its fullest, is centred on
# it. SHOT keeps the whole desk at the fullest moment.
one_picture_per_monitor() {
    local desk=$1 shot=$2 i look_round most=() colours_at_most=() box=() desk_most=0
    play_music 5
    start_hack -root
    for i in "${!MONITORS[@]}"; do most[i]=0 colours_at_most[i]=0 box[i]=""; done
    for look_round in 1 2 3 4 5 6; do
        sleep 0.4
        look --save "$T/desk.png"
        if [ "$inside_lit" -gt "$desk_most" ]; then
            desk_most=$inside_lit
            cp "$T/desk.png" "$BUILD_DIR/$shot"
        fi
        for i in "${!MONITORS[@]}"; do
            look_at_monitor "$i"
            # The root's white where the hack has not drawn yet is no picture.
            [ "$white" -eq 0 ] || continue
            if [ "$inside_lit" -gt "${most[i]}" ]; then
                most[i]=$inside_lit colours_at_most[i]=$colours box[i]="$left $top $right $bottom"
            fi
        done
    done
    local x y w h
    for i in "${!MONITORS[@]}"; do
        read -r x y w h <<<"${MONITORS[$i]}"
        read -r left top right bottom <<<"${box[i]:--1 -1 -1 -1}"
        check "$desk: -root lights monitor ${MONITOR_NAMES[$i]} with rays (at most ${most[i]} pixels, ${colours_at_most[i]} colours)" \
            [ "${most[i]}" -gt 1000 -a "${colours_at_most[i]}" -gt 3 ]
        check "$desk: the picture on monitor ${MONITOR_NAMES[$i]} is centred on it (box $left,$top-$right,$bottom in ${w}x$h)" \
            centred_on $((w / 2)) $((h / 2))
    done
    kill -TERM "$HACK_PID"
    wait_for_exit "$HACK_PID" 1 || fail "$desk: the -root hack ends on SIGTERM"
    kill "$PLAY_PID" 2>/dev/null
    wait "$PLAY_PID" 2>/dev/null
}

start_x_server --monitors 1920x1080,1920x1080
one_picture_per_monitor "two monitors" real-hack-monitors-2.png

start_x_server --monitors 1920x1080,1280x1024,1024x768
one_picture_per_monitor "three monitors" real-hack-monitors-3.png

finish
