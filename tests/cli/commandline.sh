#!/usr/bin/env bash
# Runs a program's command line as over SSH: no display at all, a settings folder of its own.
# --version and --help answer and exit 0, an unknown option or a stray argument is named in one
# line on standard error with a non-zero status, a trace file that cannot be written is refused
# with status 2, and nothing is written to the settings folder.
# For the program also: Qt's own options are accepted and still reach QApplication.
# Usage: commandline.sh PROGRAM VERSION
set -uo pipefail
program=$1
version=$2
name=$(basename "$program")

work=$(mktemp -d -t v4400-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
mkdir "$XDG_CONFIG_HOME"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_LOGGING_RULES
ulimit -c 0  # the check of -platform makes QApplication abort

failures=0
fail() {
    echo "FAIL: $name $*"
    echo "  status $status; stdout: $(head -c 600 "$work/out")"
    echo "  stderr: $(head -c 600 "$work/err")"
    failures=$((failures + 1))
}
run() {
    # The braces keep the shell's own "Aborted" notice out of the log.
    { timeout 30 "$program" "$@" </dev/null >"$work/out" 2>"$work/err"; } 2>/dev/null
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}
usage_error() {  # NAMED ARGUMENT...: refused, NAMED given in one line on standard error
    local named=$1
    shift
    run "$@"
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "$*: status $status, expected a failure"
    [ -z "$out" ] || fail "$*: printed on standard output"
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF -- "'$named'" "$work/err" ||
        fail "$*: standard error does not name '$named' in one line"
}

run --version
[ "$status" -eq 0 ] && [ "$out" = "$name $version" ] && [ -z "$err" ] ||
    fail "--version: expected exactly \"$name $version\" and status 0"

run --help
[ "$status" -eq 0 ] && grep -q "^Usage: \(.*/\)\?$name " <<<"$out" &&
    grep -q -- '--version' <<<"$out" && grep -q -- '--help' <<<"$out" ||
    fail "--help: expected the usage, --help and --version"

usage_error no-such-option --no-such-option
usage_error stray-argument stray-argument
# What is echoed of an argument reaches the terminal with its control characters spelled out: an
# escape sequence in it would retitle the terminal or clear the screen.
usage_error 'x\x1B]0;owned\x07' $'--x\e]0;owned\a'
! grep -q $'\e' "$work/err" || fail "unknown option: a raw escape character on standard error"
usage_error 'x\x1B[2J' $'x\e[2J'
! grep -q $'\e' "$work/err" || fail "stray argument: a raw escape character on standard error"

# A trace file that cannot be written stops the start before anything else, naming it and why.
trace_refused() {  # FILE CAUSE
    run --trace "$1"
    [ "$status" -eq 2 ] && [ -z "$out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] &&
        grep -qF -- "«$1» $2" "$work/err" || fail "--trace $1: expected status 2 and '$2'"
}
mkfifo "$work/fifo" && mkdir "$work/folder" && ln -s nowhere "$work/dangling"
trace_refused "$work/fifo" "è una FIFO (pipe con nome), non un file."
trace_refused "$work/folder" "è una cartella, non un file."
trace_refused "$work/dangling" "è un collegamento simbolico a «$work/nowhere», che non esiste."
trace_refused /sys/v4400-trace "non si può scrivere ("

if [ "$name" = v4400-tag-rf ]; then
    run -v
    [ "$status" -eq 0 ] && [ "$out" = "$name $version" ] || fail "-v: expected the version"
    # Qt's options, in their one-dash, two-dash and "=" forms, are not taken for unknown ones...
    run -platform offscreen --style=fusion -stylesheet= -reverse -qmljsdebugger=port:1 --version
    [ "$status" -eq 0 ] && [ "$out" = "$name $version" ] || fail "Qt's options are refused"
    # ...and still reach QApplication, which reports a platform it does not have.
    run -platform no-such-platform
    [ "$status" -ne 0 ] && grep -q 'no-such-platform' <<<"$err" &&
        ! grep -q 'Unknown option' <<<"$err" || fail "-platform no-such-platform did not reach QApplication"
fi

written=$(find "$XDG_CONFIG_HOME" -mindepth 1)
[ -z "$written" ] || { status=-; fail "wrote into the settings folder: $written"; }

[ "$failures" -eq 0 ] && echo "$name: command line as expected"
exit $((failures > 0))
