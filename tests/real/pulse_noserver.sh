#!/usr/bin/env bash
# The meter with no sound server at start: one "Couldn't open the mixer."
# and readings of 0, even when a server appears later, and a clean exit.
# Usage: pulse_noserver.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

make_sounds
start_probe
wait_for_readings_until $(($(now_us) + 1000000))
[ "$(messages)" = "Couldn't open the mixer." ] || fail "messages were: $(messages)"
start_server  # not the mixer this run opened
play_through "$T/sine.wav"
read -r N LO HI <<<"$(levels_between 0 $((PLAY_END + 300000)))"
[ "$N" -ge 20 ] && [ "$HI" = 0 ] || fail "$N readings went up to $HI"
[ "$(messages)" = "Couldn't open the mixer." ] || fail "messages were: $(messages)"
stop_probe
echo "PASS: no server, one message, readings of 0"
