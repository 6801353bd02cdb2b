#!/usr/bin/env bash
# The recording meter on a real sound server: with the output silent, sound
# on the microphone is heard, although the meter opens and closes the
# recording at every reading.
source "$(dirname "$0")/lib.sh" "$@"
source "$REAL_TESTS/pulse/probe.sh"

start_metering
play_through speech mic_feed
check "speech on the microphone is heard (it peaked at $HI)" [ "$HI" -ge 4000 ]
half_scale sine-3 mic_feed "the sine on the microphone"
wait "$PLAY_PID"
silence_after "$(now_us)" "the sine"
check "the microphone has one meter stream ($(meter_streams_on "$MIC"))" [ "$(meter_streams_on "$MIC")" = 1 ]
probe_ends_clean "the microphone is heard through the recording meter"
finish
