#!/usr/bin/env bash
# Start on every section at once with a search on the command line, print
# every interpretation found to one PDF with File > Print All Found, and
# check the printed identifiers against what each section's own statement
# finds.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is not installed"

mkdir -p "$E2E_TMP/db"
db="$E2E_TMP/db/intasme.mdb"
cp "$SAMPLE_DB" "$db"
pdf="$E2E_TMP/all.pdf"

# What the union must hold: each section's own answer, identifiers found in
# two sections twice.
expected=""
for table in $("$SQL" "$db" "SELECT dbTableName FROM AuthorizedTablesTab" --password "$E2E_PASSWORD" | tail -n +2); do
    expected+=$(sql "$db" "SELECT DISTINCT [INTER_STR] FROM $table WHERE  [INTER_TEXT] LIKE \"*weld*\"")$'\n'
done
expected=$(grep -v '^$' <<<"$expected" | sort)
count=$(wc -l <<<"$expected")
[ "$count" -gt 20 ] || fail "the sample database has only $count interpretations with \"weld\""

settings=$(settings_file "$db" 1)
APP_ENV=(ORVANE_PRINT_TO_PDF="$pdf")
start_program "$settings" SECT ALL TEXT '{weld}'
wait_window '^Orvane-INT   \[ ASME All sections \]$' 20
main=$WIN
[ "$(read_setting "$settings" "all sections")" = 1 ] || fail "SECT ALL was not remembered"

keys "$main" alt+f a
wait_window '^Print All Found$' 10
keys "$WIN" Return
wait_file "$pdf" 60

# Every page that opens an interpretation names it in its first heading.
printed=$(pdftotext -layout "$pdf" - | sed -n 's/^[[:space:]]*Interpretation:[[:space:]]*\([^[:space:]]\+\).*/\1/p')
[ "$(sort <<<"$printed")" = "$expected" ] ||
    fail "printed $(wc -l <<<"$printed") interpretations, expected $count: $(diff <(sort <<<"$printed") - <<<"$expected" | head -5)"
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages:[[:space:]]*//p')
[ "$pages" -ge "$count" ] || fail "$count interpretations on $pages pages: each must start a page"

keys "$main" Escape
wait_exit 10
assert_no_crash
e2e_pass
