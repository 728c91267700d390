#!/usr/bin/env bash
# Builds and runs the benchmark: waits, pauses, whole operations and start-up, on the real
# QSerialPort over a pseudo-terminal against the simulated printer, beside a busy-polling
# baseline. Runs under Xvfb when there is no display. Pass --quick for fewer repetitions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" | tail -n 1)
echo "$(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$dir/bench/v4400-bench" "$@"
fi
exec "$dir/bench/v4400-bench" "$@"
