#!/usr/bin/env bash
# The saver with real sound: while music plays through a private PulseAudio
# server the screen shows coloured rays; when the music stops it goes black
# again; and a key still ends it. The screenshots are left in the build
# directory (real-animation-music.png, real-animation-silence.png).

source "$(dirname "$0")/lib.sh" "$@"

start_xvfb
start_pulse

# Music with a pulse to it: a chord whose loudness swells and falls twice a
# second, so that the meter sees peaks and tempo changes.
sox -n -r 44100 -c 2 -b 16 "$T/music.wav" synth 6 sine 220 sine 277 sine 330 tremolo 2 90 vol 0.8 2>/dev/null
[ -s "$T/music.wav" ] || { fail "sox made the test music"; finish; }

start_program /s
if ! wait_for_window "$PROGRAM_PID" 10 >/dev/null; then
    fail "/s shows a window"
    cat "$T/program-$PROGRAM_RUNS.log"
    finish
fi
sleep 1  # a few hundred steps of silence
lit=$(lit_pixels "$T/start.png")
check "before the music the screen is black ($lit lit pixels)" [ "$lit" -eq 0 ]

paplay --latency-msec=20 "$T/music.wav" &
PLAY_PID=$!
PIDS+=($PLAY_PID)
most=0
for i in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    lit=$(lit_pixels "$T/music-$i.png")
    if [ "$lit" -gt "$most" ]; then
        most=$lit
        cp "$T/music-$i.png" "$BUILD_DIR/real-animation-music.png"
    fi
done
check "with music playing the rays light the screen (at most $most lit pixels)" [ "$most" -gt 2000 ]
colours=$(/usr/bin/convert "$BUILD_DIR/real-animation-music.png" -format '%k' info:)
check "the rays are coloured ($colours colours on screen)" [ "$colours" -gt 3 ]

wait "$PLAY_PID"
sleep 2  # the trails are erased within a few steps of silence
lit=$(lit_pixels "$BUILD_DIR/real-animation-silence.png")
# The first segment of each ray after a start stays by design; the saver
# started in silence, so those are black too.
check "after the music the screen is black again ($lit lit pixels)" [ "$lit" -eq 0 ]

check "the saver is still running" running "$PROGRAM_PID"
xdotool key space
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "a key press ends it (in ${EXIT_MS} ms)"
else
    fail "a key press ends it within a second"
fi

finish
