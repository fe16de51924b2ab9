#!/usr/bin/env bash
# The program only reads its database. A whole session (start, search,
# switch section from the File menu, print, import another database through
# the file dialog, exit) leaves every database file byte for byte as it was,
# with its modification time, and the program never even opens one for
# writing. The session runs twice: with the databases in ordinary folders,
# and in read-only folders holding read-only files. The tests run as root,
# for whom permissions stop no write, so the open calls are traced.
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 2
e2e_begin
command -v strace >/dev/null || fail "strace is not installed (scripts/setup.sh installs it)"
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is not installed"

# snapshot FILE...: checksum, size and modification time (nanoseconds) of each.
snapshot()
{
    local f
    for f in "$@"; do
        printf '%s %s\n' "$(sha256sum <"$f" | cut -d' ' -f1)" "$(stat -c '%s %.9Y %a' "$f")"
    done
}

# folder_listing ROOT: what the two database folders hold, and their own
# modification times (a file created and removed again shows there).
folder_listing()
{
    ls -lA --time-style=+%s.%N "$1/a" "$1/b"
    stat -c '%n %.9Y %a' "$1/a" "$1/b"
}

# session FOLDER: one scripted session over FOLDER/a/intasme.mdb (the sample
# database, opened at start) and FOLDER/b/intasme.mdb (a small two-section
# database, imported during the session).
session()
{
    local root=$1
    local a="$root/a/intasme.mdb" b="$root/b/intasme.mdb"
    local pdf="$root/printed.pdf" trace="$root/open.trace"
    local settings

    # What may be printed once Section II is in use.
    local section2
    section2=$(sql "$a" 'SELECT INTER_STR FROM INT02')
    [ -n "$section2" ] || fail "Section II of the sample database is empty"

    settings=$(settings_file "$a" 9)
    APP_ENV=(ORVANE_PRINT_TO_PDF="$pdf")
    E2E_WRAP=(strace -f -qq -o "$trace" -e trace=open,openat,openat2,creat,truncate,ftruncate,rename,renameat,renameat2,unlink,unlinkat)
    start_program "$settings"

    wait_window '^Orvane-INT   \[ ASME Section VIII-2 \]$' 30
    local main=$WIN

    # A keyword search from the keyword entry, which has the focus at start.
    type_text "$main" weld
    keys "$main" Return
    wait_search_shown "$main"

    # File > Open... > the second section, all from the keyboard.
    keys "$main" alt+f o Down Return
    wait_window '^Orvane-INT   \[ ASME Section II \]$' 10
    [ "$(read_setting "$settings" "default section")" = 2 ] || fail "the section switch did not store section 2"

    # File > Print. Printing needs a selected row; the release of the Enter
    # that chose the section reaches the keyword entry, whose Enter rule then
    # searches (both entries empty) and leaves no row selected. So show the
    # first row, as a user would, before printing.
    click_design "$main" 352 5932
    keys "$main" alt+f p
    wait_file "$pdf" 20
    local printed
    printed=$(printed_ids "$pdf")
    [ "$(wc -l <<<"$printed")" -eq 1 ] && grep -qxF -- "$printed" <<<"$section2" ||
        fail "printed \"$printed\", expected one interpretation of Section II"

    # File > Import, the other database typed into the file dialog.
    keys "$main" alt+f i
    wait_file_dialog 15
    local dialog=$WIN
    # The folder first: the dialog moves into a folder typed with its
    # trailing slash, clearing the name field, and does so in its own time.
    type_text "$dialog" "${b%/*}/"
    wait_still "$dialog"
    type_text "$dialog" "${b##*/}"
    wait_still "$dialog"
    keys "$dialog" Return
    wait_window '^Orvane-INT   \[ ASME Section Beta \]$' 15
    [ "$(read_setting "$settings" "data path")" = "$b" ] || fail "the import did not store the new data path"

    keys "$main" Escape
    wait_exit 20
    assert_no_crash
    [ "$APP_RC" -eq 0 ] || fail "exit status $APP_RC, expected 0"

    # Both databases were opened (so the trace means something) ...
    grep -qF "\"$a\"" "$trace" || fail "the trace shows no open of $a"
    grep -qF "\"$b\"" "$trace" || fail "the trace shows no open of $b"
    # ... and never for writing, nor truncated, renamed or removed; nor was
    # anything created beside them (a lock or journal file).
    local writes
    writes=$(grep -F -e "$root/a/" -e "$root/b/" "$trace" |
             grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|creat\(|truncate\(|rename|unlink' || true)
    [ -z "$writes" ] || fail "the program touched the database files for writing:
$writes"
}

make_db "$E2E_TMP/plain/b"
mkdir -p "$E2E_TMP/plain/a"
cp -p "$SAMPLE_DB" "$E2E_TMP/plain/a/intasme.mdb"
# Dated in the past month: recent enough to give no out-of-date warning, old
# enough that a rewrite during the session would show in the time.
touch -d "$(date -d '-1 day' '+%Y-%m-%d %H:%M:%S')" "$E2E_TMP/plain/a/intasme.mdb" "$E2E_TMP/plain/b/intasme.mdb"
mkdir -p "$E2E_TMP/readonly" "$E2E_TMP/pristine"
cp -a "$E2E_TMP/plain/a" "$E2E_TMP/plain/b" "$E2E_TMP/readonly/"
cp -p "$E2E_TMP/plain/a/intasme.mdb" "$E2E_TMP/pristine/a.mdb"
cp -p "$E2E_TMP/plain/b/intasme.mdb" "$E2E_TMP/pristine/b.mdb"

for root in "$E2E_TMP/plain" "$E2E_TMP/readonly"; do
    files=("$root/a/intasme.mdb" "$root/b/intasme.mdb")
    if [ "$root" = "$E2E_TMP/readonly" ]; then
        chmod 0444 "${files[@]}"
        chmod 0555 "$root/a" "$root/b"
    fi
    before=$(snapshot "${files[@]}")
    listing_before=$(folder_listing "$root")
    e2e_log "session in $root"
    session "$root"
    after=$(snapshot "${files[@]}")
    [ "$before" = "$after" ] || fail "database files changed in $root:
before: $before
after:  $after"
    [ "$listing_before" = "$(folder_listing "$root")" ] ||
        fail "the database folders changed in $root:
$listing_before
$(folder_listing "$root")"
    cmp "$E2E_TMP/pristine/a.mdb" "$root/a/intasme.mdb" || fail "$root/a/intasme.mdb was changed"
    cmp "$E2E_TMP/pristine/b.mdb" "$root/b/intasme.mdb" || fail "$root/b/intasme.mdb was changed"
done
e2e_pass
