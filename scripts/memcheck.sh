#!/usr/bin/env bash
# Runs the end-to-end tests under valgrind's memcheck, as many at a time as there are cores: no
# memory errors, no definite leaks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" | tail -n 1)
# V4400_MEMCHECK: tests that measure memory or push megabytes do less, and measure nothing.
export V4400_SIM="$dir/tools/printer-sim/v4400-printer-sim" V4400_PROGRAM="$dir/src/v4400-tag-rf"
export QT_QPA_PLATFORM=offscreen V4400_MEMCHECK=1
export ROOT="$root" DIR="$dir"

check() {
    local name
    name=$(basename "$1")
    if valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=3 \
        --suppressions="$ROOT/tests/valgrind.supp" "$1" >"$DIR/$name.memcheck.log" 2>&1; then
        echo "$name: clean"
    else
        echo "$name: FAILED (see $DIR/$name.memcheck.log)"
        grep -E 'FAIL|Loc:|ERROR SUMMARY|definitely lost' "$DIR/$name.memcheck.log" || true
        return 1
    fi
}
export -f check
find "$dir/tests" -maxdepth 1 -type f -executable -name 'tst_e2e_*' -print0 |
    xargs -0 -n 1 -P "$(nproc)" bash -c 'check "$0"'
