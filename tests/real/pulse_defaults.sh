#!/usr/bin/env bash
# The meters follow the user's default output and input on a real sound
# server; with a monitor as the default input, the first real input is
# metered instead.
source "$(dirname "$0")/lib.sh" "$@"
source "$REAL_TESTS/pulse/probe.sh"

start_metering "module-null-sink sink_name=other_sink" "module-null-sink sink_name=other_feed" \
    "module-remap-source source_name=other_mic master=other_feed.monitor"
other_mic=$(source_index other_mic)

# heard DEVICE WHAT: a sine played there reads about half scale, then 0 again.
heard() { half_scale sine-3 "$1" "$2"; wait "$PLAY_PID"; silence_after "$(now_us)" "$2"; }
# not_heard DEVICE WHAT: every reading while a sine plays there is 0.
not_heard() {
    play_through sine-3 "$1"
    check "$2 is not heard ($N readings up to $HI)" [ "$N" -gt 0 -a "$HI" = 0 ]
}

pactl set-default-sink other_sink
heard other_sink "a sine on the new default output"
not_heard test_sink "a sine on the old default output"

pactl set-default-source other_mic
require "the new default input is metered" wait_for_streams_on "$other_mic" 1 10
require "the old default input is metered no more" wait_for_streams_on "$MIC" 0 10
heard other_feed "a sine on the new default input"
not_heard mic_feed "a sine on the old default input"

pactl set-default-source test_sink.monitor  # a monitor is no microphone: the first real input stands in
require "with a monitor as default input, the first real input is metered" wait_for_streams_on "$MIC" 1 10
heard mic_feed "a sine on the first real input"
probe_ends_clean "the meters follow the default devices"
finish
