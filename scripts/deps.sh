#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and trying the program need, when any is
# missing. Uses sudo unless run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev
    fonts-liberation            # Arial's metrics, for the windows' texts
    qt6-translations-l10n       # Qt's own dialogs in Italian
    xvfb xauth                  # a display for screenshots and headless runs
    clang libclang-rt-14-dev            # the fuzzers (scripts/fuzz.sh)
    clang-format                        # scripts/format.sh --check
    valgrind                            # scripts/memcheck.sh
    dbus at-spi2-core python3-pyatspi   # the accessibility test drives the program over AT-SPI
    dpkg-dev file desktop-file-utils    # the package: hardening flags, dependencies, checks
    lintian appstream                   # the package's and its AppStream metadata's checks
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
