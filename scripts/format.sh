#!/usr/bin/env bash
# Applies .clang-format to the C++ sources (src/, tests/, tools/, bench/, fuzz/); with --check,
# changes nothing and fails naming the files that are not formatted (CI).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v clang-format >/dev/null || "$root/scripts/deps.sh"
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'tools/*.cpp' 'tools/*.h' 'bench/*.cpp' 'fuzz/*.cpp')
if [ "${1:-}" = "--check" ]; then
    bad=()
    for f in "${files[@]}"; do
        clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
    done
    if ((${#bad[@]})); then
        echo "not formatted (scripts/format.sh fixes them): ${bad[*]}" >&2
        exit 1
    fi
    echo "${#files[@]} files formatted"
else
    clang-format -i "${files[@]}"
fi
