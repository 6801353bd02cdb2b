#!/usr/bin/env bash
# Gyrobloom.scr under Wine on Xvfb: the saver, its input rules and switches,
# its meter with music played into a private PulseAudio server, the
# settings dialog with the registry, and a run without any sound server.
#
# Usage: smoke.sh PATH/TO/Gyrobloom.scr [TEST.exe...]
#
# Test programs given after the saver (GoogleTest suites cross-compiled for
# Windows) run first, in the same prefix and on the same display.
#
# One X server, one throw-away Wine prefix and one sound server serve every
# case; everything is stopped by PID (and the prefix's wineserver with -k)
# when the script exits. What the program told the user in message boxes is
# read from Wine's debug log (OutputDebugString).

SCR=${1:?path of Gyrobloom.scr}
shift
SUITES=("$@")
source "$(dirname "$0")/../real/lib.sh" "$SCR" .

for tool in wine wineserver Xvfb xdotool xwininfo pulseaudio pactl paplay sox; do
    command -v "$tool" >/dev/null || give_up "$tool is installed (tools/setup.sh installs it)"
done

source "$(dirname "$0")/prefix.sh"
KEY='HKCU\Software\VB and VBA Program Settings\Gyrobloom\Settings'
fresh_prefix
start_x_server

# wait_message TEXT: waits for the program's message box with that text;
# sets BOX to its window.
wait_message() {
    local i
    BOX=$(window_named Gyrobloom 30) || { echo "no message box; messages so far: $(messages | paste -sd '|')"; return 1; }
    for i in $(seq 100); do messages | grep -qxF "$1" && break; sleep 0.05; done
    messages | grep -qxF "$1" || { echo "messages: $(messages | paste -sd '|')"; return 1; }
}
# dismiss_message TEXT: waits for the program's message box and presses OK
# (the settings dialog's boxes wait for it).
dismiss_message() {
    wait_message "$1" || return 1
    xdotool key Return
    sleep 0.3
}
# no_pointer: the saver hides the pointer (polled: it may do so a little
# after its window shows).
no_pointer() {
    local i
    for i in $(seq 50); do look 0 0 1 1; [ "$pointer" = 0 ] && return 0; sleep 0.1; done
    return 1
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# --- The cross-compiled test suites --------------------------------------------
for suite in "${SUITES[@]}"; do
    name=$(basename "$suite" .exe)
    if WINEDEBUG=-all wine "$suite" --gtest_brief=1 >"$T/$name.log" 2>&1; then
        pass "$name passes under Wine ($(grep -o '[0-9]* tests* from' "$T/$name.log" | head -n1 | cut -d' ' -f1) tests)"
    else
        fail "$name passes under Wine"
        grep -E 'FAILED|Failure|error' "$T/$name.log" | head -20
    fi
done

# --- Switches that end at once --------------------------------------------------
for switch in "/p 1234" "/a"; do
    start_map_watch "$T/maps"
    # shellcheck disable=SC2086
    run_scr $switch
    check "\"$switch\" ends at once with status 0" ends 10
    stop_map_watch
    check "\"$switch\" shows no window" [ "$(maps_in "$T/maps")" -eq 0 ]
done

# --- The saver with music ----------------------------------------------------------
start_sound_server
# Wine's wave input records the default source: the output's monitor hears
# what is played.
pactl set-default-source test_sink.monitor
play sine-30

run_scr /s
SAVER=$PROGRAM_PID
check "without a playback meter (Wine has none) the saver says so" wait_message "Couldn't get waveout meter"
check "no other message: the recording line has its meter" [ "$(messages | wc -l)" -eq 1 ]
if id=$(window_named "" ); then
    geometry "$id"
    check "/s covers the whole 1920x1080 screen" [ "$WX,$WY,$WW,$WH" = "0,0,1920,1080" ]
fi
# Away from the box, which stands in the middle of the screen.
xdotool mousemove 100 100
check "no pointer over the saver" no_pointer
# Nobody answers: the box goes by itself and the saver runs on.
check "unanswered, the message closes by itself after about 30 s" box_gone_within 40
echo "note: the unanswered message stood ${BOX_MS:-?} ms more"
check "... and the saver runs on" running "$SAVER"
lit=0
for i in $(seq 40); do
    look --save "$T/shot.png"
    lit=$inside_lit
    [ "$lit" -gt 1000 ] && break
    sleep 0.25
done
check "with music the saver draws rays ($lit pixels lit)" [ "$lit" -gt 1000 ]
/usr/bin/convert "$T/shot.png" -resize 50% "$(dirname "$SCR")/wine-saver.png" 2>/dev/null

# Processor use over ten seconds of animation with music: paced, not a busy loop.
before=$(cpu_ticks "$SAVER")
sleep 10
used=$(($(cpu_ticks "$SAVER") - before))
ticks=$(getconf CLK_TCK)
echo "note: processor use of the saver over 10 s under Wine: $((used * 1000 / ticks)) ms ($((used * 100 / ticks / 10))% of one core)"
check "the saver idles between frames (under half a core over 10 s)" [ $((used * 100 / ticks / 10)) -lt 50 ]

run_scr /s
check "a second instance ends at once with status 0" ends 10
PROGRAM_PID=$SAVER
check "the first instance still runs" running "$SAVER"
xdotool key a
check "a key press ends the saver" ends 5

# The pointer starts at x = 0, where the move Windows reports as the window
# appears is not counted; each move below changes the horizontal position
# once.
xdotool mousemove 0 500
run_scr /s
wait_message "Couldn't get waveout meter" >/dev/null
sleep 0.5
for i in $(seq 10); do xdotool mousemove $((100 + 10 * i)) 500; sleep 0.1; done
sleep 0.5
check "ten horizontal mouse moves leave the saver running (its message standing)" running "$PROGRAM_PID"
for y in 600 700 800 900 100 200 300 400 550 650 750 850; do xdotool mousemove 200 "$y"; sleep 0.1; done
sleep 0.5
check "twelve vertical mouse moves leave the saver running" running "$PROGRAM_PID"
# The eleventh, over the message box: one count for the whole desk.
geometry "$BOX"
xdotool mousemove $((WX + WW / 2)) $((WY + WH / 2))
check "the eleventh horizontal move, over the message, ends the saver" ends 5

# --- The settings dialog and the registry -------------------------------------
# The dialog's places (CLIENT, RAYS_TAB, ...), px, click and look_at are
# lib.sh's.
CLICK_SETTLE=0.4
# The client area's place: the frame is as wide on the left, right and
# bottom; the caption adds to the top.
client_origin() {
    local cw ch border
    cw=$(px "${CLIENT[0]}") ch=$(px "${CLIENT[1]}") border=$(((WW - $(px "${CLIENT[0]}")) / 2))
    DX=$((WX + border)) DY=$((WY + WH - ch - border))
}
reg_value() { wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$0 ~ "REG_SZ" { sub(/^ *.*REG_SZ */, ""); print }'; }

# open_dialog ARGS: sets DIALOG and the client origin DX DY.
open_dialog() {
    run_scr "$@"
    dismiss_message "Couldn't get waveout meter" >/dev/null
    DIALOG=$(window_named "Screen Saver Properties") || return 1
    geometry "$DIALOG"
    client_origin
}

wine reg delete "$KEY" /f >/dev/null 2>&1
if open_dialog /c; then
    pass "/c shows \"Screen Saver Properties\""
    if PREVIEW=$(window_named Preview); then
        geometry "$PREVIEW"
        check "/c shows the preview in the top-left corner" [ "$WX,$WY" = "0,0" ]
        geometry "$DIALOG"
    else
        fail "/c shows the preview"
    fi
    WW96=$WW frame=$((WW - $(px "${CLIENT[0]}")))
    check "the dialog is 4470 twips (298 pixels at 96 DPI) wide inside a thin frame ($frame pixels)" \
        [ "$frame" -ge 0 -a "$frame" -le 16 ]
    click_changes "a click on \"Rays\" turns the page" RAYS_TAB PAGES
    click_changes "the number of rays' right arrow changes its label" NUM_RAYS_RIGHT NUM_RAYS_LABEL
    click "${OK_BUTTON[@]}"
    check "OK ends the program" ends 5
    values=$(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | grep -c REG_SZ)
    check "OK writes the fourteen values as REG_SZ ($values)" [ "$values" -eq 14 ]
    check "OK stores the number of rays shown (3 + 1)" [ "$(reg_value "Number of Rays")" = 4 ]
    # With Random on (the default) the animation itself flips Mirror and the
    # pulses, so those are only checked for their form.
    for flag in "Mirror" "Pulse In/Out" "Pulse Rotation"; do
        got=$(reg_value "$flag")
        check "OK stores $flag as True or False (read back: $got)" [ "$got" = True -o "$got" = False ]
    done
    for pair in "Horizontal Size=75" "Line Length=5" "Ray Width=25" "Random=True" "Draw Style=0" "Color Scale=95"; do
        got=$(reg_value "${pair%%=*}")
        check "OK stores $pair (read back: $got)" [ "$got" = "${pair#*=}" ]
    done
else
    fail "/c shows \"Screen Saver Properties\""
fi

wine reg delete "$KEY" /f >/dev/null 2>&1
if open_dialog /c:1234; then
    pass "/c:1234 shows \"Screen Saver Properties\""
    click "${RAYS_TAB[@]}"
    click "${NUM_RAYS_RIGHT[@]}"
    click "${CANCEL_BUTTON[@]}"
    check "Cancel ends the program" ends 5
    check "Cancel writes nothing" [ "$(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | grep -c REG_SZ)" -eq 0 ]
else
    fail "/c:1234 shows \"Screen Saver Properties\""
fi

# --- At 150%: the dialog sized from twips by the DPI -------------------------
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
restart_wine
TWIPS_PER_PIXEL=10
wine reg delete "$KEY" /f >/dev/null 2>&1
if open_dialog /c; then
    check "at 144 DPI the dialog grows by what 4470 twips gain (298 -> 447 pixels): $WW96 -> $WW" \
        [ "$((WW - WW96))" -eq $(($(px "${CLIENT[0]}") - 298)) ]
    click "${CANCEL_BUTTON[@]}"
    ends 5
    check "... and its Cancel button is where the layout puts it (ended, nothing written)" \
        [ "$EXIT_STATUS" -eq 0 -a "$(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | grep -c REG_SZ)" -eq 0 ]
else
    fail "/c shows \"Screen Saver Properties\" at 144 DPI"
fi
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
restart_wine
TWIPS_PER_PIXEL=15

# --- No sound server at all --------------------------------------------------
sound_server_stop
check "the sound server is gone" bash -c '! pactl info >/dev/null 2>&1'
unset PULSE_SERVER
run_scr /s
check "without a sound server the saver says \"Couldn't open the mixer.\"" wait_message "Couldn't open the mixer."
check "... and nothing else" [ "$(messages | wc -l)" -eq 1 ]
check "... and still runs" running "$PROGRAM_PID"
sleep 0.5
xdotool key a
check "... and the key \"a\" ends it while the message stands" ends 5
echo "note: the key ended the saver in ${EXIT_MS:-?} ms"

finish
