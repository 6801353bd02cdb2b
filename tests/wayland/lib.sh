# The scene of the Wayland tests, sourced after tests/real/lib.sh: a
# headless sway run by a throw-away user, with that user's own sound server,
# and the tools that drive and read it (grim, wtype, swaymsg).
#
#   start_sway                 the user, its sound server and its sway
#   as_user COMMAND...         runs a command as that user, in its session
#   start_user_program ARGS... the program under test as that user
#   wait_for_views PID N SECS  waits for N mapped windows of the process
#   shot [--save FILE] [OUTPUT | X,Y WxH]
#                              what an output (or a rectangle) shows
#   key NAME, pointer_moves N DX DY, click_at X Y
#                              the user's input
#
# Everything runs as root, which creates the user (sway refuses root), and
# is stopped, with the user, when the script exits.

[ "$(id -u)" -eq 0 ] || give_up "the Wayland tests run as root (they create a user for sway)"

WL_USER=gyrobloom-wl
exec 9>/tmp/gyrobloom-wayland.lock
flock 9

wayland_cleanup() {
    local pid
    if id "$WL_USER" >/dev/null 2>&1; then
        # Every process of the throw-away user was started by this script.
        for pid in $(pgrep -u "$WL_USER"); do kill "$pid" 2>/dev/null; done
        sleep 0.3
        for pid in $(pgrep -u "$WL_USER"); do kill -9 "$pid" 2>/dev/null; done
        userdel "$WL_USER" 2>/dev/null
    fi
    cleanup
}
trap wayland_cleanup EXIT

WL_TOOLS=(sway swaymsg grim wtype swayidle)
# OUTPUTS: each output as "NAME X Y W H", in the order made.
OUTPUTS=()
SWAYSOCK=""

start_sway() {
    local tool missing=() i
    for tool in "${WL_TOOLS[@]}"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
    dpkg-query -W -f='${Status}' qt6-wayland 2>/dev/null | grep -q "install ok installed" || missing+=(qt6-wayland)
    [ ${#missing[@]} -eq 0 ] || give_up "installed: ${missing[*]} (tools/setup.sh installs them)"

    # A user left behind by a killed run goes first.
    if id "$WL_USER" >/dev/null 2>&1; then
        for i in $(pgrep -u "$WL_USER"); do kill -9 "$i" 2>/dev/null; done
        userdel "$WL_USER" 2>/dev/null
    fi
    useradd -M -d "$T/user" -s /bin/sh "$WL_USER" || give_up "the user $WL_USER is made"
    USER_HOME=$T/user RUNTIME=$T/run
    mkdir -p "$USER_HOME/.config" "$RUNTIME"
    chown -R "$WL_USER:" "$USER_HOME" "$RUNTIME"
    chmod 700 "$RUNTIME"
    chmod 755 "$T"
    as_user test -x "$GYROBLOOM" || give_up "the user $WL_USER can run $GYROBLOOM (a build under a private directory cannot be)"

    # The user's sound server, where a session has it: $XDG_RUNTIME_DIR/pulse/native.
    export XDG_RUNTIME_DIR=$RUNTIME SOUND_SERVER_AS=$WL_USER
    start_sound_server

    cat >"$USER_HOME/sway.conf" <<CONF
output HEADLESS-1 resolution 1920x1080@60Hz position 0 0 bg #ffffff solid_color
output HEADLESS-2 resolution 1280x720@60Hz position 1920 0 bg #ffffff solid_color
default_border none
default_floating_border none
xwayland disable
CONF
    chown "$WL_USER:" "$USER_HOME/sway.conf"
    setpriv --reuid="$WL_USER" --regid="$WL_USER" --init-groups env -i PATH=/usr/bin:/bin HOME="$USER_HOME" \
        XDG_RUNTIME_DIR="$RUNTIME" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$USER_HOME/sway.conf" >"$T/sway.log" 2>&1 &
    PIDS+=($!)
    show_on_failure "$T/sway.log"
    for i in $(seq 200); do
        [ -S "$RUNTIME/wayland-1" ] && SWAYSOCK=$(ls "$RUNTIME"/sway-ipc.*.sock 2>/dev/null | head -n1) &&
            [ -n "$SWAYSOCK" ] && as_user swaymsg -t get_version >/dev/null 2>&1 && break
        sleep 0.05
    done
    as_user swaymsg -t get_version >/dev/null 2>&1 || give_up "sway starts ($(tail -n 3 "$T/sway.log" | paste -sd '|'))"
    OUTPUTS=("HEADLESS-1 0 0 1920 1080")

    # A headless sway has no pointer until a device appears: a virtual one.
    user_command
    "${AS_USER[@]}" python3 "$WAYLAND_TESTS/virtual_pointer.py" >"$T/pointer.log" 2>&1 &
    PIDS+=($!)
    for i in $(seq 100); do grep -q ready "$T/pointer.log" && break; sleep 0.05; done
    grep -q ready "$T/pointer.log" || give_up "the seat gets a pointer ($(tail -n 1 "$T/pointer.log"))"
}

# as_user COMMAND...: runs it as the user, in its session (no X, no
# QT_QPA_PLATFORM: what Qt picks there is what a user gets; USER_ENV adds to
# the environment, e.g. QT_QPA_PLATFORM=wayland).
as_user() {
    user_command
    "${AS_USER[@]}" "$@"
}
# user_command: sets AS_USER, the words that run a command as the user.
# setpriv and env each exec what follows, so "${AS_USER[@]}" COMMAND &
# leaves the command's own PID in $!.
user_command() {
    AS_USER=(setpriv --reuid="$WL_USER" --regid="$WL_USER" --init-groups env -i PATH=/usr/bin:/bin
        HOME="$USER_HOME" USER="$WL_USER" XDG_RUNTIME_DIR="$RUNTIME" XDG_CONFIG_HOME="$USER_HOME/.config"
        WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$SWAYSOCK" XDG_SESSION_TYPE=wayland ${USER_ENV:-})
}

# start_user_program ARGS...: the program under test as the user; sets
# PROGRAM_PID.
start_user_program() {
    PROGRAM_RUNS=$((PROGRAM_RUNS + 1))
    user_command
    "${AS_USER[@]}" "$GYROBLOOM" "$@" >"$T/program-$PROGRAM_RUNS.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=($PROGRAM_PID)
    show_on_failure "$T/program-$PROGRAM_RUNS.log"
}

# views PID: sway's mapped windows of the process, one line each:
# "NAME X Y W H FULLSCREEN OUTPUT".
views() {
    as_user swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
pid = int(sys.argv[1])
def walk(node, output):
    if node.get("type") == "output":
        output = node["name"]
    if node.get("pid") == pid and node.get("visible"):
        r = node["rect"]
        print((node.get("name") or "-").replace(" ", "_"), r["x"], r["y"], r["width"], r["height"],
              node.get("fullscreen_mode", 0), output)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child, output)
walk(json.load(sys.stdin), "-")' "$1"
}

# wait_for_views PID COUNT SECONDS: true once the process has COUNT visible
# windows; sets VIEWS (their lines, see views).
wait_for_views() {
    local i
    for i in $(seq $(($3 * 20))); do
        mapfile -t VIEWS < <(views "$1")
        [ ${#VIEWS[@]} -ge "$2" ] && return 0
        running "$1" || return 1
        sleep 0.05
    done
    return 1
}

# shot [--save FILE] [OUTPUT | "X,Y WxH"]: a screenshot (grim) of an output,
# a rectangle of the layout, or all; sets lit (pixels not black), white
# (pixels of the white background), colours (distinct colours), sum (a
# checksum of the pixels).
shot() {
    local save="" file=$T/shot.ppm where=()
    if [ "${1:-}" = --save ]; then save=$2; shift 2; fi
    case ${1:-} in
    "") ;;
    *,*) where=(-g "$1") ;;
    *) where=(-o "$1") ;;
    esac
    rm -f "$file"
    as_user grim -t ppm "${where[@]}" - >"$file" 2>"$T/grim.err" && [ -s "$file" ] ||
        give_up "grim takes a screenshot ($(cat "$T/grim.err"))"
    eval "$(python3 "$WAYLAND_TESTS/ppm_stats.py" "$file")" || give_up "the screenshot can be read"
    [ -z "$save" ] || /usr/bin/convert "$file" "$save"
}

# keys NAME...: key presses and releases, 50 ms apart, from one virtual
# keyboard (wtype makes a new one each time it runs; the compositor may
# lose the first key of a new keyboard).
keys() {
    local name args=()
    for name in "$@"; do args+=(-k "$name" -s 50); done
    as_user wtype "${args[@]}"
}

# pointer_moves N DX DY: N moves of the pointer by DX DY, 0.1 s apart.
pointer_moves() {
    local i
    for i in $(seq "$1"); do
        as_user swaymsg -q seat - cursor move "$2" "$3"
        sleep 0.1
    done
}

# click_at X Y: a left click there, in the layout's pixels.
click_at() {
    as_user swaymsg -q seat - cursor set "$1" "$2"
    as_user swaymsg -q seat - cursor press button1
    as_user swaymsg -q seat - cursor release button1
    sleep 0.3
}
