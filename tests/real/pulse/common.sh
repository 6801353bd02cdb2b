# Shared by tests/real/pulse_*.sh (sourced with the build directory in BUILD):
# a private sound server (PulseAudio, or PipeWire with GYROBLOOM_SOUND_SERVER=
# pipewire; see servers.sh), the meter probe, test sounds, and checks on what
# the probe printed. Everything started here is stopped by PID on exit;
# files live in a temporary directory of the script's own.

set -euo pipefail

PROBE=${GYROBLOOM_PULSE_PROBE:-$BUILD/audio/pulse/gyrobloom_pulse_probe}
[ -x "$PROBE" ] || { echo "FAIL: probe not built: $PROBE"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/servers.sh"
for tool in $(sound_server_missing) paplay sox espeak-ng; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/setup.sh installs it)"; exit 1; }
done
echo "sound server: $SOUND_SERVER"

T=$(mktemp -d "${TMPDIR:-/tmp}/gyrobloom-pulse.XXXXXX")
export XDG_RUNTIME_DIR=$T/xdg HOME=$T/home SOUND_LOG_DIR=$T
unset DISPLAY
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
sound_server_env
PROBE_PID="" OUT=$T/probe.out PIDS=()

cleanup() {
  local pids=("${PIDS[@]}" $PROBE_PID)
  [ ${#pids[@]} = 0 ] || { kill "${pids[@]}" 2>/dev/null; wait "${pids[@]}" 2>/dev/null; } || true
  sound_server_teardown
  if [ "${KEEP_TMP:-}" = 1 ]; then echo "kept $T"; else rm -rf "$T"; fi
}
trap cleanup EXIT

fail() {
  {
    echo "FAIL: $*"
    if [ -s "$OUT" ]; then echo "--- last probe lines"; grep -v '^reading' "$OUT" | tail -5; tail -5 "$OUT"; fi
  } >&2
  exit 1
}

now_us() { date +%s%6N; }

# until_true TIMEOUT_S COMMAND...: runs COMMAND every 20 ms until it succeeds.
until_true() {
  local i
  for i in $(seq $(($1 * 50))); do
    "${@:2}" && return 0
    [ -z "$PROBE_PID" ] || kill -0 "$PROBE_PID" 2>/dev/null || fail "the probe died"
    sleep 0.02
  done
  return 1
}

# An output "test_sink", a microphone "test_mic" (fed by what is played into
# the sink "mic_feed"), and the extra modules given.
start_server() {
  sound_server_start "module-null-sink sink_name=test_sink" "module-null-sink sink_name=mic_feed" \
    "module-remap-source source_name=test_mic master=mic_feed.monitor" "$@" ||
    fail "$SOUND_SERVER does not answer: $(tail -3 "$T/$SOUND_SERVER.log")"
  pactl set-default-sink test_sink
  pactl set-default-source test_mic
  # PipeWire keeps telling a client that connects before its session manager
  # has taken these defaults "@DEFAULT_SINK@" for many seconds; the meter
  # then stands in the first output, which is not what these tests follow.
  until_true 5 defaults_taken || fail "$SOUND_SERVER did not take the default devices"
}
defaults_taken() {
  local info
  info=$(pactl info 2>/dev/null) || return 1
  grep -qx 'Default Sink: test_sink' <<<"$info" && grep -qx 'Default Source: test_mic' <<<"$info"
}

stop_server() { sound_server_stop; }

start_probe() { "$PROBE" --seconds 240 >"$OUT" 2>"$T/probe.err" & PROBE_PID=$!; }

# A 3 s and a 6 s -6 dBFS sine, and recorded speech.
make_sounds() {
  sox -n -r 44100 -c 2 -b 16 "$T/sine.wav" synth 3 sine 440 vol 0.5
  sox -n -r 44100 -c 2 -b 16 "$T/sine6.wav" synth 6 sine 440 vol 0.5
  espeak-ng -w "$T/speech.wav" "Gyrobloom listens to the sound of the computer and draws it."
}

# Sounds, a server with the given extra modules, and the probe, which in
# silence meters the microphone (its index is in MIC).
start_metering() {
  make_sounds
  start_server "$@"
  MIC=$(source_index test_mic)
  start_probe
  wait_for_streams_on "$MIC" 1 10 || fail "in silence the microphone is not metered"
}

probe_ended() { ! kill -0 "$PROBE_PID" 2>/dev/null; }
# Ends the probe with SIGTERM: it must release the meter and exit 0.
stop_probe() {
  local status=0
  kill -TERM "$PROBE_PID"
  until_true 10 probe_ended || fail "the probe hangs after SIGTERM"
  wait "$PROBE_PID" || status=$?
  PROBE_PID=""
  [ "$status" = 0 ] || fail "the probe exited with $status: $(tail -3 "$T/probe.err")"
  tail -1 "$OUT" | grep -qx done || fail "the probe did not release the meter"
}

# pass WHAT: no message was shown, the probe ends cleanly.
pass() {
  [ -z "$(messages)" ] || fail "unexpected messages: $(messages)"
  stop_probe
  echo "PASS: $*"
}

# play FILE [DEVICE]: in the background, PID in PLAY_PID.
play() {
  paplay --latency-msec=20 ${2:+--device=$2} "$1" &
  PLAY_PID=$!
  PIDS+=("$PLAY_PID")
}

# play_through FILE [DEVICE]: plays to the end and sets N LO HI to the count
# and range of the levels read from its start to 0.3 s after its end (PLAY_END).
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
  wait_for_level $(($1 - 1)) 0 32767 10 >/dev/null || fail "the probe stopped reading (it hangs)"
}

# Prints "count min max" of the levels read in FROM_US..TO_US.
levels_between() {
  awk -v a="$1" -v b="$2" '$1=="reading" && $2>=a && $2<=b {
      n++; if (n==1 || $3<lo) lo=$3; if (n==1 || $3>hi) hi=$3 }
    END {print n+0, lo+0, hi+0}' "$OUT"
}

# half_scale FILE DEVICE WHAT: a -6 dBFS sine reads about half scale, steadily for 1 s.
half_scale() {
  local t rise n lo hi
  t=$(now_us)
  play "$1" "$2"
  rise=$(wait_for_level "$t" 12000 20000 10) ||
    fail "$3 never read about half scale (read $(levels_between "$t" "$(now_us)"))"
  wait_for_readings_until $((rise + 1000000))
  read -r n lo hi <<<"$(levels_between "$rise" $((rise + 1000000)))"
  [ "$n" -ge 20 ] && [ "$lo" -ge 12000 ] && [ "$hi" -le 20000 ] || fail "during $3 $n readings went $lo..$hi"
}

# silence_after SINCE_US WHAT: a reading of 0, and only 0 for half a second.
silence_after() {
  local zero n lo hi
  zero=$(wait_for_level "$1" 0 0 10) || fail "the level never fell back to 0 after $2"
  wait_for_readings_until $((zero + 500000))
  read -r n lo hi <<<"$(levels_between "$zero" $((zero + 500000)))"
  [ "$hi" = 0 ] || fail "after $2, silence read up to $hi"
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
