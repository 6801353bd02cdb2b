#!/usr/bin/env bash
# The meter on a real PulseAudio server that goes away and comes back: once
# the server is killed every reading is 0 and the meter keeps answering;
# when it is back the levels return, with no new messages and nothing left
# behind from the old connections.
# Usage: pulse_restart.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

GRACE_US=300000  # the server has noticed a dead client well within this
start_metering
play "$T/sine6.wav"
wait_for_level "$(now_us)" 12000 20000 10 >/dev/null || fail "the sine was not heard before the restart"
threads_before=$(ls "/proc/$PROBE_PID/task" | wc -l)
fds_before=$(ls "/proc/$PROBE_PID/fd" | wc -l)

for round in 1 2 3; do
  stop_server  # mid-sound
  dead=$(now_us)
  wait "$PLAY_PID" 2>/dev/null || true  # paplay loses its server too
  wait_for_readings_until $((dead + 1500000))
  read -r n lo hi <<<"$(levels_between $((dead + GRACE_US)) $((dead + 1500000)))"
  [ "$n" -ge 20 ] && [ "$hi" = 0 ] || fail "round $round: without a server $n readings went up to $hi"
  start_server
  t=$(now_us)
  play "$T/sine6.wav"
  wait_for_level "$t" 12000 20000 10 >/dev/null ||
    fail "round $round: the levels did not come back (read $(levels_between "$t" "$(now_us)"))"
done
kill "$PLAY_PID" 2>/dev/null || true

clients=$(pactl list clients | grep -c 'application.name = "Gyrobloom"' || true)
[ "$clients" = 1 ] || fail "$clients connections of the probe on the server"
meter_streams() { pactl list short source-outputs | grep -c 'float32le 1ch 50Hz' || true; }
# PipeWire lets go of a closed stream a moment after the client did.
at_most_two_streams() { [ "$(meter_streams)" -le 2 ]; }
until_true 2 at_most_two_streams || fail "$(meter_streams) meter streams on the server: $(pactl list short source-outputs)"
threads_after=$(ls "/proc/$PROBE_PID/task" | wc -l)
fds_after=$(ls "/proc/$PROBE_PID/fd" | wc -l)
[ "$threads_after" -le "$threads_before" ] || fail "threads grew from $threads_before to $threads_after"
[ "$fds_after" -le $((fds_before + 2)) ] || fail "open files grew from $fds_before to $fds_after"
pass "readings of 0 without a server, levels back after each restart"
