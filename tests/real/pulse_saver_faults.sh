#!/usr/bin/env bash
# The saver through the sound server's faults (PulseAudio or PipeWire, see
# pulse/servers.sh): killed and restarted twice while music plays; stopped
# (SIGSTOP) while the saver runs, and before it starts; the default output
# switched while music plays; no server at all. In each the saver shows its
# window within 2 s, runs on, shows no message (none but the one "Couldn't
# open the mixer." without a server), ends on a key at once, and lights up
# with sound again once the server is back. Prints the time from a server's
# return to the first lit picture. The box without a server holds nothing:
# a key or the eleventh horizontal move ends the saver while it stands, and
# unanswered it closes after 30 s while the saver runs on.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/pulse/saver.sh"
start_saver_scene
server() { start_sound_server --no-microphone "module-null-sink sink_name=other_sink"; }
server

# music_lights WHAT [DEVICE]: music lights the screen (LIT_MS), then it is stopped.
music_lights() {
    play_music 4 "${2:-}"
    if lit_within "$PLAY_MS" 3; then pass "$1: music lights the screen"; else fail "$1: music lights the screen"; fi
}
stop_music() { kill "$PLAY_PID" 2>/dev/null; wait "$PLAY_PID" 2>/dev/null; }

start_saver
check "the saver starts with no message ($SAVER_MS ms to its window)" no_message_after 0.5
music_lights "before any fault"

returns=()
for round in 1 2; do
    sound_server_stop  # mid-music; the player loses its server too
    stop_music
    check "killed ($round): the screen goes black" dark_within 3
    check "killed ($round): the saver runs on with no message" keeps_running
    server
    back=$(now_ms)
    play_music 4
    if lit_within "$back" 3; then
        returns+=($((LIT_MS - back)))
        pass "restarted ($round): music lights the screen again"
    else
        fail "restarted ($round): music lights the screen again"
    fi
    stop_music
done
echo "server answering again to first lit picture: ${returns[*]} ms"

dark_within 3 || fail "the screen goes black after the music"
play_music 4
lit_within "$PLAY_MS" 3 || fail "music before the server is stopped"
sound_server_signal STOP
check "stopped while running: the screen goes black" dark_within 3
check "stopped while running: the saver runs on with no message" keeps_running
sound_server_signal CONT
stop_music
dark_within 3 || fail "the screen goes black after the music"
thawed=$(now_ms)
music_lights "thawed"
echo "server thawed to first lit picture: $((LIT_MS - thawed)) ms"

# The music moves with the default output, and so does the meter.
pactl set-default-sink other_sink
switched=$(now_ms)
sleep 1
check "default output switched while music plays: the screen stays lit" \
    [ "$(awk -v s="$switched" '$1=="dark" && $2>=s {n++} END {print n+0}' "$WATCH")" = 0 ]
stop_music
dark_within 3 || fail "the screen goes black after the music"
music_lights "on the new default output" other_sink
stop_music
check "no message after the faults" no_message_after 0
key_ends "after the faults"

# Stopped before the saver starts: no wait on it, no message.
dark_within 3 || true
sound_server_signal STOP
start_saver
check "stopped before the start: window in $SAVER_MS ms, no message" no_message_after 1
check "stopped before the start: the saver runs on" keeps_running
sound_server_signal CONT
thawed=$(now_ms)
music_lights "stopped before the start, then thawed"
echo "server thawed (stopped before the start) to first lit picture: $((LIT_MS - thawed)) ms"
stop_music
key_ends "stopped before the start"

# No server at all: the one message, over the saver, holding nothing.
sound_server_stop
start_saver
check "no server: the message shows" message_within 2
key_ends "no server, the message standing" a

# The pointer starts at x = 0, which the saver's count starts from; each
# move below changes the horizontal position once.
xdotool mousemove 0 500
start_saver
if box=$(message_within 2 && message_box); then
    pass "no server: the message shows again in a new run"
    eval "$(xdotool getwindowgeometry --shell "$box" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    for i in $(seq 10); do xdotool mousemove $((100 + 10 * i)) 100; sleep 0.1; done
    check "no server: ten horizontal moves over the saver leave it running" keeps_running_under_box
    # The eleventh, over the box: one desk for both.
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    if wait_for_exit "$PROGRAM_PID" 1; then
        pass "no server: the eleventh horizontal move, over the message, ends the saver"
    else
        fail "no server: the eleventh horizontal move, over the message, ends the saver"
        kill "$PROGRAM_PID"
    fi
else
    fail "no server: the message shows again in a new run"
fi

start_saver
boxes_unanswered
check "no server: one message, closed by itself after about ${BOX_SECONDS} s ($BOXES, the last stood ${BOX_MS:-?} ms)" \
    [ "$BOXES" = 1 ]
check "no server: then the saver runs with no further message" keeps_running
key_ends "no server"
finish
