# The command line in a real X server: switches other than /s and /c end the
# program at once with status 0 and without a window, and so does a second
# instance while the saver runs.

source "$(dirname "$0")/lib.sh" "$@"

start_x_server
start_sound_server

# at_once ARGS...: runs gyrobloom, which must end by itself (generous bound)
# with status 0 and map no window.
at_once() {
    local watch=$T/maps-$PROGRAM_RUNS
    start_map_watch "$watch"
    start_program "$@"
    if wait_for_exit "$PROGRAM_PID" 10; then
        pass "'$*' ends by itself (in ${EXIT_MS} ms)"
        check "'$*' ends with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
    else
        fail "'$*' ends by itself within 10 s"
    fi
    stop_map_watch
    check "'$*' shows no window ($(maps_in "$watch") mapped)" [ "$(maps_in "$watch")" -eq 0 ]
}

at_once /p 123
at_once /a
at_once /P
at_once " /s"

# The watcher sees a window when there is one.
watch=$T/maps-saver
start_map_watch "$watch"
start_program /s
first=$PROGRAM_PID
if wait_for_window "$first" 10 >/dev/null; then pass "/s shows a window"; else fail "/s shows a window"; fi
stop_map_watch
check "the map watcher saw the saver's window ($(maps_in "$watch") mapped)" [ "$(maps_in "$watch")" -ge 1 ]

# A second instance, whatever its switch, leaves at once.
at_once /s
at_once /c
check "the first saver still runs" running "$first"

# A runtime directory the lock cannot be made in (missing, or read-only):
# the copies meet at the lock in /tmp instead, and a second one still ends.
kill "$first" 2>/dev/null; wait "$first" 2>/dev/null
for runtime_dir in "$T/missing" /proc; do
    export XDG_RUNTIME_DIR=$runtime_dir
    start_program /s
    unusable=$PROGRAM_PID
    if wait_for_window "$unusable" 10 >/dev/null; then pass "/s runs with XDG_RUNTIME_DIR=$runtime_dir"; else fail "/s runs with XDG_RUNTIME_DIR=$runtime_dir"; fi
    at_once /s
    kill "$unusable" 2>/dev/null; wait "$unusable" 2>/dev/null
done
export XDG_RUNTIME_DIR=$T/xdg

# Without a display there is nothing to draw on: a plain message, status 1.
message=$(env -u DISPLAY -u WAYLAND_DISPLAY "$GYROBLOOM" /s 2>&1)
status=$?
check "without a display it says so and ends with status 1 (got $status: $message)" \
    [ "$status" -eq 1 -a -n "$(grep -F 'no display' <<<"$message")" ]

finish
