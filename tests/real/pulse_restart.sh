#!/usr/bin/env bash
# The meter on a real sound server that goes away and comes back: once the
# server is killed every reading is 0 and the meter keeps answering; when it
# is back the levels return, with no new messages and nothing left behind
# from the old connections.
source "$(dirname "$0")/lib.sh" "$@"
source "$REAL_TESTS/pulse/probe.sh"

GRACE_US=300000  # the server has noticed a dead client well within this
start_metering
play sine-6
require "the sine is heard before the restart" wait_for_level "$(now_us)" 12000 20000 10 >/dev/null
threads_before=$(ls "/proc/$PROBE_PID/task" | wc -l)
fds_before=$(ls "/proc/$PROBE_PID/fd" | wc -l)

for round in 1 2 3; do
    sound_server_stop  # mid-sound
    dead=$(now_us)
    wait "$PLAY_PID" 2>/dev/null  # paplay loses its server too
    wait_for_readings_until $((dead + 1500000))
    read -r n lo hi <<<"$(levels_between $((dead + GRACE_US)) $((dead + 1500000)))"
    check "round $round: without a server every reading is 0 ($n readings up to $hi)" [ "$n" -ge 20 -a "$hi" = 0 ]
    start_sound_server
    t=$(now_us)
    play sine-6
    require "round $round: the levels come back with the server" wait_for_level "$t" 12000 20000 10 >/dev/null
done
kill "$PLAY_PID" 2>/dev/null

clients=$(pactl list clients | grep -c 'application.name = "Gyrobloom"')
check "one connection of the probe on the server ($clients)" [ "$clients" = 1 ]
meter_streams() { pactl list short source-outputs | grep -c 'float32le 1ch 50Hz'; }
# PipeWire lets go of a closed stream a moment after the client did.
at_most_two_streams() { [ "$(meter_streams)" -le 2 ]; }
check "two meter streams at the most on the server" until_true 2 at_most_two_streams
threads_after=$(ls "/proc/$PROBE_PID/task" | wc -l)
fds_after=$(ls "/proc/$PROBE_PID/fd" | wc -l)
check "the probe's threads did not grow ($threads_before, then $threads_after)" [ "$threads_after" -le "$threads_before" ]
check "its open files did not grow ($fds_before, then $fds_after)" [ "$fds_after" -le $((fds_before + 2)) ]
probe_ends_clean "readings of 0 without a server, levels back after each restart"
finish
