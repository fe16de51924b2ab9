#!/usr/bin/env bash
# --help and --version answer on standard output and end with status 0 from
# a plain terminal: no display, no platform chosen, no settings touched.
set -u
exe="${ORVANE_BIN_DIR:?ORVANE_BIN_DIR names the folder of orvane-int}/orvane-int"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$exe" ] || fail "no $exe"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

run_bare()
{
    # A deadline, so that a program waiting for a display fails the case
    # instead of hanging it.
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u ORVANE_SETTINGS_FILE \
        HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" \
        timeout 20 "$exe" "$@" >"$home/out" 2>"$home/err"
}

run_bare --help; rc=$?
[ "$rc" -eq 0 ] || fail "--help ended with $rc: $(cat "$home/err")"
grep -q '^usage: orvane-int ' "$home/out" || fail "--help printed no usage: $(cat "$home/out")"
grep -q 'SECT ALL' "$home/out" || fail "--help does not tell of SECT ALL"

run_bare SECT INT10 --version; rc=$?
[ "$rc" -eq 0 ] || fail "--version ended with $rc: $(cat "$home/err")"
grep -Eqx 'Orvane-INT [0-9]+\.[0-9]+\.[0-9]+' "$home/out" || fail "--version printed: $(cat "$home/out")"

# Neither wrote a settings file.
[ -z "$(find "$home" -name '*.ini')" ] || fail "a settings file was written"
echo "help_without_display: passed"
