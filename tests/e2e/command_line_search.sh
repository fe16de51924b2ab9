#!/usr/bin/env bash
# Start with a section and a paragraph on the command line, search for a
# keyword as a user would, print what is shown and check on paper that it is
# one of the interpretations the search had to find; Escape ends the program.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is not installed"

mkdir -p "$E2E_TMP/db"
db="$E2E_TMP/db/intasme.mdb"
cp "$SAMPLE_DB" "$db"
pdf="$E2E_TMP/printed.pdf"

# What the paragraph alone finds and what the keyword narrows it to. The
# keyword must leave out the first of the paragraph's interpretations: that
# one is shown whenever the keyword is lost on the way, and printing it
# must not pass.
keyword=postweld
by_paragraph=$(sql "$db" 'SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406"')
expected=$(sql "$db" 'SELECT DISTINCT [INTER_STR] FROM INX09 WHERE [Reference] = "QW-406" AND [INTER_STR] IN (SELECT [INTER_STR] FROM INT09 WHERE [INTER_TEXT] LIKE "*'"$keyword"'*")')
[ -n "$expected" ] || fail "the sample database has no QW-406 interpretation with \"$keyword\""
grep -qxF -- "$(head -n1 <<<"$by_paragraph")" <<<"$expected" &&
    fail "\"$keyword\" keeps the first QW-406 interpretation; pick another keyword"

# The remembered section is another one, so the caption proves SECT worked.
settings=$(settings_file "$db" 1)
APP_ENV=(ORVANE_PRINT_TO_PDF="$pdf")
t0=$(date +%s%N)
start_program "$settings" SECT INT09 PARA QW-406

wait_window '^Orvane-INT$' 5
title=$WIN
wait_window '^Orvane-INT   \[ ASME Section VIII-2 \]$' 20
main=$WIN
shown_after=$(( ($(date +%s%N) - t0) / 1000000 ))
[ "$shown_after" -ge 2900 ] || fail "the main window came ${shown_after}ms after start; the title stays 3s"
window_visible "$title" && fail "the title window is still shown beside the main window"
[ "$(read_setting "$settings" "default section")" = 9 ] ||
    fail "SECT INT09 did not store default section 9 (got $(read_setting "$settings" "default section"))"

# The keyword entry has the focus when the window opens.
type_text "$main" "$keyword"
keys "$main" Return
wait_search_shown "$main"

# Show the first row found (which selects it), then print with the keyboard.
click_design "$main" 352 5932
screenshot "$E2E_TMP/after-search.png"
keep_screenshot "$E2E_TMP/after-search.png" command_line_search.png
keys "$main" alt+f p
wait_file "$pdf" 20

printed=$(printed_ids "$pdf")
[ -n "$printed" ] || fail "the printed pages name no interpretation: $(pdftotext "$pdf" - | head -5)"
[ "$(wc -l <<<"$printed")" -eq 1 ] || fail "the printed pages name several interpretations: $printed"
grep -qxF -- "$printed" <<<"$expected" ||
    fail "printed $printed, which is not among the interpretations found: $expected"
pdftotext "$pdf" - | grep -qi -- "$keyword" || fail "the printed text does not contain \"$keyword\""

keys "$main" Escape
wait_exit 10
assert_no_crash
[ "$APP_RC" -eq 0 ] || fail "exit status $APP_RC, expected 0"
e2e_pass
