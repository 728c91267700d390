#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for FUZZ_SECONDS (15) on a
# copy of its corpus in fuzz/corpus. A crash fails the run and leaves its input in build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

dir="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DV4400_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j "$(nproc)"

seconds=${FUZZ_SECONDS:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in replies linesettings properties labels; do
    cp -r "$root/fuzz/corpus/$target" "$work/$target"
    echo "fuzz_$target: ${seconds} s"
    if ! (cd "$dir" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
            "$work/$target" >"$work/$target.log" 2>&1); then
        cat "$work/$target.log"
        echo "fuzz_$target failed; the input is in $dir"
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/$target.log"
done
