#!/usr/bin/env bash
# Gyrobloom.scr under Wine on a desk of two monitors side by side (an X
# server of 3840x1080 split in two 1920x1080 monitors): the saver covers
# both, each with a window of its own; once its box about the missing
# playback meter has closed by itself, both light up with music and the
# white root shows nowhere; a key ends it, and so does the eleventh
# horizontal move over the monitor the saver's own window is not on.
#
# Usage: monitors.sh PATH/TO/Gyrobloom.scr [gyrobloom_win32_tests.exe]
#
# The Win32 suite given after the saver runs its monitor tests first, on the
# same desk (Monitors, a window per monitor, changes announced once).
#
# Wine lists the X server's monitors only through Xinerama (its X11 driver
# told not to use XRandR, whose outputs are one here): that takes the
# Xinerama and XRandR libraries of Wine's own architecture
# (tools/setup-windows.sh installs them).

SCR=${1:?path of Gyrobloom.scr}
SUITE=${2:-}
source "$(dirname "$0")/../real/lib.sh" "$SCR" .

for tool in wine wineserver Xorg xrandr xsetroot xdotool xwininfo pulseaudio pactl paplay sox; do
    command -v "$tool" >/dev/null || give_up "$tool is installed (tools/setup-windows.sh installs it)"
done
libdir=/usr/lib/i386-linux-gnu
[ "${WINEARCH:-win32}" = win64 ] && libdir=/usr/lib/x86_64-linux-gnu
for library in libXinerama.so.1 libXrandr.so.2; do
    [ -e "$libdir/$library" ] || give_up "$libdir/$library is installed (tools/setup-windows.sh installs it)"
done

source "$(dirname "$0")/prefix.sh"
# Monitors from Xinerama.
fresh_prefix UseXRandR N

start_x_server --monitors 1920x1080,1920x1080


# saver_windows: sets COVERS to the geometries ("X,Y,W,H", sorted) of the
# program's visible windows without a title (the box has one).
saver_windows() {
    local id list=()
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] || continue
        geometry "$id"
        list+=("$WX,$WY,$WW,$WH")
    done
    COVERS=$(printf '%s\n' "${list[@]}" | sort | paste -sd ' ')
}
# covers_both: the two monitors' windows are up (polled: the second comes
# right after the first).
covers_both() {
    local i
    for i in $(seq 100); do
        saver_windows
        [ "$COVERS" = "0,0,1920,1080 1920,0,1920,1080" ] && return 0
        sleep 0.05
    done
    return 1
}

# --- The suite's monitor tests, on this desk -------------------------------------
if [ -n "$SUITE" ]; then
    if WINEDEBUG=-all wine "$SUITE" --gtest_brief=1 --gtest_filter='*Win32Monitor*' >"$T/suite.log" 2>&1; then
        pass "the Win32 monitor tests pass on two monitors ($(grep -o '[0-9]* tests* from' "$T/suite.log" | head -n1 | cut -d' ' -f1) tests)"
    else
        fail "the Win32 monitor tests pass on two monitors"
        grep -E 'FAILED|Failure|error|Expected|Which is|actual' "$T/suite.log" | head -20
    fi
fi

# --- The saver with music ----------------------------------------------------
start_sound_server
# Wine's wave input records the default source: the output's monitor hears
# what is played.
pactl set-default-source test_sink.monitor
play_music 40

run_scr /s
show_on_failure "$LOG"

# the_box: sets BOX to the message box, the program's window titled
# "Gyrobloom" that is more than a pixel wide (the hidden window that owns
# the others bears the same title), waiting up to 20 s.
the_box() {
    local i id
    for i in $(seq 400); do
        for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
            [ "$(xdotool getwindowname "$id" 2>/dev/null)" = Gyrobloom ] || continue
            geometry "$id"
            [ "${WW:-0}" -gt 1 ] && BOX=$id && return 0
        done
        sleep 0.05
    done
    BOX=""
    return 1
}
the_box && BOX_AT=$((WX + WW / 2)) || BOX_AT=-1
check "without a playback meter (Wine has none) the saver says so, and nothing else" \
    [ -n "$BOX" -a "$(messages | paste -sd '|')" = "Couldn't get waveout meter" ]
covers_both
check "/s puts a full-screen window on each monitor (${COVERS:-none})" [ "$COVERS" = "0,0,1920,1080 1920,0,1920,1080" ]
xdotool mousemove 1900 20

# The saver draws once the box has gone (the program's MsgBox returns when
# it closes by itself); then, with music, both monitors light.
check "unanswered, the box closes by itself" box_gone_within 40
# The rays pulse with the music: each monitor's most lit look counts.
lit_left=0 lit_right=0
for i in $(seq 30); do
    look_at_monitor 0
    [ "$inside_lit" -gt "$lit_left" ] && lit_left=$inside_lit
    look_at_monitor 1
    [ "$inside_lit" -gt "$lit_right" ] && lit_right=$inside_lit
    [ "$lit_left" -gt 1000 ] && [ "$lit_right" -gt 1000 ] && break
    sleep 0.1
done
check "with music the left monitor lights (up to $lit_left pixels lit)" [ "$lit_left" -gt 1000 ]
check "with music the right monitor lights (up to $lit_right pixels lit)" [ "$lit_right" -gt 1000 ]
look --save "$T/desk.png"
check "the white root shows nowhere on the desk ($white white pixels)" [ "$white" -eq 0 ]
/usr/bin/convert "$T/desk.png" -resize 50% "$(dirname "$SCR")/wine-monitors.png" 2>/dev/null
echo "note: the desk as the saver left it: $(dirname "$SCR")/wine-monitors.png"

# Wine's primary monitor (the one whose corner is its desk's origin) holds
# the saver's own window and the box, centred on it; the other window is the
# other monitor's.
own=-1 other=-1
for i in 0 1; do
    read -r x _ w _ <<<"${MONITORS[$i]}"
    if [ "$BOX_AT" -ge "$x" ] && [ "$BOX_AT" -lt $((x + w)) ]; then own=$i; else other=$i; fi
done
echo "note: Wine's primary monitor is the X server's monitor $own (${MONITOR_NAMES[$own]:-?})"
xdotool key a
check "a key press ends the saver" ends 5
echo "note: the key ended the saver in ${EXIT_MS:-?} ms"

# --- Moves over the other monitor --------------------------------------------
# The pointer starts on the saver's own window at its left edge, where the
# move Windows reports as the window appears is not counted; then every
# move, over the other monitor, changes the horizontal position once.
if [ "$own" -lt 0 ]; then
    fail "the box showed which monitor is Wine's primary"
else
    read -r ox oy _ oh <<<"${MONITORS[$other]}"
    read -r sx _ _ _ <<<"${MONITORS[$own]}"
    xdotool mousemove "$sx" 500
    run_scr /s
    covers_both
    sleep 0.5
    for i in $(seq 10); do xdotool mousemove $((ox + 100 + 10 * i)) $((oy + oh / 2)); sleep 0.1; done
    sleep 0.5
    check "ten horizontal moves over the other monitor leave the saver running" running "$PROGRAM_PID"
    xdotool mousemove $((ox + 300)) $((oy + oh / 2))
    check "the eleventh, over the other monitor, ends it" ends 5
fi

finish
