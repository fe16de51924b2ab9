#!/usr/bin/env bash
# File > Print All Found tells what stands in the way instead of asking
# "Print N interpretations?": a PDF file in a folder that does not exist,
# and a results list with nothing to print. Nothing is written either time.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin

mkdir -p "$E2E_TMP/db"
db="$E2E_TMP/db/intasme.mdb"
cp "$SAMPLE_DB" "$db"
pdf="$E2E_TMP/no such folder/all.pdf"
settings=$(settings_file "$db" 1)
APP_ENV=(ORVANE_PRINT_TO_PDF="$pdf" QT_LOGGING_RULES="orvane.app=true")

# answer_print_all: the one "Print All Found" box that comes is answered
# with Enter, and no second one (the question) follows.
answer_print_all()
{
    keys "$main" alt+f a
    wait_window '^Print All Found$' 15
    keys "$WIN" Return
    wait_window_gone '^Print All Found$' 10
    sleep 1
    find_window '^Print All Found$' >/dev/null && fail "a second Print All Found box followed the first"
    return 0
}

# Interpretations listed, but the PDF's folder is missing.
start_program "$settings" TEXT '{weld}'
wait_window '^Orvane-INT   \[ ASME .* \]$' 20
main=$WIN
answer_print_all
grep -q "Print All Found not started: The file .*no such folder.*all.pdf cannot be written: its folder .* does not exist" \
    "$E2E_TMP/app.log" || fail "the missing folder was not told with its path"
[ ! -e "$pdf" ] || fail "a PDF was written into a folder that should not exist"
keys "$main" Escape
wait_exit 10
assert_no_crash

# A search that finds nothing: there is nothing to print.
mkdir -p "${pdf%/*}"
: >"$E2E_TMP/app.log"
start_program "$settings" TEXT '{zzqxjv}'
wait_window '^Record not found$' 20
keys "$WIN" Return
wait_window_gone '^Record not found$' 10
wait_window '^Orvane-INT   \[ ASME .* \]$' 10
main=$WIN
answer_print_all
grep -q "Print All Found not started: There is nothing to print" "$E2E_TMP/app.log" ||
    fail "an empty list was not told as nothing to print"
[ ! -e "$pdf" ] || fail "a PDF was written with nothing to print"
keys "$main" Escape
wait_exit 10
assert_no_crash
e2e_pass
