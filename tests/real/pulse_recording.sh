#!/usr/bin/env bash
# The recording meter on a real PulseAudio server: with nothing playing, a
# sound on the microphone is heard, although the meter opens and closes the
# recording at every reading.
# Usage: pulse_recording.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

make_sounds
start_server
mic=$(source_index test_mic)
start_probe
wait_for_streams_on "$mic" 1 10 || fail "in silence the microphone is not metered"

# Speech into the microphone; the output stays silent.
t=$(now_us)
play "$T/speech.wav" mic_feed
wait "$PLAY_PID"
t_end=$(now_us)
wait_for_readings_until $((t_end + 300000))
read -r n lo hi <<<"$(levels_between "$t" $((t_end + 300000)))"
[ "$hi" -ge 4000 ] || fail "speech on the microphone peaked at $hi"

# A -6 dBFS sine into the microphone reads about half scale.
t=$(now_us)
play "$T/sine.wav" mic_feed
rise=$(wait_for_level "$t" 12000 20000 10) ||
  fail "the sine on the microphone never read about half scale (read $(levels_between "$t" "$(now_us)"))"
wait_for_readings_until $((rise + 1000000))
read -r n lo hi <<<"$(levels_between "$rise" $((rise + 1000000)))"
[ "$n" -ge 20 ] && [ "$lo" -ge 12000 ] && [ "$hi" -le 20000 ] ||
  fail "during the sine on the microphone $n readings went $lo..$hi"
wait "$PLAY_PID"

zero=$(wait_for_level "$(now_us)" 0 0 10) || fail "the level never fell back to 0"
wait_for_readings_until $((zero + 500000))
read -r n lo hi <<<"$(levels_between "$zero" $((zero + 500000)))"
[ "$hi" = 0 ] || fail "after the sine, silence read up to $hi"

[ "$(meter_streams_on "$mic")" = 1 ] || fail "the microphone has $(meter_streams_on "$mic") meter streams"
[ -z "$(messages)" ] || fail "unexpected messages: $(messages)"
stop_probe
echo "PASS: the microphone is heard through the recording meter"
