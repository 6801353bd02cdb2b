#!/usr/bin/env bash
# The PulseAudio layer's own tests (gyrobloom_pulse_tests) against a private server.
# Usage: pulse_layer.sh <gyrobloom> <build-dir>
BUILD=${2:?usage: $0 <gyrobloom> <build-dir>}
source "$(dirname "$0")/pulse/common.sh"

TESTS=${GYROBLOOM_PULSE_TESTS:-$BUILD/audio/pulse/gyrobloom_pulse_tests}
[ -x "$TESTS" ] || fail "not built: $TESTS"
start_server
"$TESTS" || fail "gyrobloom_pulse_tests failed"
echo "PASS: the PulseAudio layer"
