# The saver in a real X server: "gyrobloom /s" covers the screen with a black
# window with no pointer, and ends on a key press or on the eleventh mouse
# move that changes the horizontal position; vertical moves never end it.

source "$(dirname "$0")/lib.sh" "$@"

start_x_server
start_sound_server

# --- A window that covers the screen, black, without a pointer ------------
xdotool mousemove 700 300
look
check "the screen reader sees the pointer on the bare screen ($pointer pixels)" [ "$pointer" -gt 0 ]
bare_mean=$mean

start_program /s
if window=$(wait_for_window "$PROGRAM_PID" 10); then
    pass "/s shows a window"
else
    fail "/s shows a window"
    cat "$T/program-$PROGRAM_RUNS.log"
    finish
fi
sleep 0.5  # a few frames drawn
geometry=$(xwininfo -id "$window")
x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$geometry")
w=$(awk '/Width:/ {print $NF}' <<<"$geometry")
h=$(awk '/Height:/ {print $NF}' <<<"$geometry")
check "the window covers the screen (${w}x${h} at $x,$y)" [ "$x,$y,$w,$h" = "0,0,1920,1080" ]
check "the window is viewable" grep -q 'Map State: IsViewable' <<<"$geometry"

# Brightness in thousandths: 0 black, 1000 white.
look
check "the screen turned black (mean brightness $bare_mean before, $mean with the saver)" \
    [ "$mean" -lt 20 -a "$bare_mean" -gt 200 ]
check "the pointer is invisible over the window ($pointer visible pixels)" [ "$pointer" -eq 0 ]

focus=$(xdotool getwindowfocus)
check "the window has the keyboard focus" [ "$focus" = "$window" ]

# --- A window over the saver leaves black behind when it goes --------------
# Nothing keeps the saver's picture: the uncovered area must be painted, not
# left showing the other window.
xmessage -geometry 800x400+500+300 -bg white -fg white "$(printf '%.0sW' $(seq 60))" &
cover=$!
sleep 0.5
look
covered_mean=$mean
kill "$cover"
wait "$cover" 2>/dev/null
sleep 0.3
look
check "a window over the saver shows (mean $covered_mean) and leaves black when it goes (mean $mean)" \
    [ "$covered_mean" -gt 100 -a "$mean" -lt 20 ]

# --- A key press ends it --------------------------------------------------
xdotool key a
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "a key press ends the saver (in ${EXIT_MS} ms)"
    check "it ends with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "a key press ends the saver within a second"
fi

# --- A lone modifier key ends it too --------------------------------------
start_program /s
wait_for_window "$PROGRAM_PID" 10 >/dev/null && sleep 0.3
xdotool key shift
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "a lone Shift ends the saver (in ${EXIT_MS} ms)"
else
    fail "a lone Shift ends the saver within a second"
fi

# --- Mouse moves ------------------------------------------------------------
# The pointer starts at x = 0, where a move reported as the window appears is
# not counted; each move below changes the horizontal position once.
xdotool mousemove 0 500
start_program /s
wait_for_window "$PROGRAM_PID" 10 >/dev/null && sleep 0.3
for i in $(seq 10); do
    xdotool mousemove $((100 + 10 * i)) 500
    sleep 0.1
done
sleep 0.5
check "ten horizontal mouse moves leave the saver running" running "$PROGRAM_PID"

for y in 600 700 800 900 100 200 300 400 550 650 750 850; do
    xdotool mousemove 200 "$y"
    sleep 0.1
done
sleep 0.5
check "twelve vertical mouse moves leave the saver running" running "$PROGRAM_PID"

xdotool mousemove 215 850
if wait_for_exit "$PROGRAM_PID" 1; then
    pass "the eleventh horizontal move ends the saver (in ${EXIT_MS} ms)"
    check "it ends with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "the eleventh horizontal move ends the saver within a second"
fi

finish
