#!/usr/bin/env bash
# Runs the end-to-end tests under valgrind's memcheck, as many at a time as there are cores: no
# memory errors, no definite leaks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" | tail -n 1)
# V4400_MEMCHECK: tests that measure memory or push megabytes do less, and measure nothing.
export V4400_SIM="$dir/tools/printer-sim/v4400-printer-sim" V4400_PROGRAM="$dir/src/v4400-tag-rf"
# PCRE2's JIT reads past the end of short strings by design, which memcheck cannot tell from a
# fault; the interpreter gives the same matches.
export QT_QPA_PLATFORM=offscreen V4400_MEMCHECK=1 QT_ENABLE_REGEXP_JIT=0
export ROOT="$root" DIR="$dir"

check() {
    local name=$1
    if valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=3 \
        --suppressions="$ROOT/tests/valgrind.supp" "$DIR/tests/tests_e2e" "$name" \
        >"$DIR/$name.memcheck.log" 2>&1; then
        echo "$name: clean"
    else
        echo "$name: FAILED (see $DIR/$name.memcheck.log)"
        grep -E 'FAIL|Loc:|ERROR SUMMARY|definitely lost' "$DIR/$name.memcheck.log" || true
        return 1
    fi
}
export -f check
# Every end-to-end test class, each in a process of its own.
for test in "$root"/tests/e2e/tst_*.cpp; do basename "$test" .cpp; done |
    xargs -n 1 -P "$(nproc)" bash -c 'check "$0"'
