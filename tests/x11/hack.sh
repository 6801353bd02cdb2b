# The hack's side of the X11 backend's real tests, sourced after
# tests/real/lib.sh: the windows a screen-saver daemon would hand the hack
# (held by gyrobloom_xprobe) and the hack's runs.
#
# Usage: source hack.sh XPROBE   (the path of gyrobloom_xprobe)

XPROBE=${1:?path of gyrobloom_xprobe}
HACK=$GYROBLOOM

# open_window X Y W H: a black window to hand the hack, held by an xprobe
# that takes commands on a pipe; sets WINDOW (its id) and WINDOW_RECT.
WINDOWS=0
open_window() {
    WINDOWS=$((WINDOWS + 1))
    local in=$T/window-$WINDOWS.in out=$T/window-$WINDOWS.out
    mkfifo "$in"
    "$XPROBE" window "$@" <"$in" >"$out" &
    PIDS+=($!)
    exec {WINDOW_FD}>"$in"
    local i
    for i in $(seq 100); do
        [ -s "$out" ] && break
        sleep 0.02
    done
    WINDOW=$(head -n1 "$out")
    WINDOW_OUT=$out
    WINDOW_RECT="$*"
}

# window_command TEXT: sends a command to the newest window's xprobe and
# waits for its answer.
window_command() {
    local before
    before=$(wc -l <"$WINDOW_OUT")
    echo "$*" >&"$WINDOW_FD"
    local i
    for i in $(seq 100); do
        [ "$(wc -l <"$WINDOW_OUT")" -gt "$before" ] && return 0
        sleep 0.02
    done
    return 1
}

# start_hack ARGS...: runs gyrobloom-hack in the background; sets HACK_PID
# and HACK_ERR (its standard error).
HACK_RUNS=0
start_hack() {
    HACK_RUNS=$((HACK_RUNS + 1))
    HACK_ERR=$T/hack-$HACK_RUNS.err
    "$HACK" "$@" >"$T/hack-$HACK_RUNS.out" 2>"$HACK_ERR" &
    HACK_PID=$!
    PIDS+=($HACK_PID)
}
