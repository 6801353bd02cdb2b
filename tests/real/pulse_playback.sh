#!/usr/bin/env bash
# The playback meter on a real PulseAudio server: a -6 dBFS sine reads about
# half scale and recorded speech is heard, and the level falls back to 0 when
# each ends. In silence the meter listens to the microphone; once the
# playback has sounded longer than the linger, the microphone is let go.
# Usage: pulse_playback.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

make_sounds
start_server
mic=$(source_index test_mic)
start_probe

wait_for_streams_on "$mic" 1 10 || fail "in silence the microphone is not metered"

# Back to 0 after a sound ends: a reading of 0, and only 0 for half a second.
expect_silence_after() {
  local zero n lo hi
  zero=$(wait_for_level "$1" 0 0 10) || fail "the level never fell back to 0 after $2"
  wait_for_readings_until $((zero + 500000))
  read -r n lo hi <<<"$(levels_between "$zero" $((zero + 500000)))"
  [ "$hi" = 0 ] || fail "after $2, silence read up to $hi"
}

# The sine: about half scale, steadily.
t=$(now_us)
play "$T/sine6.wav"
rise=$(wait_for_level "$t" 12000 20000 10) ||
  fail "the sine never read about half scale (read $(levels_between "$t" "$(now_us)"))"
wait_for_readings_until $((rise + 1000000))
read -r n lo hi <<<"$(levels_between "$rise" $((rise + 1000000)))"
[ "$n" -ge 20 ] && [ "$lo" -ge 12000 ] && [ "$hi" -le 20000 ] ||
  fail "during the sine $n readings went $lo..$hi, not about half scale"

# The sine keeps the playback meter above 0: after the linger the
# microphone is no longer captured, while the sine still plays.
wait_for_streams_on "$mic" 0 6 || fail "the microphone is still captured while the playback sounds"
kill -0 "$PLAY_PID" 2>/dev/null || fail "the sine ended before the microphone was let go"
wait "$PLAY_PID"
expect_silence_after "$(now_us)" "the sine"
wait_for_streams_on "$mic" 1 10 || fail "in silence again the microphone is not metered"

# Recorded speech.
t=$(now_us)
play "$T/speech.wav"
wait "$PLAY_PID"
t_end=$(now_us)
wait_for_readings_until $((t_end + 300000))
read -r n lo hi <<<"$(levels_between "$t" $((t_end + 300000)))"
[ "$hi" -ge 4000 ] && [ "$hi" -le 32767 ] || fail "the speech peaked at $hi"
expect_silence_after "$t_end" "the speech"

[ -z "$(messages)" ] || fail "unexpected messages: $(messages)"
stop_probe
echo "PASS: sine and speech read on the playback meter"
