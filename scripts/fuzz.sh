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
export DIR="$dir" WORK="$work" SECONDS_EACH="$seconds" ROOT="$root"

fuzz() {
    cp -r "$ROOT/fuzz/corpus/$1" "$WORK/$1"
    if ! (cd "$DIR" && "./fuzz/fuzz_$1" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
            "$WORK/$1" >"$WORK/$1.log" 2>&1); then
        cat "$WORK/$1.log"
        echo "fuzz_$1 failed; the input is in $DIR"
        return 1
    fi
    echo "fuzz_$1 ($SECONDS_EACH s):" $(grep -E '^stat::(number_of_executed_units|new_units_added)' "$WORK/$1.log")
}
export -f fuzz
# Every target the build made, one a core.
find "$dir/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' -printf '%f\n' | sed 's/^fuzz_//' |
    sort | xargs -n 1 -P "$(nproc)" bash -c 'fuzz "$0"'
