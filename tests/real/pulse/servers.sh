# A private sound server for the real-component tests: the internals of
# tests/real/lib.sh (start_sound_server). Which one is chosen by GYROBLOOM_SOUND_SERVER:
#
#   pulseaudio (the default)   a PulseAudio daemon
#   pipewire                   PipeWire with WirePlumber and pipewire-pulse, on
#                              a private session bus
#
# Both are reached the same way, through the PulseAudio socket
# $XDG_RUNTIME_DIR/pulse/native (PULSE_SERVER), and both are given their
# devices with PulseAudio module lines, so a test reads the same for either.
#
# The caller sets XDG_RUNTIME_DIR (a private, mode 700 directory) and
# SOUND_LOG_DIR before sound_server_start, and stops the server with
# sound_server_stop (or kills SOUND_SERVER_PIDS and SOUND_BUS_PID) on exit.
#
# SOUND_SERVER_AS=USER runs the server, and the test sounds, as that user (a
# desktop user's session has its own; only root can do this): XDG_RUNTIME_DIR
# is then that user's runtime directory, and the server's HOME the user's.

SOUND_SERVER=${GYROBLOOM_SOUND_SERVER:-pulseaudio}
SOUND_SERVER_PIDS=()
SOUND_BUS_PID=""

case $SOUND_SERVER in
pulseaudio) SOUND_SERVER_TOOLS=(pulseaudio pactl) ;;
pipewire) SOUND_SERVER_TOOLS=(pipewire wireplumber pipewire-pulse dbus-daemon pactl) ;;
*) echo "FAIL: GYROBLOOM_SOUND_SERVER=$SOUND_SERVER: expected pulseaudio or pipewire" >&2; exit 1 ;;
esac

# Prints the tools the chosen server needs that are missing.
sound_server_missing() {
    local tool
    for tool in "${SOUND_SERVER_TOOLS[@]}"; do command -v "$tool" >/dev/null || echo "$tool"; done
}

# Exports where clients find the server.
sound_server_env() {
    export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
    export PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
    unset PULSE_SINK PULSE_SOURCE
    mkdir -p "$PULSE_RUNTIME_PATH" && chmod 700 "$PULSE_RUNTIME_PATH"
    [ -z "${SOUND_SERVER_AS:-}" ] || chown "$SOUND_SERVER_AS:" "$PULSE_RUNTIME_PATH"
}

# as_sound_user: sets AS_SOUND_USER, the words that run a command as
# SOUND_SERVER_AS, or as the script's own user, with no DISPLAY either way.
# setpriv and env each exec what follows, so "${AS_SOUND_USER[@]}" COMMAND &
# leaves the command's own PID in $! (to signal and to stop).
as_sound_user() {
    AS_SOUND_USER=(env -u DISPLAY)
    [ -n "${SOUND_SERVER_AS:-}" ] || return 0
    AS_SOUND_USER=(setpriv --reuid="$SOUND_SERVER_AS" --regid="$SOUND_SERVER_AS" --init-groups
        env -u DISPLAY HOME="$(getent passwd "$SOUND_SERVER_AS" | cut -d: -f6)" USER="$SOUND_SERVER_AS")
}

sound_server_answers() { pactl info >/dev/null 2>&1; }
wireplumber_ready() { pactl list clients 2>/dev/null | grep -q '"WirePlumber"'; }
default_sink_named() { [ "$(pactl get-default-sink 2>/dev/null)" != "@DEFAULT_SINK@" ]; }

# Waits up to SECONDS for a condition checked every 20 ms.
sound_wait() {
    local i
    for i in $(seq $(($1 * 50))); do
        "${@:2}" && return 0
        sleep 0.02
    done
    return 1
}

# sound_server_start MODULE_LINE...: starts the server, loads each module
# (e.g. "module-null-sink sink_name=test_sink") and returns once it answers.
# A server started with no module lines has no device at all.
sound_server_start() {
    local log=${SOUND_LOG_DIR:?}/$SOUND_SERVER.log module
    sound_server_env
    as_sound_user
    case $SOUND_SERVER in
    pulseaudio)
        local args=(-L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native")
        for module in "$@"; do args+=(-L "$module"); done
        "${AS_SOUND_USER[@]}" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n --use-pid-file=no \
            --log-target=stderr "${args[@]}" >/dev/null 2>>"$log" &
        SOUND_SERVER_PIDS=($!)
        sound_wait 10 sound_server_answers || return 1
        ;;
    pipewire)
        # The session bus outlives a restart of the server, as a desktop's does.
        if [ -z "$SOUND_BUS_PID" ]; then
            "${AS_SOUND_USER[@]}" dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/bus" --nofork --nopidfile \
                >/dev/null 2>>"$log" &
            SOUND_BUS_PID=$!
            export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
            sound_wait 5 test -S "$XDG_RUNTIME_DIR/bus" || return 1
        fi
        rm -rf "${XDG_STATE_HOME:-$HOME/.local/state}/wireplumber"  # what a killed one left half-written
        "${AS_SOUND_USER[@]}" pipewire >/dev/null 2>>"$log" &
        SOUND_SERVER_PIDS=($!)
        sound_wait 5 test -S "$XDG_RUNTIME_DIR/pipewire-0" || return 1
        # No cameras or Bluetooth to look for: each costs WirePlumber a
        # second or two at every start.
        local wp_conf=${XDG_CONFIG_HOME:-$HOME/.config}/wireplumber
        mkdir -p "$wp_conf/main.lua.d" "$wp_conf/bluetooth.lua.d"
        echo 'libcamera_monitor.enabled = false; v4l2_monitor.enabled = false' >"$wp_conf/main.lua.d/51-tests.lua"
        echo 'bluez_monitor.enabled = false' >"$wp_conf/bluetooth.lua.d/51-tests.lua"
        "${AS_SOUND_USER[@]}" wireplumber >/dev/null 2>>"$log" &
        SOUND_SERVER_PIDS+=($!)
        "${AS_SOUND_USER[@]}" pipewire-pulse >/dev/null 2>>"$log" &
        SOUND_SERVER_PIDS+=($!)
        sound_wait 10 sound_server_answers || return 1
        # Without a device of its own pipewire-pulse makes up a dummy output;
        # a server with no device is asked for.
        pactl unload-module module-always-sink >/dev/null 2>&1 || true
        for module in "$@"; do
            # shellcheck disable=SC2086  # a module line is words
            pactl load-module $module >/dev/null || return 1
        done
        # Nothing plays or records until WirePlumber links it; it has taken
        # over once it names a default output.
        sound_wait 10 wireplumber_ready || return 1
        [ $# = 0 ] || sound_wait 10 default_sink_named || return 1
        ;;
    esac
}

# sound_server_signal SIGNAL: sends it to every process of the server
# (STOP and CONT freeze and thaw it).
sound_server_signal() {
    [ ${#SOUND_SERVER_PIDS[@]} = 0 ] || kill -"$1" "${SOUND_SERVER_PIDS[@]}" 2>/dev/null
}

# Kills the server (not the session bus) and waits for it.
sound_server_stop() {
    [ ${#SOUND_SERVER_PIDS[@]} = 0 ] && return 0
    kill -CONT "${SOUND_SERVER_PIDS[@]}" 2>/dev/null
    kill "${SOUND_SERVER_PIDS[@]}" 2>/dev/null
    wait "${SOUND_SERVER_PIDS[@]}" 2>/dev/null
    SOUND_SERVER_PIDS=()
    return 0
}

# Stops the server and the session bus: for the script's exit.
sound_server_teardown() {
    sound_server_stop
    if [ -n "$SOUND_BUS_PID" ]; then
        kill "$SOUND_BUS_PID" 2>/dev/null
        wait "$SOUND_BUS_PID" 2>/dev/null
        SOUND_BUS_PID=""
    fi
    return 0
}
