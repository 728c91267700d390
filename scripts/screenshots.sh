#!/usr/bin/env bash
# Renders the windows into docs/ under Xvfb, at 100 % and 200 % scaling.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" | tail -n 1)
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
xvfb-run -a -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb \
    "$dir/tools/screenshots/v4400-screenshots" "$root/docs"
xvfb-run -a -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 \
    "$dir/tools/screenshots/v4400-screenshots" "$root/docs" "@2x"
