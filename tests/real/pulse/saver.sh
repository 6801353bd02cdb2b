# The saver with a real sound server, for tests/real/pulse_saver_*.sh (sourced
# after lib.sh): message boxes over the saver waited for, and the screen
# watched for the first lit picture.

WATCH=$T/watch.out

# Starts tests/real/screen.py watch in the background.
start_screen_watch() {
    python3 "$REAL_TESTS/screen.py" watch >"$WATCH" 2>"$T/watch.err" &
    PIDS+=($!)
    local i
    for i in $(seq 100); do [ -s "$WATCH" ] && return 0; sleep 0.02; done
    give_up "the screen watcher starts ($(cat "$T/watch.err"))"
}

# first_lit SINCE_MS: the time of the first turn to lit after then.
first_lit() { awk -v s="$1" '$1=="lit" && $2>=s {print $2; f=1; exit} END {exit !f}' "$WATCH"; }
# lit_within SINCE_MS SECONDS: waits for the screen to light; sets LIT_MS.
lit_within() {
    local i
    for i in $(seq $(($2 * 50))); do
        LIT_MS=$(first_lit "$1") && return 0
        sleep 0.02
    done
    return 1
}
# dark_now: the screen is black at this moment (the latest turn was to dark).
dark_now() { [ "$(awk '$1=="lit" || $1=="dark" {s=$1} END {print s}' "$WATCH")" = dark ]; }
# dark_within SECONDS
dark_within() {
    local i
    for i in $(seq $(($1 * 50))); do dark_now && return 0; sleep 0.02; done
    return 1
}

# The visible message box of the program, if one shows: a window titled with
# the program's name that does not cover the screen as the saver does.
message_box() {
    local id WIDTH=0
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = Gyrobloom ] || continue
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep '^WIDTH=')"
        [ "$WIDTH" -gt 0 ] && [ "$WIDTH" -lt 1920 ] && echo "$id" && return 0
    done
    return 1
}
# message_within SECONDS: waits for a box. (Its text cannot be read back
# here: Qt's box offers no copy on X11. The texts are checked by the meter
# probe's tests on the same servers, pulse_sources.sh.)
message_within() {
    local i
    for i in $(seq $(($1 * 20))); do
        message_box >/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# A box over the saver holds nothing: the user's key, click or eleventh
# horizontal move ends the run, and a box nobody answers closes by itself
# after 30 s.
BOX_SECONDS=30
# box_gone_within SECONDS: waits for the box standing now to close (the
# next may take its place at once); sets BOX_MS, how long it stood from the
# call.
box_gone_within() {
    local i t box
    t=$(now_ms)
    box=$(message_box) || { BOX_MS=0; return 0; }
    for i in $(seq $(($1 * 10))); do
        [ "$(message_box)" = "$box" ] || { BOX_MS=$(($(now_ms) - t)); return 0; }
        sleep 0.1
    done
    return 1
}
# boxes_unanswered: lets each box close by itself until no other comes
# within 2 s; sets BOXES to how many there were.
boxes_unanswered() {
    BOXES=0
    while message_within 2; do
        BOXES=$((BOXES + 1))
        box_gone_within $((BOX_SECONDS + 5)) || { fail "an unanswered box closes by itself"; return; }
        [ "$BOXES" -lt 5 ] || break
    done
}

# How often the program has given up the processor so far: a paced loop
# waits for each frame, so this grows by tens a second while the loop runs
# (its processor time, a few milliseconds a second, can stay within one clock
# tick for half a second); a hung loop does not wait and wake.
program_wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$PROGRAM_PID/status"; }
# keeps_running WHAT: the loop runs on for half a second (ten wake-ups at the
# least) and no box shows.
keeps_running() {
    local before
    before=$(program_wakeups)
    sleep 0.5
    running "$PROGRAM_PID" && [ "$(program_wakeups)" -ge $((before + 10)) ] && ! message_box >/dev/null
}

# keeps_running_under_box: the loop runs on (it waits in the box) and the box
# still stands.
keeps_running_under_box() {
    local before
    before=$(program_wakeups)
    sleep 0.5
    running "$PROGRAM_PID" && [ "$(program_wakeups)" -ge $((before + 10)) ] && message_box >/dev/null
}

# start_saver: "gyrobloom /s" shows its window within 2 s; sets SAVER_MS.
start_saver() {
    local t
    t=$(now_ms)
    start_program /s
    if ! wait_for_window "$PROGRAM_PID" 2 >/dev/null; then
        cat "$T/program-$PROGRAM_RUNS.log"
        give_up "the saver shows its window within 2 s"
    fi
    SAVER_MS=$(($(now_ms) - t))
}
# key_ends WHAT [KEY]: a key (space unless given) ends the saver within a
# second.
key_ends() {
    xdotool key "${2:-space}"
    if wait_for_exit "$PROGRAM_PID" 1; then pass "$1: a key ends the saver (in $EXIT_MS ms)"; else fail "$1: a key ends the saver within 1 s"; kill "$PROGRAM_PID"; fi
}
# no_message_after SECONDS: still no box once that long has passed.
no_message_after() { sleep "$1"; ! message_box >/dev/null; }

# start_saver_scene: what every saver test starts from: says which sound
# server it runs on, then an X server and the screen watcher.
start_saver_scene() {
    echo "sound server: $SOUND_SERVER"
    start_x_server
    start_screen_watch
}
