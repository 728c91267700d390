#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, UI on the fake serial control, end
# to end over pseudo-terminals). With --sanitize: the same under AddressSanitizer and UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/deps.sh"
dir=$("$root/scripts/build.sh" "$@" | tail -n 1)

if [ "${1:-}" = "--sanitize" ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cd "$dir"
# The tests spend most of their time waiting for the printer's pauses, not on the CPU.
ctest -j "$(( $(nproc) * 2 ))" --output-on-failure --timeout 600
