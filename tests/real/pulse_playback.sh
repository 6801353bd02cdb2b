#!/usr/bin/env bash
# The playback meter on a real PulseAudio server: a -6 dBFS sine reads about
# half scale and recorded speech is heard, and the level falls back to 0 when
# each ends. Once the playback has sounded longer than the linger, the
# microphone is let go.
# Usage: pulse_playback.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

start_metering
half_scale "$T/sine6.wav" "" "the sine"
wait_for_streams_on "$MIC" 0 6 || fail "the microphone is still captured while the playback sounds"
kill -0 "$PLAY_PID" 2>/dev/null || fail "the sine ended before the microphone was let go"
wait "$PLAY_PID"
silence_after "$(now_us)" "the sine"
wait_for_streams_on "$MIC" 1 10 || fail "in silence again the microphone is not metered"

play_through "$T/speech.wav"
[ "$HI" -ge 4000 ] || fail "the speech peaked at $HI"
silence_after "$PLAY_END" "the speech"
pass "sine and speech read on the playback meter"
