#!/usr/bin/env bash
# Installs what is missing, builds the program and the simulator, starts the simulated printer on
# a pseudo-terminal and the program against it, with a settings store of its own in a temporary
# folder: the operator's own settings are never touched. V4400_DEVICE=/dev/ttyUSB0 scripts/run.sh
# uses that device (a real printer) instead of the simulator; V4400_SIM_OPTIONS="--roll" passes
# options to the simulator. Without a display the program runs under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/deps.sh"
# Only what running needs, not the tests and the benchmark; ninja's progress shows meanwhile.
echo "Building the program and the simulated printer into build/"
dir=$("$root/scripts/build.sh" v4400-tag-rf v4400-printer-sim | tail -n 1)

work=$(mktemp -d -t v4400-run.XXXXXX)
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

device="${V4400_DEVICE:-}"
if [ -z "$device" ]; then
    # shellcheck disable=SC2086 # the options are words
    "$dir/tools/printer-sim/v4400-printer-sim" ${V4400_SIM_OPTIONS:-} --link "$work/printer" \
        >"$work/transcript.txt" &
    sim_pid=$!
    for _ in $(seq 100); do [ -e "$work/printer" ] && break; sleep 0.05; done
    device="$work/printer"
    echo "Simulated printer on $(readlink "$device"); label transcript: $work/transcript.txt"
    tail -n +2 -f "$work/transcript.txt" --pid=$$ 2>/dev/null &
fi

export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
printf '[Ports]\nCom1=%s\n' "$device" >"$XDG_CONFIG_HOME/V4400 TAG RF.conf"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running under Xvfb (the window is not visible)."
    xvfb-run -a "$dir/src/v4400-tag-rf"
else
    "$dir/src/v4400-tag-rf"
fi
