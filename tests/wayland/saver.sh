#!/usr/bin/env bash
# The saver in a Wayland session: a headless sway run by a plain user, with
# that user's own sound server. `gyrobloom /s` (Qt's Wayland platform) covers
# the output, lights with music, is black in silence, ends on a key and on
# the eleventh horizontal pointer move, covers a second output too, and
# draws sharp on an output of scale 2;
# `gyrobloom /c` shows the preview and the dialog, whose tabs and OK work;
# with no QT_QPA_PLATFORM Qt picks Wayland by itself and the saver runs.
# The screenshots are left in the build directory (wayland-*.png).

source "$(dirname "$0")/../real/lib.sh" "$@"
WAYLAND_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$WAYLAND_TESTS/lib.sh"

start_sway
make_sound music-4

# ends_within SECONDS WHAT: a check that PROGRAM_PID ends within the time.
ends_within() {
    if wait_for_exit "$PROGRAM_PID" "$1"; then
        pass "$2 (in ${EXIT_MS} ms, status $EXIT_STATUS)"
    else
        fail "$2 within $1 s"
        kill "$PROGRAM_PID" 2>/dev/null
        wait "$PROGRAM_PID" 2>/dev/null
    fi
}

# --- The saver on one output --------------------------------------------------
USER_ENV=QT_QPA_PLATFORM=wayland
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "/s on Wayland shows a window (it ran: $(running "$PROGRAM_PID" && echo yes || echo no))"
read -r _ x y w h fullscreen output <<<"${VIEWS[0]}"
check "the saver's window is full-screen on $output ($x,$y ${w}x$h, full-screen mode $fullscreen)" \
    [ "$x $y $w $h $fullscreen" = "0 0 1920 1080 1" ]
sleep 1  # a few dozen steps of silence
shot
check "the saver covers the output ($white white pixels left)" [ "$white" -eq 0 ]
# The compositor's arrow would light pixels here: the pointer is hidden.
check "before the music the output is black, with no pointer ($lit lit pixels)" [ "$lit" -eq 0 ]

play_music 4
most=0 most_colours=0
for i in 1 2 3 4 5 6; do
    sleep 0.5
    shot --save "$T/music.png"
    if [ "$lit" -gt "$most" ]; then
        most=$lit
        cp "$T/music.png" "$BUILD_DIR/wayland-saver-music.png"
    fi
    [ "$colours" -gt "$most_colours" ] && most_colours=$colours
done
check "with music playing the rays light the output (at most $most lit pixels)" [ "$most" -gt 2000 ]
# Black counts as one of the colours here.
check "the rays are coloured (at most $most_colours colours at a look)" [ "$most_colours" -gt 3 ]
wait "$PLAY_PID"
sleep 2  # the trails are erased within a few steps of silence
shot --save "$BUILD_DIR/wayland-saver-silence.png"
check "after the music the output is black again ($lit lit pixels)" [ "$lit" -eq 0 ]

check "the saver is still running" running "$PROGRAM_PID"
# The first of these keys may be lost; the second must end it.
keys space space
ends_within 1 "a key ends the saver"
check "it ends with status 0" [ "${EXIT_STATUS:-1}" -eq 0 ]

# --- Pointer moves ------------------------------------------------------------
as_user swaymsg -q seat - cursor set 100 500
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "/s shows a window again"
sleep 0.5
pointer_moves 10 10 0
sleep 0.5
check "ten horizontal pointer moves leave the saver running" running "$PROGRAM_PID"
pointer_moves 12 0 20
sleep 0.5
check "twelve vertical pointer moves leave the saver running" running "$PROGRAM_PID"
pointer_moves 1 10 0
ends_within 1 "the eleventh horizontal move ends the saver"

# --- Outputs come and go -------------------------------------------------------
# The saver starts on one output; a second one made while it runs gets a
# window of its own, full screen, covered and lit, and the pointer stays
# hidden on the first. (Sway 1.7 cannot take a headless output away: a
# disabled one keeps its wl_output, so Qt keeps the screen.)
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "/s shows a window on one output"
as_user swaymsg -q create_output || give_up "sway makes a second output"
OUTPUTS+=("HEADLESS-2 1920 0 1280 720")
wait_for_views "$PROGRAM_PID" 2 10 ||
    fail "a window follows the output made while the saver runs (${#VIEWS[@]}: ${VIEWS[*]})"
for entry in "${OUTPUTS[@]}"; do
    read -r name _ _ w h <<<"$entry"
    covered=no
    for view in "${VIEWS[@]}"; do
        read -r _ _ _ vw vh fullscreen on <<<"$view"
        [ "$on $vw $vh $fullscreen" = "$name $w $h 1" ] && covered=yes
    done
    check "a full-screen saver window on $name (${w}x$h)" [ "$covered" = yes ]
done
play_music 4
sleep 1
for entry in "${OUTPUTS[@]}"; do
    read -r name _ _ w h <<<"$entry"
    shot --save "$BUILD_DIR/wayland-saver-$name.png" "$name"
    check "$name is covered ($white white pixels left) and lit ($lit pixels)" [ "$white" -eq 0 -a "$lit" -gt 500 ]
done
wait "$PLAY_PID"

# A saver no output shows (its workspace is put away) is asked for no
# frames: it steps slowly meanwhile, and draws again when shown.
as_user swaymsg -q workspace 9
play_music 4
sleep 1.5
shot HEADLESS-1
check "the saver's workspace put away, the output shows the empty one ($white white pixels)" [ "$white" -gt 1000000 ]
check "the saver runs on while nothing shows it" running "$PROGRAM_PID"
as_user swaymsg -q workspace 1
most=0
for i in 1 2 3 4; do
    sleep 0.3
    shot HEADLESS-1
    [ "$lit" -gt "$most" ] && most=$lit
done
check "shown again, the saver covers and lights the output (at most $most lit, $white white pixels)" \
    [ "$white" -eq 0 -a "$most" -gt 500 ]
wait "$PLAY_PID"

# A keyboard the seat loses and gets back still ends the saver (a keyboard
# that sleeps, a switch between machines): wtype with nothing to type makes
# a keyboard and lets it go again.
as_user wtype -s 300
sleep 0.5
keys space space
ends_within 1 "a key ends the saver after the outputs changed"

# --- The settings dialog --------------------------------------------------------
INI=$USER_HOME/.config/Gyrobloom/Gyrobloom.ini
ini_value() { sed -n "s/^$1=//p" "$INI" 2>/dev/null; }
start_user_program /c
wait_for_views "$PROGRAM_PID" 2 10 || give_up "/c shows two windows (${VIEWS[*]:-none})"
dialog="" preview=""
for view in "${VIEWS[@]}"; do
    read -r name x y w h _ <<<"$view"
    if [ "$name" = Screen_Saver_Properties ]; then dialog="$x $y $w $h"; else preview="$x $y $w $h"; fi
done
check "the dialog \"Screen Saver Properties\" is shown (${VIEWS[*]})" [ -n "$dialog" ]
check "and the preview beside it" [ -n "$preview" ]
read -r PX PY PW PH <<<"${preview:-0 0 2 2}"
play_music 6
sleep 1  # the preview's meter comes up
sums=() lits=()
for i in 1 2 3 4 5 6 7 8; do
    sleep 0.5
    shot "$PX,$PY ${PW}x$PH"
    sums+=("$sum") lits+=("$lit")
done
pictures=$(printf '%s\n' "${sums[@]}" | sort -u | wc -l)
check "with music the preview moves ($pictures different pictures in 8 looks, lit pixels: ${lits[*]})" \
    [ "$pictures" -ge 3 ]
wait "$PLAY_PID"
read -r DX DY _ _ <<<"${dialog:-0 0 0 0}"
sleep 0.5
shot --save "$BUILD_DIR/wayland-settings.png"
pages="$((DX + $(px "${PAGES[0]}"))),$((DY + $(px "${PAGES[1]}"))) $(px "${PAGES[2]}")x$(px "${PAGES[3]}")"
shot "$pages"
before=$sum
click_at $((DX + $(px "${RAYS_TAB[0]}"))) $((DY + $(px "${RAYS_TAB[1]}")))
shot "$pages"
check "a click on the \"Rays\" tab turns the page" [ "$before" != "$sum" ]
click_at $((DX + $(px "${NUM_RAYS_RIGHT[0]}"))) $((DY + $(px "${NUM_RAYS_RIGHT[1]}")))
click_at $((DX + $(px "${OK_BUTTON[0]}"))) $((DY + $(px "${OK_BUTTON[1]}")))
ends_within 2 "OK closes the dialog"
check "OK stores the new number of rays (3 + 1: \"$(ini_value "Number of Rays")\")" [ "$(ini_value "Number of Rays")" = 4 ]
check "OK stores all fourteen parameters" [ "$(grep -c = "$INI" 2>/dev/null)" = 14 ]

# --- A scaled output ------------------------------------------------------------
# At scale 2 the saver draws at the output's own pixels: its lines keep
# hard edges (a buffer of half the size, scaled up by a compositor that
# blends, would show hundreds of colours; by one that doubles pixels, pairs
# of equal neighbours). Once with the output scaled before
# the saver starts, once scaled while it runs.
scaled_looks() {
    play_music 4
    most=0 most_colours=0 most_white=0 finest=0
    for i in 1 2 3 4; do
        sleep 0.5
        shot HEADLESS-1
        [ "$white" -gt "$most_white" ] && most_white=$white
        [ "$lit" -gt "$most" ] && most=$lit
        [ "$colours" -gt "$most_colours" ] && most_colours=$colours
        [ "$fine" -gt "$finest" ] && finest=$fine
    done
    check "$1: the saver covers the output (at most $most_white white pixels)" [ "$most_white" -eq 0 ]
    check "$1: the rays light it (at most $most lit pixels)" [ "$most" -gt 2000 ]
    check "$1: with hard edges (at most $most_colours colours at a look)" [ "$most_colours" -lt 40 ]
    # Drawn at half the size and doubled, no pixel would differ from its
    # neighbour in the pair.
    check "$1: at the output's own pixels ($finest pairs of neighbours differ)" [ "$finest" -gt 100 ]
    wait "$PLAY_PID"
    keys space space
    ends_within 1 "$1: a key ends the saver"
}
as_user swaymsg -q output HEADLESS-1 scale 2
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "/s shows a window on the scaled output"
scaled_looks "at scale 2"
as_user swaymsg -q output HEADLESS-1 scale 1
start_user_program /s
wait_for_views "$PROGRAM_PID" 1 10 || give_up "/s shows a window again"
sleep 0.5
as_user swaymsg -q output HEADLESS-1 scale 2
sleep 0.5
scaled_looks "scaled to 2 while it runs"
as_user swaymsg -q output HEADLESS-1 scale 1

# --- Qt's own choice ------------------------------------------------------------
USER_ENV=""
start_user_program /s
if wait_for_views "$PROGRAM_PID" 1 10; then
    pass "with no QT_QPA_PLATFORM the saver shows a Wayland window (sway lists it: ${VIEWS[0]})"
else
    fail "with no QT_QPA_PLATFORM the saver shows a Wayland window"
fi
sleep 0.5
check "and runs" running "$PROGRAM_PID"
keys space space
ends_within 1 "a key ends it"

finish
