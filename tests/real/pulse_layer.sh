#!/usr/bin/env bash
# The PulseAudio layer's own tests (gyrobloom_pulse_tests) against the
# script's sound server.
source "$(dirname "$0")/lib.sh" "$@"

TESTS=${GYROBLOOM_PULSE_TESTS:-$BUILD_DIR/audio/pulse/gyrobloom_pulse_tests}
require "the layer's tests are built ($TESTS)" [ -x "$TESTS" ]
start_sound_server
check "the PulseAudio layer's tests pass on $SOUND_SERVER" "$TESTS"
finish
