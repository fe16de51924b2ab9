#!/usr/bin/env bash
# No database where the settings point: the start-up goes straight into the
# open-file dialog; cancelling it reports that there is no database, and
# closing that message ends the program.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin

settings=$(settings_file "$E2E_TMP/nowhere/intasme.mdb" 1)
start_program "$settings"

wait_file_dialog 25
dialog=$WIN
window_was_seen '^No database$' && fail "the \"No database\" message came before the file dialog"
keys "$dialog" Escape
wait_window '^No database$' 10
box=$WIN
window_visible "$dialog" && fail "the file dialog is still shown after Escape"
keys "$box" Return
wait_exit 10
assert_no_crash
[ "$APP_RC" -eq 0 ] || fail "exit status $APP_RC, expected 0"
e2e_pass
