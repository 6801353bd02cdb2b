# The saver on a 7680x4320 screen: it covers it and draws with music as on a
# small one, and its memory does not grow with the screen (nothing of the
# program's own holds the picture; one frame at that size would be 127 MiB).

source "$(dirname "$0")/lib.sh" "$@"

start_sound_server
make_sound music-3

# run_at SIZE: runs the saver with music on a screen of that size for a
# second and a half; sets PEAK (peak resident memory in KiB, 0 when it did
# not run), SIZE (its window's) and LIT (lit pixels on the screen).
run_at() {
    start_x_server "$1"
    start_program /s
    local window
    PEAK=0 SIZE=none LIT=0
    if window=$(wait_for_window "$PROGRAM_PID" 10); then
        play_music 3
        sleep 1.5
        local WIDTH=0 HEIGHT=0
        eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
        SIZE=${WIDTH}x${HEIGHT}
        look
        LIT=$inside_lit
        PEAK=$(awk '/^VmHWM:/ {print $2}' "/proc/$PROGRAM_PID/status")
        xdotool key a
        wait_for_exit "$PROGRAM_PID" 2 || kill "$PROGRAM_PID"
        kill "$PLAY_PID" 2>/dev/null
        wait "$PLAY_PID" 2>/dev/null
    fi
}

run_at 1920x1080
small=$PEAK small_lit=$LIT
run_at 7680x4320
big=$PEAK big_size=$SIZE big_lit=$LIT
check "the saver covers the big screen (${big_size})" [ "$big_size" = 7680x4320 ]
check "music lights the big screen ($big_lit lit pixels; $small_lit on the small one)" [ "$big_lit" -gt 0 ]
check "the big screen costs little more memory: peak $((big / 1024)) MiB against $((small / 1024)) MiB at 1920x1080" \
    awk -v b="$big" -v s="$small" 'BEGIN { exit !(s > 0 && b - s < 32 * 1024) }'
finish
