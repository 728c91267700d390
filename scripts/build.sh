#!/usr/bin/env bash
# Configures and builds into a build directory: build/ by default, with Debian's hardening flags;
# build-asan/ with --sanitize. Further arguments name the targets to build (default: all).
# The build's progress goes to standard error; the directory is the last line of standard output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

dir="$root/build"
if [ "${1:-}" = "--sanitize" ]; then
    shift
    dir="$root/build-asan"
    extra=(-DV4400_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DV4400_BUILD_TOOLS=OFF)
else
    . "$root/scripts/buildflags.sh"
    extra=("${buildflags[@]}")
fi
targets=()
(($#)) && targets=(--target "$@")

cmake -S "$root" -B "$dir" -G Ninja "${extra[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}" >&2
echo "$dir"
