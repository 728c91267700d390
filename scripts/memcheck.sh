#!/usr/bin/env bash
# Runs the end-to-end tests under valgrind's memcheck: no memory errors, no definite leaks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" | tail -n 1)
status=0
for test in "$dir"/tests/tst_e2e_*; do
    name=$(basename "$test")
    if QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --leak-check=full \
        --show-leak-kinds=definite --errors-for-leak-kinds=definite --error-exitcode=3 \
        --suppressions="$root/tests/valgrind.supp" "$test" >"$dir/$name.memcheck.log" 2>&1; then
        echo "$name: clean"
    else
        echo "$name: FAILED (see $dir/$name.memcheck.log)"
        grep -E 'FAIL|ERROR SUMMARY|definitely lost' "$dir/$name.memcheck.log" || true
        status=1
    fi
done
exit $status
