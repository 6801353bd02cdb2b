#!/usr/bin/env bash
# Settings mode in a real X server: "gyrobloom /c" shows "Screen Saver
# Properties" over the live preview; a click on the "Rays" tab and on a
# scroll bar's arrow changes what the dialog shows; Apply and OK write the
# settings file, OK and Cancel end the program, and Cancel writes nothing.
# Screenshots of the dialog over the preview, at 100% and at 200%
# (QT_SCALE_FACTOR=2), go to <build-dir>/screenshots/.

source "$(dirname "$0")/lib.sh" "$@"

export XDG_CONFIG_HOME=$T/config
INI=$XDG_CONFIG_HOME/Gyrobloom/Gyrobloom.ini
SHOTS=$BUILD_DIR/screenshots
mkdir -p "$SHOTS"

# Places in the dialog, in twips from its client area's top-left corner,
# from its layout: the page frames sit at (240, 480) and the controls of the
# "Rays" page are placed relative to that.
# The arrows are the scroll bars' last 255 twips (a square); their middles
# lie 120 twips inside the bars' right ends.
RAYS_TAB=(1620 300)           # the middle of the second tab ("Rays") of the tab strip at (120, 120)
NUM_RAYS_RIGHT=(3975 1080)    # hsbNumRays: (360, 960), 3735 x 255
ERASE_RATE_RIGHT=(3975 1680)  # hsbEraseRate: (360, 1560), 3735 x 255
NUM_RAYS_LABEL=(360 720 3255 255)
PAGES=(240 480 3975 3735)
OK_BUTTON=(1117 4777)
CANCEL_BUTTON=(2317 4777)
APPLY_BUTTON=(3517 4777)
CLIENT=(4470 5085)

SCALE=1  # the QT_SCALE_FACTOR of the run
TWIPS_PER_PIXEL=15  # Xvfb's screen: 96 dots per inch

px() { echo $(((($1 * SCALE * 2) + TWIPS_PER_PIXEL) / (2 * TWIPS_PER_PIXEL))); }

# window_named PID NAME SECONDS: prints the id of the process's visible
# window with that title.
window_named() {
    local pid=$1 name=$2 limit=$(($3 * 20)) i id
    for i in $(seq "$limit"); do
        for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$name" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# geometry WINDOW: sets WX WY WW WH.
geometry() {
    local info
    info=$(xwininfo -id "$1")
    WX=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    WY=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    WW=$(awk '/Width:/ {print $NF}' <<<"$info")
    WH=$(awk '/Height:/ {print $NF}' <<<"$info")
}

# click TWIPS_X TWIPS_Y: a left click at that place of the dialog.
click() {
    xdotool mousemove $((DX + $(px "$1"))) $((DY + $(px "$2"))) click 1
    sleep 0.3
}

# region_sum LEFT TOP WIDTH HEIGHT (twips): a checksum of what that part of
# the dialog shows now.
region_sum() {
    import -window root "$T/region.png" &&
        /usr/bin/convert "$T/region.png" -crop "$(px "$3")x$(px "$4")+$((DX + $(px "$1")))+$((DY + $(px "$2")))" \
            +repage rgb:- | md5sum | cut -d' ' -f1
}

ini_value() { sed -n "s/^$1=//p" "$INI" 2>/dev/null; }
ini_keys() { if [ -f "$INI" ]; then awk -F= 'NF > 1 {n++} END {print n + 0}' "$INI"; else echo 0; fi; }

# wait_for_ini KEY VALUE SECONDS: true once the file holds that value.
wait_for_ini() {
    local i
    for i in $(seq $(($3 * 20))); do
        [ "$(ini_value "$1")" = "$2" ] && return 0
        sleep 0.05
    done
    return 1
}

# open_dialog: starts "gyrobloom /c" and finds both windows; sets DIALOG,
# PREVIEW and the dialog's place DX DY.
open_dialog() {
    start_program /c
    DIALOG=$(window_named "$PROGRAM_PID" "Screen Saver Properties" 10) || {
        fail "/c shows the dialog"
        cat "$T/program-$PROGRAM_RUNS.log"
        finish
    }
    PREVIEW=$(window_named "$PROGRAM_PID" "Preview" 5) || PREVIEW=
    geometry "$DIALOG"
    DX=$WX DY=$WY
    sleep 0.5  # the first frames drawn
}

# shot NAME: the dialog over the preview, with a sweeping tone whose
# loudness pulses playing, so that the preview shows rays.
shot() {
    local tone=$T/tone.wav
    [ -f "$tone" ] || sox -n -r 44100 -c 2 -b 16 "$tone" synth 8 sine 220-880 tremolo 2 100 vol 0.9 2>/dev/null
    paplay -d test_sink "$tone" 2>/dev/null &
    local player=$!
    PIDS+=($player)
    sleep 3.5
    # No window manager places the dialog, so it is moved over the preview's
    # lower right corner, as a user would move it.
    geometry "$PREVIEW"
    local pw=$WW ph=$WH
    geometry "$DIALOG"
    xdotool windowmove "$DIALOG" $((pw - WW / 2)) $((ph / 2))
    sleep 0.5
    geometry "$DIALOG"
    DX=$WX DY=$WY
    local right=$((DX + WW + 8)) bottom=$((DY + WH + 8))
    [ "$right" -lt "$pw" ] && right=$pw
    [ "$bottom" -lt "$ph" ] && bottom=$ph
    import -window root "$T/shot.png" && /usr/bin/convert "$T/shot.png" -crop "${right}x${bottom}+0+0" +repage "$SHOTS/$1"
    kill "$player" 2>/dev/null
    echo "screenshot: $SHOTS/$1"
}

start_xvfb
start_pulse

# --- The dialog over the preview ----------------------------------------------
open_dialog
pass "/c shows \"Screen Saver Properties\""
check "/c shows the preview window" [ -n "$PREVIEW" ]
geometry "$DIALOG"
check "the dialog's client area is 4470 x 5085 twips (${WW}x${WH} pixels)" \
    [ "$WW,$WH" = "$(px "${CLIENT[0]}"),$(px "${CLIENT[1]}")" ]
if [ -n "$PREVIEW" ]; then
    geometry "$PREVIEW"
    check "the preview sits in the top-left corner ($WX,$WY)" [ "$WX,$WY" = "0,0" ]
fi

# --- The "Rays" tab and a scroll bar's arrow --------------------------------------
page_before=$(region_sum "${PAGES[@]}")
click "${RAYS_TAB[@]}"
page_after=$(region_sum "${PAGES[@]}")
check "a click on the \"Rays\" tab turns the page" [ "$page_before" != "$page_after" ]

label_before=$(region_sum "${NUM_RAYS_LABEL[@]}")
click "${NUM_RAYS_RIGHT[@]}"
label_after=$(region_sum "${NUM_RAYS_LABEL[@]}")
check "a click on the right arrow of the number of rays changes its label" [ "$label_before" != "$label_after" ]
check "nothing is stored before OK or Apply" [ ! -e "$INI" ]

# --- Apply, then OK ---------------------------------------------------------------
click "${APPLY_BUTTON[@]}"
check "Apply writes the settings file with the new number of rays (3 + 1)" wait_for_ini "Number of Rays" 4 5
check "Apply writes all fourteen parameters ($(ini_keys) keys)" [ "$(ini_keys)" -eq 14 ]
check "Apply leaves the dialog open" running "$PROGRAM_PID"

click "${ERASE_RATE_RIGHT[@]}"
click "${OK_BUTTON[@]}"
if wait_for_exit "$PROGRAM_PID" 5; then
    pass "OK ends the program (in ${EXIT_MS} ms)"
    check "with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "OK ends the program within 5 seconds"
fi
check "OK stores the trail length shown (5 + 1)" [ "$(ini_value "Line Length")" = 6 ]
check "and keeps the applied number of rays" [ "$(ini_value "Number of Rays")" = 4 ]

# --- Cancel -------------------------------------------------------------------------
stored=$(md5sum <"$INI" 2>/dev/null)
open_dialog
click "${RAYS_TAB[@]}"
click "${NUM_RAYS_RIGHT[@]}"
click "${CANCEL_BUTTON[@]}"
if wait_for_exit "$PROGRAM_PID" 5; then
    pass "Cancel ends the program (in ${EXIT_MS} ms)"
    check "with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" -eq 0 ]
else
    fail "Cancel ends the program within 5 seconds"
fi
check "Cancel leaves the settings file as it was" [ "$(md5sum <"$INI" 2>/dev/null)" = "$stored" ]

rm -rf "$XDG_CONFIG_HOME"
open_dialog
click "${CANCEL_BUTTON[@]}"
check "Cancel right after opening ends the program" wait_for_exit "$PROGRAM_PID" 5
check "and writes no settings file" [ ! -e "$INI" ]

# --- Screenshots at 100% and at 200% ---------------------------------------------------------
open_dialog
shot settings-dialog.png
click "${CANCEL_BUTTON[@]}"
wait_for_exit "$PROGRAM_PID" 5 || fail "Cancel ends the program after the screenshot"

export QT_SCALE_FACTOR=2
SCALE=2
open_dialog
geometry "$DIALOG"
check "at 200% the dialog is twice the size (${WW}x${WH} pixels)" \
    [ "$WW,$WH" = "$(px "${CLIENT[0]}"),$(px "${CLIENT[1]}")" ]
click "${RAYS_TAB[@]}"
click "${NUM_RAYS_RIGHT[@]}"
click "${APPLY_BUTTON[@]}"
check "at 200% the tab, the arrow and Apply are where they are drawn" wait_for_ini "Number of Rays" 4 5
shot settings-dialog-200.png
click "${OK_BUTTON[@]}"
check "at 200% OK ends the program" wait_for_exit "$PROGRAM_PID" 5
unset QT_SCALE_FACTOR

finish
