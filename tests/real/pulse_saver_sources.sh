#!/usr/bin/env bash
# The saver on the sound sources a desktop has (PulseAudio or PipeWire, see
# pulse/servers.sh): with no microphone, only the output's monitor, it starts
# with no message, draws with music and ends on a key, and the settings
# dialog's Cancel ends /c; a microphone is heard while the output is silent;
# a server without any source says "Couldn't get wavein meter" (and, having
# no output either, "Couldn't get waveout meter") once each, each box closing
# by itself after 30 s while the saver runs on. Prints the time from a sound's start to the first lit
# picture.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/pulse/saver.sh"
start_saver_scene
start_sound_server --no-microphone

# No microphone: the default source is the output's monitor.
start_saver
check "no microphone: the saver shows its window within 2 s ($SAVER_MS ms) and no message" \
    no_message_after 1
onsets=()
for try in 1 2 3; do
    dark_within 3 || fail "no microphone: the screen goes black in silence"
    sleep 0.3
    play sine-1
    if lit_within "$PLAY_MS" 2; then onsets+=($((LIT_MS - PLAY_MS))); else fail "no microphone: a tone lights the screen"; fi
    wait "$PLAY_PID"
done
pass "no microphone: sound lights the screen (start of a tone to first lit picture: ${onsets[*]} ms)"
check "no microphone: the saver keeps running with no message" keeps_running
key_ends "no microphone"

start_program /c
if dialog=$(window_named "Screen Saver Properties" 3); then
    sleep 1
    check "no microphone: /c shows no message" no_message_after 0
    geometry "$dialog"
    DX=$WX DY=$WY
    click "${CANCEL_BUTTON[@]}"
    if wait_for_exit "$PROGRAM_PID" 2; then pass "no microphone: Cancel ends /c"; else fail "no microphone: Cancel ends /c"; kill "$PROGRAM_PID"; fi
else
    fail "no microphone: /c shows the settings dialog"
fi

# A stand-in microphone, the default input: in silence on the output it is heard.
pactl load-module module-null-sink sink_name=mic_feed >/dev/null
pactl load-module module-remap-source source_name=test_mic master=mic_feed.monitor >/dev/null
pactl set-default-source test_mic
start_saver
check "a microphone: no message" no_message_after 1
dark_within 3 || fail "a microphone: the screen goes black in silence"
sleep 0.3
play sine-1 mic_feed
check "a microphone: sound on it lights the screen while the output is silent" lit_within "$PLAY_MS" 3
wait "$PLAY_PID"
key_ends "a microphone"

# No source at all: a server without any device.
sound_server_stop
start_sound_server --no-devices
start_saver
boxes_unanswered
check "no source: two messages, the recording line's and the output's, each closed by itself ($BOXES)" [ "$BOXES" = 2 ]
check "no source: then the saver runs with no further message" keeps_running
key_ends "no source"
finish
