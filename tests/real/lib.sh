# The scene of the real-component tests, sourced by every script that runs
# the programs for real (tests/real, tests/x11, tests/wine, tests/package).
#
# Usage: source lib.sh "$@"   (arguments: the program under test, the build directory)
#
# A script gets a private HOME and XDG_RUNTIME_DIR in a temporary directory
# ($T), so that neither the settings nor the single-instance lock of a real
# session are touched, and from here:
#
#   start_x_server [WxH] [--monitors WxH,...]
#                              its own X server, of one monitor or several
#   start_sound_server ...     its own sound server (PulseAudio or PipeWire)
#   sound NAME, play, play_music
#                              the test sounds, played into that server
#   look [X Y W H]             what the screen shows, in whole numbers
#   check, require, pass, fail, give_up, finish
#                              checks, counted; the summary and the status
#
# Everything started is stopped by PID when the script exits, however it exits.

set -u

GYROBLOOM=${1:?path of the program under test}
BUILD_DIR=${2:-.}
REAL_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
T=$(mktemp -d /tmp/gyrobloom-real.XXXXXX)
export HOME=$T/home XDG_RUNTIME_DIR=$T/xdg
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The script reaches only the servers it starts.
unset QT_QPA_PLATFORM DISPLAY

PIDS=()
FAILURES=0
CHECKS=0

# The sound server's internals (tests/real/pulse/servers.sh): which one runs
# (GYROBLOOM_SOUND_SERVER), how it is started, frozen and stopped.
source "$REAL_TESTS/pulse/servers.sh"
export SOUND_LOG_DIR=$T
sound_server_env

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    sound_server_teardown
    if [ "${KEEP_TMP:-}" = 1 ]; then echo "kept $T"; else rm -rf "$T"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- Checks ------------------------------------------------------------------

pass() { CHECKS=$((CHECKS + 1)); echo "PASS: $*"; }
fail() { CHECKS=$((CHECKS + 1)); FAILURES=$((FAILURES + 1)); echo "FAIL: $*"; }

# check DESCRIPTION COMMAND...: PASS when the command succeeds; the status
# says which.
check() {
    local description=$1
    shift
    if "$@"; then pass "$description"; else fail "$description"; return 1; fi
}

# require DESCRIPTION COMMAND...: a check the rest of the script stands on:
# when it fails, the script ends there.
require() { check "$@" || finish; }

# give_up WHAT: what the script needs did not happen (a server that does
# not answer, a probe that died): counted as a failed check, and the
# script ends.
give_up() {
    fail "$*"
    finish
}

# show_on_failure FILE...: files whose last lines the summary shows when a
# check has failed.
SHOWN_ON_FAILURE=()
show_on_failure() { SHOWN_ON_FAILURE+=("$@"); }

# Prints the summary and ends the script, with a non-zero status on any
# failure. A sanitizer report in any run of the program (the asan-app
# build) counts as a failure too.
finish() {
    local log
    for log in "$T"/program-*.log; do
        [ -e "$log" ] || continue
        if grep -qE '^(==[0-9]+==ERROR: [A-Za-z]+Sanitizer|SUMMARY: [A-Za-z]+Sanitizer)|runtime error: ' "$log"; then
            fail "the program ran clean under the sanitizers ($(basename "$log"))"
            grep -E 'ERROR: |runtime error: |SUMMARY: ' "$log" | head -n 5
        fi
    done
    if [ "$FAILURES" -gt 0 ]; then
        for log in "${SHOWN_ON_FAILURE[@]}"; do
            [ -s "$log" ] || continue
            echo "--- the end of $(basename "$log")"
            tail -n 8 "$log"
        done
    fi
    echo "$((CHECKS - FAILURES)) of $CHECKS checks passed"
    [ "$FAILURES" -eq 0 ]
    exit $?
}

now_ms() { date +%s%3N; }
now_us() { date +%s%6N; }

# --- The X server ------------------------------------------------------------

# start_x_server [WIDTHxHEIGHT] [--monitors WxH,WxH...]: an X server with one
# screen of that size (1920x1080 unless given) on a free display; exports
# DISPLAY. Its root window is white, so that a window covering it shows.
#
# Xvfb, with -noreset to keep the pointer where a test put it when the last
# client goes. With --monitors the screen is a desk of monitors of those
# sizes, side by side from left to right with their tops level, the first
# the primary: Xvfb cannot split its screen, so this is Xorg with the dummy
# driver at the desk's size, split with xrandr --setmonitor. It sets
# MONITORS (each monitor as "X Y W H", the primary first) and MONITOR_NAMES
# (the names xrandr knows them by: LEFT, then MIDDLE..., then RIGHT).
start_x_server() {
    local size=1920x1080 monitors=""
    while [ $# -gt 0 ]; do
        case $1 in
        --monitors) monitors=$2; shift 2 ;;
        *) size=$1; shift ;;
        esac
    done
    MONITORS=() MONITOR_NAMES=()
    if [ -z "$monitors" ]; then
        x_server_on_free_display Xvfb Xvfb -screen 0 "${size}x24" -noreset -wr -nolisten tcp
        MONITORS=("0 0 ${size%x*} ${size#*x}")
        return
    fi
    [ "$(id -u)" -eq 0 ] || give_up "a desk of several monitors is an Xorg server, which only root may start so"
    local width=0 height=0 w h
    for size in ${monitors//,/ }; do
        w=${size%x*} h=${size#*x}
        MONITORS+=("$width 0 $w $h")
        width=$((width + w))
        [ "$h" -gt "$height" ] && height=$h
    done
    write_xorg_config "$width" "$height"
    x_server_on_free_display Xorg Xorg -config "$T/xorg.conf" -configdir "$T/xorg.conf.d" \
        -logfile "$T/xorg.log" -noreset -nolisten tcp -novtswitch
    split_screen
    xsetroot -solid white || give_up "the root window turns white (xsetroot)"
}

# x_server_on_free_display NAME COMMAND...: starts the X server on the first
# free display (it writes the number on descriptor 3), waits up to 10 s for
# it and exports DISPLAY.
x_server_on_free_display() {
    local name=$1 fifo=$T/display i
    shift
    command -v "$1" >/dev/null || give_up "$name is installed (tools/setup.sh installs it)"
    rm -f "$fifo"
    "$@" -displayfd 3 3>"$fifo" 2>"$T/$name.err" &
    PIDS+=($!)
    for i in $(seq 200); do
        [ -s "$fifo" ] && break
        sleep 0.05
    done
    [ -s "$fifo" ] || give_up "$name starts ($(tail -n 3 "$T/$name.err" | paste -sd '|'))"
    export DISPLAY=:$(head -n1 "$fifo")
}

# write_xorg_config WIDTH HEIGHT: a configuration for Xorg with the dummy
# driver and one output, DUMMY0, showing a mode of exactly that size, and
# no input devices (XTEST's own keyboard and pointer remain, for xdotool).
write_xorg_config() {
    local w=$1 h=$2
    # Blanking in the proportions of a monitor's usual timings (the driver
    # takes narrow blanking for reduced blanking, which it refuses); a
    # pixel clock of at most 297 MHz, at whatever refresh rate that gives.
    local htotal=$((w + w * 7 / 48)) vtotal=$((h + h / 24))
    local clock_khz=$((htotal * vtotal * 60 / 1000))
    [ "$clock_khz" -le 297000 ] || clock_khz=297000
    local clock=$((clock_khz / 1000)).$(printf %03d $((clock_khz % 1000)))
    local horizontal="$w $((w + w * 11 / 240)) $((w + w * 11 / 160)) $htotal"
    local vertical="$h $((h + 4)) $((h + 9)) $vtotal"
    mkdir -p "$T/xorg.conf.d"
    cat >"$T/xorg.conf" <<CONF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
EndSection
Section "Device"
    Identifier "card"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 1.0 - 1000.0
    VertRefresh 1.0 - 200.0
    Modeline "desk" $clock $horizontal $vertical
EndSection
Section "Screen"
    Identifier "screen"
    Device "card"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "desk"
    EndSubSection
EndSection
CONF
}

# split_screen: makes MONITORS the X server's monitors (xrandr
# --setmonitor), the first holding the output, which makes it the primary.
split_screen() {
    local count=${#MONITORS[@]} i x y w h
    for i in $(seq 0 $((count - 1))); do
        if [ "$i" -eq 0 ]; then MONITOR_NAMES+=(LEFT)
        elif [ "$i" -eq $((count - 1)) ]; then MONITOR_NAMES+=(RIGHT)
        elif [ "$count" -eq 3 ]; then MONITOR_NAMES+=(MIDDLE)
        else MONITOR_NAMES+=("MIDDLE$i")
        fi
    done
    for i in $(seq $((count - 1)) -1 0); do
        read -r x y w h <<<"${MONITORS[$i]}"
        xrandr --setmonitor "${MONITOR_NAMES[$i]}" "$w/$(millimetres "$w")x$h/$(millimetres "$h")+$x+$y" \
            "$([ "$i" -eq 0 ] && echo DUMMY0 || echo none)" >>"$T/xrandr.err" 2>&1 ||
            give_up "xrandr makes monitor ${MONITOR_NAMES[$i]} ($(tail -n 2 "$T/xrandr.err" | paste -sd '|'))"
    done
    local listed
    listed=$(xrandr --listmonitors | head -n1)
    [ "$listed" = "Monitors: $count" ] || give_up "the X server lists $count monitors (xrandr says \"$listed\")"
}

# millimetres PIXELS: their length at 96 dots per inch.
millimetres() { echo $((($1 * 254 + 480) / 960)); }

# remove_monitor NAME: takes the monitor away while clients run, as when
# one is unplugged.
remove_monitor() { xrandr --delmonitor "$1"; }

# --- The sound server --------------------------------------------------------

# start_sound_server [--no-microphone | --no-devices] [MODULE_LINE...]: the
# script's sound server, with an output test_sink and a quiet stand-in
# microphone test_mic (fed by what is played into the sink mic_feed) as the
# default output and input, so that the meter finds both its meters. With
# --no-microphone only test_sink (its monitor is the only source, as on most
# desktop PCs); with --no-devices none at all. Module lines add devices
# ("module-null-sink sink_name=other_sink"). After sound_server_stop it
# starts the server again.
start_sound_server() {
    local devices=("module-null-sink sink_name=test_sink") missing
    case ${1:-} in
    --no-microphone) shift ;;
    --no-devices) shift; devices=() ;;
    *) devices+=("module-null-sink sink_name=mic_feed" "module-remap-source source_name=test_mic master=mic_feed.monitor") ;;
    esac
    missing=$(sound_server_missing)
    [ -z "$missing" ] || give_up "not installed: $missing (tools/setup.sh installs them)"
    sound_server_start "${devices[@]}" "$@" ||
        give_up "$SOUND_SERVER answers ($(tail -n 3 "$T/$SOUND_SERVER.log" | paste -sd '|'))"
    [ ${#devices[@]} -gt 0 ] || return 0
    pactl set-default-sink test_sink
    DEFAULT_SOURCE=""
    [ ${#devices[@]} = 1 ] || { DEFAULT_SOURCE=test_mic; pactl set-default-source test_mic; }
    # PipeWire keeps telling a client that connects before its session
    # manager has taken these defaults "@DEFAULT_SINK@" for seconds; the
    # meter then stands in the first output, which is not what the tests
    # follow.
    sound_wait 5 defaults_taken || give_up "$SOUND_SERVER takes the default devices"
}
defaults_taken() {
    local info
    info=$(pactl info 2>/dev/null) || return 1
    grep -qx 'Default Sink: test_sink' <<<"$info" &&
        { [ -z "$DEFAULT_SOURCE" ] || grep -qx "Default Source: $DEFAULT_SOURCE" <<<"$info"; }
}

# --- Sounds ------------------------------------------------------------------

# make_sound NAME: makes the test sound of that name once; sets SOUND to its
# file.
#   music-N    N seconds of music with a pulse to it: a chord whose loudness
#              swells and falls twice a second, so that the meter sees peaks
#              and tempo changes
#   sine-N     N seconds of a -6 dBFS 440 Hz sine
#   sweep-N    N seconds of a loud tone sweeping 220 to 880 Hz, pulsing
#   speech     recorded speech
make_sound() {
    SOUND=$T/$1.wav
    [ -s "$SOUND" ] && return 0
    local make=(sox -n -r 44100 -c 2 -b 16 "$SOUND" synth "${1#*-}")
    case $1 in
    music-*) make+=(sine 220 sine 277 sine 330 tremolo 2 90 vol 0.8) ;;
    sine-*) make+=(sine 440 vol 0.5) ;;
    sweep-*) make+=(sine 220-880 tremolo 2 100 vol 0.9) ;;
    speech) make=(espeak-ng -w "$SOUND" "Gyrobloom listens to the sound of the computer and draws it.") ;;
    esac
    "${make[@]}" 2>/dev/null && [ -s "$SOUND" ] || give_up "the test sound $1 is made (${make[0]})"
}

# play NAME [DEVICE]: plays a test sound in the background (to the default
# output unless a device is named), as the sound server's user; sets
# PLAY_PID and PLAY_MS (its start).
play() {
    make_sound "$1"
    as_sound_user
    PLAY_MS=$(now_ms)
    "${AS_SOUND_USER[@]}" paplay --latency-msec=20 ${2:+--device=$2} "$SOUND" 2>/dev/null &
    PLAY_PID=$!
    PIDS+=($PLAY_PID)
}

# play_music SECONDS [DEVICE]: plays that much of the test music.
play_music() { play "music-$1" "${2:-}"; }

# --- The screen --------------------------------------------------------------

# look [--save FILE] [X Y W H]: reads the screen once (tests/real/screen.py)
# and sets, for the rectangle (the whole screen unless given): inside_lit
# (pixels not black), colours (their distinct colours), left top right
# bottom (their bounding box in the rectangle, -1 when none), mean (the mean
# brightness, 0 black to 1000 white), sum (a checksum of its pixels), white
# (its pixels that show the white root window), outside_changed (pixels
# outside it that are not the white root window),
# pointer (the pointer's visible pixels, wherever it is). --save FILE keeps
# the rectangle as read in a PNG file.
look() {
    local numbers
    numbers=$(python3 "$REAL_TESTS/screen.py" look "$@" 2>"$T/look.err") ||
        give_up "the screen can be read ($(cat "$T/look.err"))"
    eval "$numbers"
}

# look_at_monitor I: look at monitor I of MONITORS (0 the primary).
look_at_monitor() {
    # shellcheck disable=SC2086  # "X Y W H"
    look ${MONITORS[$1]}
}

# near A B TOLERANCE: true when |A - B| <= TOLERANCE.
near() { local d=$(($1 - $2)); [ ${d#-} -le "$3" ]; }

# centred_on X Y: true when the lit box of the last look is centred there,
# to within 3 pixels (the rounding of a mirror image and of a round cap).
centred_on() { [ "$left" -ge 0 ] && near $(((left + right) / 2)) "$1" 3 && near $(((top + bottom) / 2)) "$2" 3; }

# watch_monitors LOOKS PAUSE SHOT: looks at the whole desk and at each
# monitor LOOKS times, PAUSE seconds apart, and sets for each monitor I:
#   WHITEST[I]       the most pixels of the white root it showed at a look
#   MOST_LIT[I]      the most lit pixels at a look where no white root showed,
#   MOST_COLOURS[I]  the most lit colours at such a look
#   BOX[I]           the lit box ("left top right bottom") at the fullest of
#                    those looks where it did not fill the monitor (a box
#                    from edge to edge says nothing of where a picture is
#                    centred); "-1 -1 -1 -1" when there was none
# SHOT names the file in the build directory that keeps the whole desk at
# its fullest.
watch_monitors() {
    local looks=$1 pause=$2 shot=$3 round i box_lit=() desk_most=0 w h
    WHITEST=() MOST_LIT=() MOST_COLOURS=() BOX=()
    for i in "${!MONITORS[@]}"; do WHITEST[i]=0 MOST_LIT[i]=0 MOST_COLOURS[i]=0 BOX[i]="-1 -1 -1 -1" box_lit[i]=0; done
    for round in $(seq "$looks"); do
        sleep "$pause"
        look --save "$T/desk.png"
        if [ "$inside_lit" -gt "$desk_most" ]; then
            desk_most=$inside_lit
            cp "$T/desk.png" "$BUILD_DIR/$shot"
        fi
        for i in "${!MONITORS[@]}"; do
            read -r _ _ w h <<<"${MONITORS[$i]}"
            look_at_monitor "$i"
            [ "$white" -gt "${WHITEST[i]}" ] && WHITEST[i]=$white
            [ "$white" -eq 0 ] || continue
            [ "$inside_lit" -gt "${MOST_LIT[i]}" ] && MOST_LIT[i]=$inside_lit
            # The rays' colours change from frame to frame: the most any
            # covered look showed counts.
            [ "$colours" -gt "${MOST_COLOURS[i]}" ] && MOST_COLOURS[i]=$colours
            [ "$left" -eq 0 ] && [ "$top" -eq 0 ] && [ "$right" -eq $((w - 1)) ] && [ "$bottom" -eq $((h - 1)) ] &&
                continue
            [ "$inside_lit" -gt "${box_lit[i]}" ] && box_lit[i]=$inside_lit BOX[i]="$left $top $right $bottom"
        done
    done
}

# monitor_size I: prints monitor I's size, WIDTHxHEIGHT.
monitor_size() {
    local w h
    read -r _ _ w h <<<"${MONITORS[$1]}"
    echo "${w}x$h"
}

# centred_on_monitor I: true when BOX[I] of watch_monitors is centred on
# monitor I (as centred_on); sets left top right bottom to that box.
centred_on_monitor() {
    local w h
    read -r _ _ w h <<<"${MONITORS[$1]}"
    read -r left top right bottom <<<"${BOX[$1]}"
    centred_on $((w / 2)) $((h / 2))
}

# --- The program -------------------------------------------------------------

# The user's settings: a mirrored picture that never switches its effects,
# so that it is symmetric about the centre of whatever it is drawn on.
write_mirrored_settings() {
    mkdir -p "$HOME/.config/Gyrobloom"
    printf '[Settings]\nMirror=True\nRandom=False\n' >"$HOME/.config/Gyrobloom/Gyrobloom.ini"
}

# start_program ARGS...: runs the program under test in the background;
# sets PROGRAM_PID.
PROGRAM_RUNS=0
start_program() {
    PROGRAM_RUNS=$((PROGRAM_RUNS + 1))
    "$GYROBLOOM" "$@" >"$T/program-$PROGRAM_RUNS.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=($PROGRAM_PID)
}

# True while the process runs (a process that ended but was not waited for
# yet counts as ended).
running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_for_exit PID SECONDS: true when the process ends within the time;
# sets EXIT_STATUS and EXIT_MS (how long it took).
wait_for_exit() {
    local pid=$1 limit_ms=$(($2 * 1000)) start
    start=$(now_ms)
    while running "$pid"; do
        if [ $(($(now_ms) - start)) -ge "$limit_ms" ]; then return 1; fi
        sleep 0.01
    done
    EXIT_MS=$(($(now_ms) - start))
    wait "$pid"
    EXIT_STATUS=$?
    return 0
}

# wait_for_window PID SECONDS: prints the id of the process's visible window.
wait_for_window() {
    local pid=$1 limit=$(($2 * 20)) i id
    for i in $(seq "$limit"); do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# window_named NAME [SECONDS]: the id of the visible window of PROGRAM_PID
# with that title, waiting up to 10 seconds (or as long as given).
window_named() {
    local i id
    for i in $(seq $((${2:-10} * 20))); do
        for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
            [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id" && return 0
        done
        sleep 0.05
    done
    return 1
}
# geometry WINDOW: sets WX WY WW WH (outer: the frame included where the program draws it).
geometry() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "WX=" $NF} /Absolute upper-left Y/ {print "WY=" $NF}
        /Width:/ {print "WW=" $NF} /Height:/ {print "WH=" $NF}')"
}

# Records every window mapped on the display from now on, one line each, in
# the file given; stop it with stop_map_watch.
start_map_watch() {
    xev -root -event substructure >"$1" 2>/dev/null &
    MAP_WATCH_PID=$!
    PIDS+=($MAP_WATCH_PID)
    sleep 0.3  # xev has selected its events
}
stop_map_watch() {
    sleep 0.3  # the last events have been written
    kill "$MAP_WATCH_PID" 2>/dev/null
    wait "$MAP_WATCH_PID" 2>/dev/null
}
maps_in() { grep -c '^MapNotify' "$1"; }

# --- The settings dialog -----------------------------------------------------

# Places in the dialog's client area, in twips, from its layout. An arrow's
# middle lies 120 twips inside its bar's right end.
CLIENT=(4470 5085) RAYS_TAB=(1620 300) NUM_RAYS_RIGHT=(3975 1080) ERASE_RATE_RIGHT=(3975 1680)
NUM_RAYS_LABEL=(360 720 3255 255) PAGES=(240 480 3975 3735)
OK_BUTTON=(1117 4777) CANCEL_BUTTON=(2317 4777) APPLY_BUTTON=(3517 4777)

# px TWIPS: that many twips in pixels, at TWIPS_PER_PIXEL (15 at 96 dots per
# inch, as Xvfb has) and the scale factor SCALE.
TWIPS_PER_PIXEL=15 SCALE=1
px() { echo $(((($1 * SCALE * 2) + TWIPS_PER_PIXEL) / (2 * TWIPS_PER_PIXEL))); }

# click X Y: a click at that place of the client area (its corner at DX DY),
# then CLICK_SETTLE seconds for the program to answer.
CLICK_SETTLE=0.3
click() { xdotool mousemove $((DX + $(px "$1"))) $((DY + $(px "$2"))) click 1 && sleep "$CLICK_SETTLE"; }

# look_at LEFT TOP WIDTH HEIGHT: look at that part of the client area.
look_at() { look $((DX + $(px "$1"))) $((DY + $(px "$2"))) "$(px "$3")" "$(px "$4")"; }

# click_changes WHAT PLACE REGION: a check that a click at PLACE changes
# what REGION shows (both named by their arrays: RAYS_TAB PAGES).
click_changes() {
    local -n place=$2 region=$3
    local before
    look_at "${region[@]}"
    before=$sum
    click "${place[@]}"
    look_at "${region[@]}"
    check "$1" [ "$before" != "$sum" ]
}
