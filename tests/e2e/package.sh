#!/usr/bin/env bash
# The Debian package, as a user gets it: made with CPack from the build
# folder that is already built, unpacked into an empty root, and run from
# there. The SQL tool reads the packaged sample database, and the program,
# with no database path set, finds that database on its own and opens its
# main window. Debian's lintian finds nothing to warn of.
source "$(dirname "$0")/lib.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
e2e_begin
build_dir=$(cd "$ORVANE_BIN_DIR/.." && pwd)
[ -f "$build_dir/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in $build_dir"

# The package.
(cd "$E2E_TMP" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$E2E_TMP/pkg") \
    >"$E2E_TMP/cpack.log" 2>&1 || fail "cpack failed: $(tail -5 "$E2E_TMP/cpack.log")"
deb=$(ls "$E2E_TMP"/pkg/orvane-int_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no orvane-int_*.deb written"
e2e_log "package: $deb"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libsqlite3-0; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
# The program reads Jet files itself: mdbtools is no dependency of it.
grep -q "libmdb" <<<"$depends" && fail "Depends names libmdb: $depends"

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
for f in usr/bin/orvane-int usr/bin/orvane-int-sql usr/bin/orvane-int-mkdb \
         usr/share/orvane-int/intasme.mdb \
         usr/share/applications/orvane-int.desktop \
         usr/share/icons/hicolor/scalable/apps/orvane-int.svg \
         usr/share/metainfo/example.halvorn.OrvaneInt.metainfo.xml \
         usr/share/man/man1/orvane-int.1.gz usr/share/man/man1/orvane-int-sql.1.gz \
         usr/share/man/man1/orvane-int-mkdb.1.gz; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done
[ ! -e "$root/usr/bin/intasme.mdb" ] || fail "the database is still installed into bin"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$root/usr/share/applications/orvane-int.desktop" ||
        fail "desktop entry not valid"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/example.halvorn.OrvaneInt.metainfo.xml" \
        >"$E2E_TMP/appstream.log" 2>&1 || fail "metainfo not valid: $(cat "$E2E_TMP/appstream.log")"
    # A tag this AppStream does not know is only a remark to the validator,
    # but software centres then drop what it holds.
    ! grep -q 'unknown-tag' "$E2E_TMP/appstream.log" ||
        fail "metainfo has tags this AppStream does not know: $(grep unknown-tag "$E2E_TMP/appstream.log")"
fi

# The package as Debian's own checker sees it: no error, no warning.
command -v lintian >/dev/null 2>&1 || fail "lintian is not installed (scripts/setup.sh installs it)"
lintian --tag-display-limit 0 "$deb" >"$E2E_TMP/lintian.log" 2>&1
! grep -Eq '^[EW]: ' "$E2E_TMP/lintian.log" || fail "lintian: $(grep -E '^[EW]: ' "$E2E_TMP/lintian.log")"
for f in usr/share/doc/orvane-int/copyright usr/share/doc/orvane-int/changelog.gz; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done

# The tool on the packaged database.
sections=$("$root/usr/bin/orvane-int-sql" "$root/usr/share/orvane-int/intasme.mdb" \
    "SELECT * FROM AuthorizedTablesTab" --password "$E2E_PASSWORD") ||
    fail "orvane-int-sql failed on the packaged database"
[ "$(tail -n +2 <<<"$sections" | wc -l)" -ge 1 ] || fail "no sections listed: $sections"

# The manual pages tell of the newer choices, and where they pair a section
# with its table, the packaged sample pairs them the same way.
man_text=$(zcat "$root"/usr/share/man/man1/orvane-int*.1.gz)
for phrase in 'SECT ALL' 'All sections' 'Print All Found' '"all sections"'; do
    grep -qF "$phrase" <<<"$man_text" || fail "the manual pages do not tell of $phrase"
done
pairs=$( { grep -oE 'Section [^ ]+ \(table INT[0-9]{2}' <<<"$man_text" | sed -E 's/\(table //'
           grep -oE 'INT[0-9]{2}, Section [^ ]+ in the sample' <<<"$man_text" |
               sed -E 's/^(INT[0-9]{2}), (Section [^ ]+) .*/\2 \1/'; } | sort -u)
[ -n "$pairs" ] || fail "the manual pages pair no section with its table"
while read -r word name table; do
    grep -qxF "$word $name"$'\t'"$table" <<<"$sections" ||
        fail "the manual pages call $table \"$word $name\"; the sample: $(grep "$table" <<<"$sections")"
done <<<"$pairs"

# The program, with a home of its own and no database path set: it must find
# ../share/orvane-int/intasme.mdb from its bin folder.
export HOME="$E2E_TMP/home" XDG_DATA_HOME="$E2E_TMP/home/.local/share" \
    XDG_CONFIG_HOME="$E2E_TMP/home/.config" XDG_DATA_DIRS="$E2E_TMP/no-system-data"
mkdir -p "$HOME"
settings="$E2E_TMP/settings.ini"
printf '[orvaneINT]\ndefault%%20section=1\n' >"$settings"
ORVANE_EXE="$root/usr/bin/orvane-int"
start_program "$settings"
wait_window '^Orvane-INT   \[ ASME .* \]$' 30
[ "$(read_setting "$settings" "data path")" = "$root/usr/share/orvane-int/intasme.mdb" ] ||
    fail "the program took $(read_setting "$settings" "data path") as its database"
e2e_pass
