#!/usr/bin/env bash
# The meters follow the user's default output and input on a real
# PulseAudio server; with a monitor as the default input, the first real
# input is metered instead.
# Usage: pulse_defaults.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

make_sounds
start_server "module-null-sink sink_name=other_sink" "module-null-sink sink_name=other_feed" \
  "module-remap-source source_name=other_mic master=other_feed.monitor"
mic=$(source_index test_mic)
other_mic=$(source_index other_mic)
start_probe
wait_for_streams_on "$mic" 1 10 || fail "in silence the microphone is not metered"

# heard DEVICE WHAT: a sine played there reads about half scale.
heard() {
  local t
  t=$(now_us)
  play "$T/sine.wav" "$1"
  wait_for_level "$t" 12000 20000 10 >/dev/null || fail "$2 was not heard (read $(levels_between "$t" "$(now_us)"))"
  wait "$PLAY_PID"
  wait_for_level "$(now_us)" 0 0 10 >/dev/null || fail "the level never fell back to 0 after $2"
}

# not_heard DEVICE WHAT: every reading while a sine plays there is 0.
not_heard() {
  local t t_end n lo hi
  t=$(now_us)
  play "$T/sine.wav" "$1"
  wait "$PLAY_PID"
  t_end=$(now_us)
  wait_for_readings_until $((t_end + 300000))
  read -r n lo hi <<<"$(levels_between "$t" $((t_end + 300000)))"
  [ "$n" -gt 0 ] && [ "$hi" = 0 ] || fail "$2 was heard ($n readings up to $hi)"
}

pactl set-default-sink other_sink
heard other_sink "a sine on the new default output"
not_heard test_sink "a sine on the old default output"

pactl set-default-source other_mic
wait_for_streams_on "$other_mic" 1 10 || fail "the new default input is not metered"
wait_for_streams_on "$mic" 0 10 || fail "the old default input is still metered"
heard other_feed "a sine on the new default input"
not_heard mic_feed "a sine on the old default input"

# A monitor is no microphone: the first real input stands in.
pactl set-default-source test_sink.monitor
wait_for_streams_on "$mic" 1 10 || fail "with a monitor as default input, the first real input is not metered"
heard mic_feed "a sine on the first real input"

[ -z "$(messages)" ] || fail "unexpected messages: $(messages)"
stop_probe
echo "PASS: the meters follow the default devices"
