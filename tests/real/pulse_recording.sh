#!/usr/bin/env bash
# The recording meter on a real PulseAudio server: with the output silent,
# sound on the microphone is heard, although the meter opens and closes the
# recording at every reading.
# Usage: pulse_recording.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

start_metering
play_through "$T/speech.wav" mic_feed
[ "$HI" -ge 4000 ] || fail "speech on the microphone peaked at $HI"
half_scale "$T/sine.wav" mic_feed "the sine on the microphone"
wait "$PLAY_PID"
silence_after "$(now_us)" "the sine"
[ "$(meter_streams_on "$MIC")" = 1 ] || fail "the microphone has $(meter_streams_on "$MIC") meter streams"
pass "the microphone is heard through the recording meter"
