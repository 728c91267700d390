#!/usr/bin/env bash
# Builds the Debian package and checks it: unpacked into a throw-away root, it holds the two
# programs, the menu entry, the icons, the manual pages, the AppStream metadata (validated with
# appstreamcli), the copyright and changelog files and the lintian overrides, and nothing else;
# its dependencies are derived from the libraries the programs link; lintian, informational tags
# displayed, finds no error, no warning and no informational tag but the one overridden, whose
# premise (every compile fortified) is checked first. Prints the package's path last.
#   scripts/package.sh              a Release build without tests, in build-package/
#   scripts/package.sh --from DIR   the programs of an existing build directory (CI reuses the
#                                   tests' build; the package's binaries are stripped either way)
# Both builds have Debian's hardening flags (scripts/buildflags.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/deps.sh"
targets=(v4400-tag-rf v4400-printer-sim v4400-dist)
if [ "${1:-}" = "--from" ]; then
    dir=$(cd "$2" && pwd)
else
    dir="$root/build-package"
    . "$root/scripts/buildflags.sh"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DV4400_BUILD_TESTS=OFF \
        "${buildflags[@]}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}" >&2
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
    page="$unpacked/usr/share/man/man1/$program.1.gz"
    [ -f "$page" ] || fail "manual page of $program missing"
    zcat "$page" | grep -q "^\.TH" || fail "manual page of $program is not a manual page"
done
desktop="$unpacked/usr/share/applications/v4400-tag-rf.desktop"
[ -f "$desktop" ] || fail "menu entry missing"
desktop-file-validate "$desktop" || fail "menu entry does not validate"
grep -qx 'Exec=v4400-tag-rf' "$desktop" || fail "menu entry does not start v4400-tag-rf"
# Every size make_logo.py drew (and the build installs).
for drawn in "$root"/src/app/images/icons/hicolor/*x*; do
    size=${drawn##*/}; size=${size%%x*}
    icon="$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/v4400-tag-rf.png"
    file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "icon ${size}x${size} missing"
done
metainfo=("$unpacked"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "AppStream metadata missing"
appstreamcli validate --no-net --pedantic "${metainfo[0]}" >&2 ||
    fail "AppStream metadata does not validate"
grep -q '<launchable type="desktop-id">v4400-tag-rf.desktop</launchable>' "${metainfo[0]}" ||
    fail "AppStream metadata does not launch the menu entry"
doc="$unpacked/usr/share/doc/v4400-tag-rf"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$doc/copyright" || fail "copyright file missing or not machine-readable"
zcat "$doc/changelog.gz" | head -n 1 | grep -q "^v4400-tag-rf ($(dpkg-deb -f "$deb" Version))" ||
    fail "changelog missing or not of this version"
# Only these: no tests, benchmark or screenshot tool.
extra=$(cd "$unpacked" && find . -type f | grep -v -e '^./usr/bin/v4400-tag-rf$' \
    -e '^./usr/bin/v4400-printer-sim$' -e '^./usr/share/applications/v4400-tag-rf.desktop$' \
    -e '^./usr/share/icons/hicolor/[0-9]*x[0-9]*/apps/v4400-tag-rf.png$' \
    -e '^./usr/share/man/man1/v4400-\(tag-rf\|printer-sim\)\.1\.gz$' \
    -e '^./usr/share/metainfo/[a-z.0-9]*\.metainfo\.xml$' \
    -e '^./usr/share/doc/v4400-tag-rf/\(copyright\|changelog\.gz\)$' \
    -e '^./usr/share/lintian/overrides/v4400-tag-rf$' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6serialport6 fonts-liberation qt6-translations-l10n; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# The overrides accept hardening-no-fortify-functions, and only because the programs are
# fortified all the same: every compile of the build has -D_FORTIFY_SOURCE=2 and optimisation
# (without it glibc fortifies nothing), and none undoes them; besides it, only the spelling tags
# for the Italian word "serie".
overrides="$unpacked/usr/share/lintian/overrides/v4400-tag-rf"
[ -f "$overrides" ] || fail "lintian overrides missing"
accepted=$(grep -v -e '^#' -e '^$' "$overrides" | sed 's/^v4400-tag-rf: //; s/ \[.*//' |
    grep -v -x -e 'spelling-error-in-binary serie series' -e 'typo-in-manual-page serie series' |
    sort -u)
[ "$accepted" = hardening-no-fortify-functions ] ||
    fail "lintian overrides accept more than hardening-no-fortify-functions and the Italian \"serie\": $accepted"
python3 - "$dir/compile_commands.json" <<'EOF' || fail "a compile lacks the fortify flags"
import json, re, shlex, sys
commands = json.load(open(sys.argv[1]))
bad = []
for c in commands:
    args = c["arguments"] if "arguments" in c else shlex.split(c["command"])
    fortify = [a for a in args if re.match(r"-[DU]_FORTIFY_SOURCE", a)]
    optimise = [a for a in args if re.fullmatch(r"-O.*", a)]
    if fortify[-1:] != ["-D_FORTIFY_SOURCE=2"] or optimise[-1:] in ([], ["-O0"]):
        bad.append(c["file"])
for f in bad:
    print("without -D_FORTIFY_SOURCE=2 or optimisation: " + f, file=sys.stderr)
if not bad:
    print("fortified: all %d compiles" % len(commands), file=sys.stderr)
sys.exit(1 if bad or not commands else 0)
EOF

# lintian with its informational tags displayed (-I; the hardening-* ones are among them): any
# error, warning or informational tag fails, and so does an override that no longer matches
# (lintian reports it as an informational tag of its own).
report=$(lintian -I --info --tag-display-limit 0 "$deb" 2>&1 |
    grep -v 'running with root privileges' || true)
if grep -qE '^[EWI]: |hardening-' <<<"$report"; then
    echo "$report" >&2
    fail "lintian reports the tags above"
fi
echo "lintian: no error, no warning, no informational tag beyond the overridden one" >&2

dpkg-deb -f "$deb"
echo "$deb"
