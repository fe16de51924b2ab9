#!/usr/bin/env bash
# Under a window manager, with the open of the database held up for eight
# seconds (a file on a slow network share): the title window is drawn before
# the open starts and stays drawn while it waits, and the main window follows
# once the file is open.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin
command -v openbox >/dev/null || skip "openbox is not installed (scripts/setup.sh installs it)"
command -v strace >/dev/null || skip "strace is not installed (scripts/setup.sh installs it)"

openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
# The window manager is up once it names itself on the root window.
wm_end=$(( $(date +%s%N) + 15 * 1000000000 ))
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ "$(date +%s%N)" -lt "$wm_end" ] || fail "openbox did not start within 15s (see $E2E_TMP/openbox.log)"
    sleep 0.1
done

make_db "$E2E_TMP/db"
db="$E2E_TMP/db/intasme.mdb"
settings=$(settings_file "$db" 1)
# Only the first open of the database file waits, on its way in.
E2E_WRAP=(strace -f -qq -o /dev/null -P "$db" -e trace=open,openat -e inject=open,openat:delay_enter=8000000:when=1)
t0=$(date +%s%N)
start_program "$settings"

wait_window '^Orvane-INT$' 10
title=$WIN
# Mean brightness of the title window: its picture is navy with a light
# frame; an undrawn window is black (0).
brightness()
{
    screenshot "$E2E_TMP/title-$1.png" "$title" || fail "no screenshot of the title window"
    convert "$E2E_TMP/title-$1.png" -colorspace Gray -format '%[fx:mean]' info:
}
for moment in 1 3; do
    while [ $(( ($(date +%s%N) - t0) / 1000000000 )) -lt "$moment" ]; do sleep 0.1; done
    if [ "$moment" = 3 ]; then
        # Hidden and shown again, as when another window covered it: its
        # content must be drawn anew while the open still waits.
        xdotool windowunmap --sync "$title" && xdotool windowmap --sync "$title" ||
            fail "cannot hide and show the title window"
    fi
    # Drawn (again) while the open still waits: well before its 8 s end,
    # which leaves room for a busy machine.
    until b=$(brightness "$moment") && awk -v b="$b" 'BEGIN { exit !(b > 0.05) }'; do
        [ $(( ($(date +%s%N) - t0) / 1000000 )) -lt $(( moment * 1000 + 1500 )) ] ||
            fail "title window not drawn ${moment}s into the open (mean $b)"
        sleep 0.1
    done
    find_window '^Orvane-INT   \[' >/dev/null && fail "the main window came before the open ended"
done

wait_window '^Orvane-INT   \[ ASME ' 20
elapsed=$(( ($(date +%s%N) - t0) / 1000000 ))
[ "$elapsed" -ge 8000 ] || fail "main window after ${elapsed}ms: the open was not held up"
keys "$WIN" Escape
wait_exit 10
assert_no_crash
e2e_pass
