# The meter probe (gyrobloom_pulse_probe) on the script's sound server, for
# tests/real/pulse_*.sh (sourced after lib.sh): the probe meters what the
# default devices play and record as the program's meter does and prints
# each reading ("reading <epoch-us> <level>") and each message; these
# helpers start it, wait on what it read and check it.

PROBE=${GYROBLOOM_PULSE_PROBE:-$BUILD_DIR/audio/pulse/gyrobloom_pulse_probe}
[ -x "$PROBE" ] || give_up "the probe is built ($PROBE)"
for tool in paplay sox espeak-ng; do
    command -v "$tool" >/dev/null || give_up "$tool is installed (tools/setup.sh installs it)"
done
echo "sound server: $SOUND_SERVER"
PROBE_PID="" OUT=$T/probe.out
show_on_failure "$OUT" "$T/probe.err"

# until_true TIMEOUT_S COMMAND...: runs COMMAND every 20 ms until it succeeds.
until_true() {
    local i
    for i in $(seq $(($1 * 50))); do
        "${@:2}" && return 0
        [ -z "$PROBE_PID" ] || kill -0 "$PROBE_PID" 2>/dev/null || give_up "the probe runs on (it died)"
        sleep 0.02
    done
    return 1
}

start_probe() {
    "$PROBE" --seconds 240 >"$OUT" 2>"$T/probe.err" &
    PROBE_PID=$!
    PIDS+=($PROBE_PID)
}

# start_metering [MODULE_LINE...]: the sound server (with the extra devices
# given) and the probe, which in silence meters the microphone (its index
# is in MIC).
start_metering() {
    start_sound_server "$@"
    MIC=$(source_index test_mic)
    start_probe
    require "in silence the microphone is metered" wait_for_streams_on "$MIC" 1 10
}

process_ended() { ! kill -0 "$1" 2>/dev/null; }
# stop_probe: SIGTERM ends the probe, which releases the meter and exits 0.
# From the signal on its ending is expected, not a death that until_true
# would give up on.
stop_probe() {
    local status=0 pid=$PROBE_PID
    PROBE_PID=""
    kill -TERM "$pid"
    require "the probe ends on SIGTERM" until_true 10 process_ended "$pid"
    wait "$pid" || status=$?
    check "the probe exits with status 0 (got $status: $(tail -n 3 "$T/probe.err"))" [ "$status" = 0 ]
    check "the probe releases the meter" grep -qx done <(tail -n 1 "$OUT")
}

# probe_ends_clean WHAT: no message was shown, and the probe ends cleanly.
probe_ends_clean() {
    check "$*: no message was shown ($(messages))" [ -z "$(messages)" ]
    stop_probe
}

# play_through NAME [DEVICE]: plays a test sound to the end and sets N LO
# HI to the count and range of the levels read from its start to 0.3 s
# after its end (PLAY_END).
play_through() {
    local t
    t=$(now_us)
    play "$@"
    wait "$PLAY_PID"
    PLAY_END=$(now_us)
    wait_for_readings_until $((PLAY_END + 300000))
    read -r N LO HI <<<"$(levels_between "$t" $((PLAY_END + 300000)))"
}

# Prints the time of the first reading after SINCE_US with a level in MIN..MAX.
level_seen() {
    awk -v s="$1" -v lo="$2" -v hi="$3" '$1=="reading" && $2>s && $3>=lo && $3<=hi {print $2; f=1; exit}
        END {exit !f}' "$OUT"
}
# wait_for_level SINCE_US MIN MAX TIMEOUT_S
wait_for_level() { until_true "$4" level_seen "$1" "$2" "$3"; }
# wait_for_readings_until UNTIL_US: the probe has read up to then.
wait_for_readings_until() {
    wait_for_level $(($1 - 1)) 0 32767 10 >/dev/null || give_up "the probe reads on (it stopped: it hangs)"
}

# Prints "count min max" of the levels read in FROM_US..TO_US.
levels_between() {
    awk -v a="$1" -v b="$2" '$1=="reading" && $2>=a && $2<=b {
            n++; if (n==1 || $3<lo) lo=$3; if (n==1 || $3>hi) hi=$3 }
        END {print n+0, lo+0, hi+0}' "$OUT"
}

# half_scale NAME DEVICE WHAT: a -6 dBFS sine reads about half scale,
# steadily for 1 s.
half_scale() {
    local t rise n lo hi
    t=$(now_us)
    play "$1" "$2"
    rise=$(wait_for_level "$t" 12000 20000 10) ||
        give_up "$3 reads about half scale (read $(levels_between "$t" "$(now_us)"))"
    wait_for_readings_until $((rise + 1000000))
    read -r n lo hi <<<"$(levels_between "$rise" $((rise + 1000000)))"
    check "$3 reads about half scale, steadily for 1 s ($n readings went $lo..$hi)" \
        [ "$n" -ge 20 -a "$lo" -ge 12000 -a "$hi" -le 20000 ]
}

# silence_after SINCE_US WHAT: a reading of 0, and only 0 for half a second.
silence_after() {
    local zero n lo hi
    zero=$(wait_for_level "$1" 0 0 10) || give_up "the level falls back to 0 after $2"
    wait_for_readings_until $((zero + 500000))
    read -r n lo hi <<<"$(levels_between "$zero" $((zero + 500000)))"
    check "after $2 the level falls back to 0 and stays there (read up to $hi)" [ "$hi" = 0 ]
}

messages() { grep '^message ' "$OUT" | sed 's/^message //' || true; }

source_index() { pactl list short sources | awk -v n="$1" '$2==n {print $1}'; }

# How many of the probe's peak streams record from the source with this index.
meter_streams_on() {
    pactl list short source-outputs | awk -v s="$1" '$2==s && /float32le 1ch 50Hz/ {n++} END {print n+0}'
}
streams_on_are() { [ "$(meter_streams_on "$1")" = "$2" ]; }
# wait_for_streams_on INDEX COUNT TIMEOUT_S
wait_for_streams_on() { until_true "$3" streams_on_are "$1" "$2"; }
