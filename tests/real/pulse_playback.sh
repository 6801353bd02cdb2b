#!/usr/bin/env bash
# The playback meter on a real sound server: a -6 dBFS sine reads about half
# scale and recorded speech is heard, and the level falls back to 0 when
# each ends. Once the playback has sounded longer than the linger, the
# microphone is let go.
source "$(dirname "$0")/lib.sh" "$@"
source "$REAL_TESTS/pulse/probe.sh"

start_metering
half_scale sine-6 "" "the sine"
check "the microphone is let go while the playback sounds" wait_for_streams_on "$MIC" 0 6
check "before the sine ends" kill -0 "$PLAY_PID"
wait "$PLAY_PID"
silence_after "$(now_us)" "the sine"
require "in silence again the microphone is metered" wait_for_streams_on "$MIC" 1 10

play_through speech
check "the speech is heard (it peaked at $HI)" [ "$HI" -ge 4000 ]
silence_after "$PLAY_END" "the speech"
probe_ends_clean "sine and speech read on the playback meter"
finish
