#!/bin/bash
# Pulls the logger's cable under the real window and photographs what the
# window says. Four runs, each with its own simulator and its own program:
#   download-fault : the simulator hangs up after 20000 bytes of the download
#                    stream (--fault hangup-after-bytes=20000 --fault-on W)
#   download-kill  : the simulator is stopped (SIGTERM) 2 s into a slow download
#   setup-fault    : the simulator hangs up 500 ms after the read-setup request
#                    (--fault hangup --fault-on S)
#   setup-kill     : the simulator is stopped 1 s after the read-setup request
#                    (it was told not to answer it: --fault never-answer --fault-on S)
# Pictures: OUT/pulled-cable-<run>-1-waiting.png (just after the cable is pulled),
# OUT/pulled-cable-<run>-2-message.png (the message window), OUT/pulled-cable-<run>-3-after.png
# (once the message is closed: the status bar and the enabled commands).
#
# Usage: pulled-cable-screenshots.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR defaults to build (needs tessaview and
#   tessaview-logger-sim built), OUT_DIR to the current folder.
# Runs its own Xvfb through xvfb-run; needs xdotool and ImageMagick's import.
set -u
BUILD=$(realpath "${1:-build}")
OUT=$(realpath "${2:-.}")
if [ -z "${PULLED_CABLE_INNER:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env PULLED_CABLE_INNER=1 bash "$0" "$BUILD" "$OUT"
fi

APP=$BUILD/src/app/tessaview
SIM=$BUILD/tools/logger-sim/tessaview-logger-sim
WORK=$(mktemp -d /tmp/pulled-cable-screenshots.XXXXXX)
SIM_PID=
APP_PID=

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    APP_PID=; SIM_PID=
}
trap 'cleanup; rm -rf "$WORK"' EXIT

# wait_window NAME SECONDS: prints the id of the visible window named NAME.
wait_window() {
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "no window '$1' within $2 s" >&2
    return 1
}

shot() {
    import -window root "$OUT/pulled-cable-$1.png"
    echo "  $OUT/pulled-cable-$1.png"
}

# start RUN SIM-ARGS...: a simulator and a program that knows it.
start() {
    local run=$1; shift
    "$SIM" --verbose "$@" >"$WORK/$run.sim.out" 2>"$WORK/$run.sim.err" &
    SIM_PID=$!
    local deadline=$((SECONDS + 5))
    while [ ! -s "$WORK/$run.sim.out" ] && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    DEV=$(head -1 "$WORK/$run.sim.out")
    mkdir -p "$WORK/$run.home"
    TESSAVIEW_PORTS=$DEV "$APP" --home "$WORK/$run.home" >"$WORK/$run.app.log" 2>&1 &
    APP_PID=$!
    WIN=$(wait_window "Tessaview U" 20) || return 1
    sleep 1
}

# Connect through the port choice (the simulator is entry 1, /dev/ttyS0 the other).
connect() {
    xdotool mousemove --window "$WIN" 431 47 click 1       # toolbar Connect
    local dlg
    # A simulator named in TESSAVIEW_PORTS is the only candidate: Connect goes
    # straight to it. Older builds offered /dev/ttyS0 beside it.
    if dlg=$(wait_window "Select a port manually" 3); then
        xdotool windowfocus --sync "$dlg"
        xdotool key Up Up Up Return
    fi
    sleep 2
    xdotool windowfocus --sync "$WIN"
}

download() { xdotool mousemove --window "$WIN" 653 47 click 1; }     # toolbar Download
read_setup() { xdotool mousemove --window "$WIN" 42 114 click 1; }   # Setup pane, left button

# finish RUN SECONDS: waits for the message window, photographs it, closes it.
finish() {
    local msg
    if msg=$(wait_window "Tessaview U Messages" "$2"); then
        # A download's message window opens at once and gets its result later.
        sleep 4
        shot "$1-2-message"
        xdotool windowfocus --sync "$msg"
        xdotool key Return
        sleep 1
    else
        shot "$1-2-message"
    fi
    xdotool windowfocus --sync "$WIN" 2>/dev/null
    sleep 0.5
    shot "$1-3-after"
    echo "  simulator said: $(tr '\n' ';' <"$WORK/$1.sim.err")"
    cleanup
}

echo "download-fault: hang-up after 20000 stream bytes"
start download-fault --records 3000 --fault hangup-after-bytes=20000 --fault-on W && connect && {
    download
    sleep 1.5
    shot download-fault-1-waiting
    finish download-fault 10
}

echo "download-kill: simulator stopped 2 s into the download"
start download-kill --records 3000 --packet-gap 100 && connect && {
    download
    sleep 2
    kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null
    sleep 0.5
    shot download-kill-1-waiting
    finish download-kill 10
}

echo "setup-fault: hang-up on the read-setup request"
start setup-fault --fault hangup --fault-on S && connect && {
    read_setup
    sleep 1.5
    shot setup-fault-1-waiting
    finish setup-fault 40
}

echo "setup-kill: simulator stopped while the read setup waits"
start setup-kill --fault never-answer --fault-on S && connect && {
    read_setup
    sleep 1
    kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null
    sleep 0.5
    shot setup-kill-1-waiting
    finish setup-kill 40
}
