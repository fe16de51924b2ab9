#!/usr/bin/env bash
# A database with another password: the start-up reports it in a message box,
# and closing the box ends the program before any main window is shown.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin

make_db "$E2E_TMP/db" --password wrong
settings=$(settings_file "$E2E_TMP/db/intasme.mdb" 1)
start_program "$settings"

wait_window '^Incorrect password$' 20
box=$WIN
# The title stays up under its message: visible now, or already logged.
window_was_seen '^Orvane-INT$' || find_window '^Orvane-INT$' >/dev/null ||
    fail "the title window was not shown before the message"
keys "$box" Return
wait_exit 10
assert_no_crash
[ "$APP_RC" -eq 0 ] || fail "exit status $APP_RC, expected 0"

# Only the title window and the message box may ever have been on screen.
others=$(cut -f2- "$E2E_TMP/windows.log" | grep -Ev '^(Orvane-INT|Incorrect password)$')
[ -z "$others" ] || fail "windows other than the title and the message appeared: $others"
e2e_pass
