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

# A server that starts later is not the mixer this run opened.
start_server
t=$(now_us)
play "$T/sine.wav"
wait "$PLAY_PID"
wait_for_readings_until $(($(now_us) + 300000))

read -r n lo hi <<<"$(levels_between 0 "$(now_us)")"
[ "$n" -ge 20 ] && [ "$hi" = 0 ] || fail "$n readings went up to $hi"
[ "$(messages)" = "Couldn't open the mixer." ] || fail "messages were: $(messages)"
stop_probe
echo "PASS: no server, one message, readings of 0"
