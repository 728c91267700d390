#!/usr/bin/env bash
# Builds the Debian package and checks what it holds by unpacking it into a throw-away root: the
# two programs, the menu entry, the icons, and dependencies derived from the libraries the
# programs link. Prints the package's path last.
#   scripts/package.sh              a Release build without tests, in build-package/
#   scripts/package.sh --from DIR   the programs of an existing build directory (CI reuses the
#                                   tests' build; the package's binaries are stripped either way)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/deps.sh"
if [ "${1:-}" = "--from" ]; then
    dir=$(cd "$2" && pwd)
    cmake --build "$dir" -j "$(nproc)" --target v4400-tag-rf v4400-printer-sim
else
    dir="$root/build-package"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DV4400_BUILD_TESTS=OFF >/dev/null
    cmake --build "$dir" -j "$(nproc)"
fi
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one .deb in $dir" >&2; exit 1; }
deb=${debs[0]}

fail() { echo "package check failed: $*" >&2; exit 1; }
unpacked=$(mktemp -d -t v4400-deb.XXXXXX)
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$deb" "$unpacked"

for program in v4400-tag-rf v4400-printer-sim; do
    [ -x "$unpacked/usr/bin/$program" ] || fail "usr/bin/$program missing"
done
desktop="$unpacked/usr/share/applications/v4400-tag-rf.desktop"
[ -f "$desktop" ] || fail "menu entry missing"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "menu entry does not validate"
fi
grep -qx 'Exec=v4400-tag-rf' "$desktop" || fail "menu entry does not start v4400-tag-rf"
# Every size make_logo.py drew (and the build installs).
for drawn in "$root"/src/app/images/icons/hicolor/*x*; do
    size=${drawn##*/}; size=${size%%x*}
    icon="$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/v4400-tag-rf.png"
    file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "icon ${size}x${size} missing"
done
# Only the two programs, the menu entry and the icons: no tests, benchmark or screenshot tool.
extra=$(cd "$unpacked" && find . -type f | grep -v -e '^./usr/bin/v4400-tag-rf$' \
    -e '^./usr/bin/v4400-printer-sim$' -e '^./usr/share/applications/v4400-tag-rf.desktop$' \
    -e '^./usr/share/icons/hicolor/[0-9]*x[0-9]*/apps/v4400-tag-rf.png$' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6serialport6 fonts-liberation; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

dpkg-deb -f "$deb"
echo "$deb"
