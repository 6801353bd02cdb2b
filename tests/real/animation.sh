#!/usr/bin/env bash
# The saver with real sound: while music plays through a private sound
# server the screen shows coloured rays; when the music stops it goes black
# again; and a key still ends it. The screenshots are left in the build
# directory (real-animation-music.png, real-animation-silence.png).

source "$(dirname "$0")/lib.sh" "$@"

start_x_server
start_sound_server
make_sound music-6

start_program /s
if ! wait_for_window "$PROGRAM_PID" 10 >/dev/null; then
    cat "$T/program-$PROGRAM_RUNS.log"
    give_up "/s shows a window"
fi
sleep 1  # a few hundred steps of silence
look
check "before the music the screen is black ($inside_lit lit pixels)" [ "$inside_lit" -eq 0 ]

play_music 6
most=0 most_colours=0
for i in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    look --save "$T/music-$i.png"
    if [ "$inside_lit" -gt "$most" ]; then
        most=$inside_lit most_colours=$colours
        cp "$T/music-$i.png" "$BUILD_DIR/real-animation-music.png"
    fi
done
check "with music playing the rays light the screen (at most $most lit pixels)" [ "$most" -gt 2000 ]
check "the rays are coloured ($most_colours colours on screen)" [ "$most_colours" -gt 3 ]

wait "$PLAY_PID"
sleep 2  # the trails are erased within a few steps of silence
look --save "$BUILD_DIR/real-animation-silence.png"
# The first segment of each ray after a start stays by design; the saver
# started in silence, so those are black too.
check "after the music the screen is black again ($inside_lit lit pixels)" [ "$inside_lit" -eq 0 ]

check "the saver is still running" running "$PROGRAM_PID"
xdotool key space
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "a key press ends it (in ${EXIT_MS} ms)"
else
    fail "a key press ends it within a second"
fi

finish
