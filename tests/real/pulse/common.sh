# Shared by tests/real/pulse_*.sh: a private PulseAudio server, the meter
# probe, test sounds, and checks on what the probe printed. Each script
# sources this with the build directory in BUILD; everything it starts is
# stopped by PID when the script exits, and its files live in its own
# temporary directory.

set -euo pipefail

PROBE=${GYROBLOOM_PULSE_PROBE:-$BUILD/audio/pulse/gyrobloom_pulse_probe}
[ -x "$PROBE" ] || { echo "FAIL: probe not built: $PROBE"; exit 1; }
for tool in pulseaudio pactl paplay sox espeak-ng; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/setup.sh installs it)"; exit 1; }
done

T=$(mktemp -d "${TMPDIR:-/tmp}/gyrobloom-pulse.XXXXXX")
export XDG_RUNTIME_DIR=$T/xdg PULSE_RUNTIME_PATH=$T/pulse HOME=$T/home PULSE_SERVER=unix:$T/pulse/native
unset DISPLAY PULSE_SINK PULSE_SOURCE
mkdir -p "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH"

SERVER_PID=""
PROBE_PID=""
OUT=$T/probe.out
PIDS=()

cleanup() {
  local pid
  for pid in "${PIDS[@]}" $PROBE_PID $SERVER_PID; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${PIDS[@]}" $PROBE_PID $SERVER_PID; do
    wait "$pid" 2>/dev/null || true
  done
  if [ "${KEEP_TMP:-}" = 1 ]; then echo "kept $T"; else rm -rf "$T"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -s "$OUT" ]; then echo "--- last probe lines"; grep -v '^reading' "$OUT" | tail -5; tail -5 "$OUT"; fi
  exit 1
}

now_us() { date +%s%6N; }

# Starts the server with an output "test_sink" and a microphone "test_mic"
# (a real source, fed by whatever is played into the sink "mic_feed"), plus
# any extra modules given as arguments.
start_server() {
  local modules=(-L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native"
    -L "module-null-sink sink_name=test_sink"
    -L "module-null-sink sink_name=mic_feed"
    -L "module-remap-source source_name=test_mic master=mic_feed.monitor")
  local extra
  for extra in "$@"; do modules+=(-L "$extra"); done
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
    --log-target=stderr "${modules[@]}" 2>>"$T/pulseaudio.log" &
  SERVER_PID=$!
  local i
  for i in $(seq 250); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$SERVER_PID" 2>/dev/null || fail "pulseaudio did not start: $(tail -3 "$T/pulseaudio.log")"
    sleep 0.02
  done
  pactl info >/dev/null 2>&1 || fail "pulseaudio does not answer"
  pactl set-default-sink test_sink
  pactl set-default-source test_mic
}

stop_server() {
  kill "$SERVER_PID"
  wait "$SERVER_PID" 2>/dev/null || true
  SERVER_PID=""
}

start_probe() {
  "$PROBE" --seconds 240 "$@" >"$OUT" 2>"$T/probe.err" &
  PROBE_PID=$!
}

# Ends the probe with SIGTERM; it must release the meter and exit 0.
stop_probe() {
  kill -TERM "$PROBE_PID"
  local i
  for i in $(seq 500); do kill -0 "$PROBE_PID" 2>/dev/null || break; sleep 0.02; done
  kill -0 "$PROBE_PID" 2>/dev/null && fail "the probe hangs after SIGTERM"
  local status=0
  wait "$PROBE_PID" || status=$?
  PROBE_PID=""
  [ "$status" = 0 ] || fail "the probe exited with $status: $(tail -3 "$T/probe.err")"
  tail -1 "$OUT" | grep -qx done || fail "the probe did not release the meter"
}

# make_sounds: a 3 s -6 dBFS sine, a 6 s one, and recorded speech.
make_sounds() {
  sox -n -r 44100 -c 2 -b 16 "$T/sine.wav" synth 3 sine 440 vol 0.5
  sox -n -r 44100 -c 2 -b 16 "$T/sine6.wav" synth 6 sine 440 vol 0.5
  espeak-ng -w "$T/speech.wav" "Gyrobloom listens to the sound of the computer and draws it."
}

# play FILE [DEVICE]: plays in the background; the PID is in PLAY_PID.
play() {
  paplay --latency-msec=20 ${2:+--device=$2} "$1" &
  PLAY_PID=$!
  PIDS+=("$PLAY_PID")
}

# Waits for the probe to print (after SINCE_US) a reading with a level in
# MIN..MAX, for at most TIMEOUT_S; prints the reading's time.
wait_for_level() {
  local since=$1 min=$2 max=$3 timeout=$4 found i
  for i in $(seq $((timeout * 50))); do
    found=$(awk -v s="$since" -v lo="$min" -v hi="$max" \
      '$1=="reading" && $2>s && $3>=lo && $3<=hi {print $2; exit}' "$OUT")
    [ -n "$found" ] && { echo "$found"; return 0; }
    kill -0 "$PROBE_PID" 2>/dev/null || fail "the probe died"
    sleep 0.02
  done
  return 1
}

# Waits until the probe has printed readings up to time UNTIL_US.
wait_for_readings_until() {
  local until=$1 i
  for i in $(seq 500); do
    awk -v u="$until" '$1=="reading" && $2>=u {found=1; exit} END {exit !found}' "$OUT" && return 0
    kill -0 "$PROBE_PID" 2>/dev/null || fail "the probe died"
    sleep 0.02
  done
  fail "the probe stopped reading (it hangs)"
}

# Prints "count min max" of the levels read in FROM_US..TO_US.
levels_between() {
  awk -v a="$1" -v b="$2" '$1=="reading" && $2>=a && $2<=b {
      n++; if (n==1 || $3<lo) lo=$3; if (n==1 || $3>hi) hi=$3 }
    END {print n+0, lo+0, hi+0}' "$OUT"
}

messages() { grep '^message ' "$OUT" | sed 's/^message //' || true; }

# The index of a source by name.
source_index() { pactl list short sources | awk -v n="$1" '$2==n {print $1}'; }

# How many of the probe's peak streams record from the source with this index.
meter_streams_on() {
  pactl list short source-outputs | awk -v s="$1" '$2==s && /float32le 1ch 50Hz/ {n++} END {print n+0}'
}

# Waits for `meter_streams_on INDEX` to equal COUNT, for at most TIMEOUT_S.
wait_for_streams_on() {
  local index=$1 count=$2 timeout=$3 i
  for i in $(seq $((timeout * 20))); do
    [ "$(meter_streams_on "$index")" = "$count" ] && return 0
    sleep 0.05
  done
  return 1
}
