#!/usr/bin/env bash
# Settings mode in a real X server: "gyrobloom /c" shows the dialog over the live
# preview; tab and arrow clicks change what it shows; Apply and OK store, Cancel
# stores nothing, OK and Cancel end the program. Screenshots at 100% and 200%
# (QT_SCALE_FACTOR=2) go to <build-dir>/screenshots/.

source "$(dirname "$0")/lib.sh" "$@"

export XDG_CONFIG_HOME=$T/config
INI=$XDG_CONFIG_HOME/Gyrobloom/Gyrobloom.ini
SHOTS=$BUILD_DIR/screenshots
mkdir -p "$SHOTS"

# The dialog's places (CLIENT, RAYS_TAB, ...), px, click and look_at are
# lib.sh's; SCALE follows QT_SCALE_FACTOR.

ini_value() { sed -n "s/^$1=//p" "$INI" 2>/dev/null; }
wait_for_ini() { local i; for i in $(seq 100); do [ "$(ini_value "$1")" = "$2" ] && return; sleep 0.05; done; false; }
ends() { wait_for_exit "$PROGRAM_PID" 5 && [ "$EXIT_STATUS" -eq 0 ]; }

# open_dialog: starts "gyrobloom /c"; sets DIALOG, PREVIEW and the dialog's place DX DY.
open_dialog() {
    start_program /c
    DIALOG=$(window_named "Screen Saver Properties") || {
        cat "$T/program-$PROGRAM_RUNS.log"
        give_up "/c shows the dialog"
    }
    PREVIEW=$(window_named "Preview") || PREVIEW=
    geometry "$DIALOG"
    DX=$WX DY=$WY
    sleep 0.5
}

# shot NAME: the dialog, moved over the preview's lower right corner, with a
# pulsing tone playing so that the preview shows rays.
shot() {
    play sweep-8 test_sink
    sleep 3.5
    geometry "$PREVIEW"
    local pw=$WW ph=$WH
    geometry "$DIALOG"
    xdotool windowmove "$DIALOG" $((pw - WW / 2)) $((ph / 2))
    sleep 0.5
    geometry "$DIALOG"
    DX=$WX DY=$WY
    local w=$((DX + WW + 8 > pw ? DX + WW + 8 : pw)) h=$((DY + WH + 8 > ph ? DY + WH + 8 : ph))
    look --save "$SHOTS/$1" 0 0 "$w" "$h"
    kill "$PLAY_PID" 2>/dev/null
    echo "screenshot: $SHOTS/$1"
}

start_x_server
start_sound_server

open_dialog
pass "/c shows \"Screen Saver Properties\""
check "/c shows the preview window" [ -n "$PREVIEW" ]
check "the dialog's client area is 4470 x 5085 twips (${WW}x${WH} pixels)" \
    [ "$WW,$WH" = "$(px "${CLIENT[0]}"),$(px "${CLIENT[1]}")" ]
[ -n "$PREVIEW" ] && geometry "$PREVIEW" && check "the preview sits in the top-left corner" [ "$WX,$WY" = "0,0" ]

click_changes "a click on the \"Rays\" tab turns the page" RAYS_TAB PAGES
click_changes "the number of rays' right arrow changes its label" NUM_RAYS_RIGHT NUM_RAYS_LABEL
check "nothing is stored before OK or Apply" [ ! -e "$INI" ]

click "${APPLY_BUTTON[@]}"
check "Apply stores the new number of rays (3 + 1)" wait_for_ini "Number of Rays" 4
check "Apply stores all fourteen parameters" [ "$(grep -c = "$INI")" -eq 14 ]
check "Apply leaves the dialog open" running "$PROGRAM_PID"
click "${ERASE_RATE_RIGHT[@]}"
click "${OK_BUTTON[@]}"
check "OK ends the program with status 0" ends
check "OK stores the trail length shown (5 + 1)" [ "$(ini_value "Line Length")" = 6 ]

rm -rf "$XDG_CONFIG_HOME"
open_dialog
shot settings-dialog.png
click "${RAYS_TAB[@]}"
click "${NUM_RAYS_RIGHT[@]}"
click "${CANCEL_BUTTON[@]}"
check "Cancel ends the program with status 0" ends
check "and writes no settings file" [ ! -e "$INI" ]

export QT_SCALE_FACTOR=2
SCALE=2
open_dialog
check "at 200% the dialog is twice the size (${WW}x${WH} pixels)" \
    [ "$WW,$WH" = "$(px "${CLIENT[0]}"),$(px "${CLIENT[1]}")" ]
click "${RAYS_TAB[@]}"
click "${NUM_RAYS_RIGHT[@]}"
click "${APPLY_BUTTON[@]}"
check "at 200% the tab, the arrow and Apply are where they are drawn" wait_for_ini "Number of Rays" 4
shot settings-dialog-200.png
click "${OK_BUTTON[@]}"
check "at 200% OK ends the program" ends

finish
