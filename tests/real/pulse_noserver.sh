#!/usr/bin/env bash
# The meter with no sound server at start: one "Couldn't open the mixer."
# and readings of 0, even when a server appears later, and a clean exit.
source "$(dirname "$0")/lib.sh" "$@"
source "$REAL_TESTS/pulse/probe.sh"

start_probe
wait_for_readings_until $(($(now_us) + 1000000))
check "with no server the probe says \"Couldn't open the mixer.\" (messages: $(messages))" \
    [ "$(messages)" = "Couldn't open the mixer." ]
start_sound_server  # not the mixer this run opened
play_through sine-3
read -r N LO HI <<<"$(levels_between 0 $((PLAY_END + 300000)))"
check "every reading is 0, even once a server is there ($N readings up to $HI)" [ "$N" -ge 20 -a "$HI" = 0 ]
check "and no other message (messages: $(messages))" [ "$(messages)" = "Couldn't open the mixer." ]
stop_probe
finish
