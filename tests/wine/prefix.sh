# A throw-away Wine prefix for the Wine scripts (sourced after lib.sh):
# fresh_prefix makes it, with no window manager (Managed N: destroying a
# focused window would otherwise take two seconds) and sound through Wine's
# PulseAudio driver only (its ALSA driver would find ALSA's "default" device,
# which forwards to PulseAudio, even without a server, so that "no sound
# server" would never mean "no device"). Its wineserver is stopped with the
# script. What the program told the user in message boxes is read from
# Wine's debug log (OutputDebugString).

export WINEPREFIX=$T/pfx WINEARCH=${WINEARCH:-win32} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all,warn+seh  # OutputDebugString appears as warn:seh

# The next program starts a fresh server that reads the registry as changed:
# the old one has written it and gone (wineserver -w) before anything runs.
restart_wine() {
    wineserver -k
    wineserver -w
}

wine_cleanup() {
    wineserver -k 2>/dev/null
    cleanup
}
trap wine_cleanup EXIT

# fresh_prefix [X11_DRIVER_VALUE NAME DATA]...: makes the prefix; each triple
# is one more value of Wine's X11 driver (UseXRandR N, say).
fresh_prefix() {
    env -u DISPLAY wineboot -i >"$T/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f >/dev/null 2>&1
    while [ $# -ge 2 ]; do
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
        shift 2
    done
    restart_wine
}

# run_scr ARGS...: starts the program; sets PROGRAM_PID and LOG.
RUNS=0
run_scr() {
    RUNS=$((RUNS + 1))
    LOG=$T/scr-$RUNS.log
    wine "$SCR" "$@" >"$LOG" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=($PROGRAM_PID)
}
# ends [SECONDS]: the program ends within the time (5 s), with status 0.
ends() { wait_for_exit "$PROGRAM_PID" "${1:-5}" && [ "$EXIT_STATUS" -eq 0 ]; }
# The texts of the program's message boxes so far.
messages() { sed -n 's/.*OutputDebugString.*"Gyrobloom message: \(.*\)\\n"$/\1/p' "$LOG"; }
# box_gone_within SECONDS: the message box BOX closes (by itself: nobody
# answers); sets BOX_MS, how long it stood from the call.
box_gone_within() {
    local i t
    t=$(now_ms)
    for i in $(seq $(($1 * 10))); do
        xdotool getwindowname "$BOX" >/dev/null 2>&1 || { BOX_MS=$(($(now_ms) - t)); return 0; }
        sleep 0.1
    done
    return 1
}
