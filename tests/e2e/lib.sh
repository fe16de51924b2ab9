# Shared harness of the end-to-end cases: a private X server, the program
# started from its build folder with its own settings file, windows found by
# name, keys sent through the XTEST extension (as a keyboard would), and a
# clean-up that ends everything the case started, whatever happened.
#
# A case script sources this file, then calls e2e_begin. Every wait is
# bounded; a case that goes wrong fails with the windows on screen listed and
# a screenshot kept in its work folder (which is then not removed).
#
# Environment:
#   ORVANE_BIN_DIR  folder holding orvane-int, orvane-int-mkdb, orvane-int-sql
#                   and the sample intasme.mdb (required)
#   E2E_KEEP=1      keep the work folder also when the case passes
#   E2E_TRACE=1     echo each harness step
#   E2E_SHOTS=DIR   keep the screenshots a case takes in DIR

set -u

readonly E2E_SKIP=77
readonly E2E_PASSWORD=tolvaren

E2E_TMP=""
E2E_XPID=""
E2E_WATCH_PID=""
APP_PID=""
APP_RC=""
WIN=""
E2E_T0=$(date +%s%N)

e2e_log() { [ "${E2E_TRACE:-0}" = 1 ] && echo "[$(e2e_elapsed)] $*" >&2; return 0; }
e2e_elapsed() { echo $(( ($(date +%s%N) - E2E_T0) / 1000000 ))ms; }

fail()
{
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ] && [ -n "$E2E_XPID" ]; then
        echo "visible windows:" >&2
        e2e_window_names | sed 's/^/  /' >&2
        import -window root "$E2E_TMP/failure.png" 2>/dev/null &&
            echo "screenshot: $E2E_TMP/failure.png" >&2
    fi
    [ -s "$E2E_TMP/app.log" ] && { echo "program output:" >&2; sed 's/^/  /' "$E2E_TMP/app.log" | tail -20 >&2; }
    exit 1
}

skip() { echo "SKIP: $*" >&2; exit $E2E_SKIP; }

e2e_cleanup()
{
    local rc=$?
    # The program first (and anything it started, e.g. under strace), then
    # the window watcher, then the X server.
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        # Under a wrapper (strace) the program is the wrapper's child, and
        # would outlive a wrapper that detaches on its way out.
        local pids="$APP_PID $(pgrep -P "$APP_PID" 2>/dev/null | tr '\n' ' ')"
        kill -TERM $pids 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 $pids 2>/dev/null || break; sleep 0.2; done
        kill -KILL $pids 2>/dev/null
    fi
    [ -n "$APP_PID" ] && wait "$APP_PID" 2>/dev/null
    if [ -n "$E2E_WATCH_PID" ]; then
        kill "$E2E_WATCH_PID" 2>/dev/null
        wait "$E2E_WATCH_PID" 2>/dev/null
    fi
    if [ -n "$E2E_XPID" ]; then
        kill "$E2E_XPID" 2>/dev/null
        wait "$E2E_XPID" 2>/dev/null
    fi
    if [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP" ]; then
        # A read-only folder made by the case must become removable again.
        chmod -R u+w "$E2E_TMP" 2>/dev/null
        if [ "$rc" -eq 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then
            rm -rf "$E2E_TMP"
        else
            echo "work folder kept: $E2E_TMP" >&2
        fi
    fi
    echo "$(basename "$0"): $( [ "$rc" -eq 0 ] && echo passed || { [ "$rc" -eq $E2E_SKIP ] && echo skipped || echo "failed ($rc)"; }) in $(e2e_elapsed)" >&2
    exit "$rc"
}

# Starts a private X server on a display it picks itself (no race with other
# servers started at the same time) and the window watcher.
e2e_begin()
{
    command -v xvfb-run >/dev/null 2>&1 && command -v Xvfb >/dev/null 2>&1 ||
        skip "xvfb-run/Xvfb is not installed"
    command -v xdotool >/dev/null 2>&1 || skip "xdotool is not installed"
    [ -n "${ORVANE_BIN_DIR:-}" ] || { echo "ORVANE_BIN_DIR is not set" >&2; exit 2; }
    ORVANE_EXE="$ORVANE_BIN_DIR/orvane-int"
    MKDB="$ORVANE_BIN_DIR/orvane-int-mkdb"
    SQL="$ORVANE_BIN_DIR/orvane-int-sql"
    SAMPLE_DB="$ORVANE_BIN_DIR/intasme.mdb"
    for f in "$ORVANE_EXE" "$MKDB" "$SQL" "$SAMPLE_DB"; do
        [ -e "$f" ] || { echo "missing build output: $f" >&2; exit 2; }
    done

    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/orvane-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM

    # Servers left to pick their own display race for the lowest free one
    # when several cases start together (both may take over the stale lock of
    # a server that just ended). So each case tries displays of its own,
    # spread by its process id; a taken one makes the server exit at once.
    local dfile="$E2E_TMP/display" display attempt n started=""
    for attempt in 1 2 3 4 5 6 7 8; do
        display=$(( 100 + ($$ * 7 + attempt * 131) % 800 ))
        : >"$dfile"
        # -noreset: the watcher's short-lived xdotool clients would otherwise
        # make the server reset each time the last of them leaves, and a
        # client connecting during a reset is refused.
        Xvfb ":$display" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dfile" \
            >"$E2E_TMP/xvfb.log" 2>&1 &
        E2E_XPID=$!
        n=0
        while [ ! -s "$dfile" ] && kill -0 "$E2E_XPID" 2>/dev/null && [ $n -lt 100 ]; do
            n=$((n + 1))
            sleep 0.1
        done
        if [ -s "$dfile" ]; then
            started=1
            break
        fi
        kill "$E2E_XPID" 2>/dev/null
        wait "$E2E_XPID" 2>/dev/null
        E2E_XPID=""
    done
    [ -n "$started" ] || fail "Xvfb did not start (see $E2E_TMP/xvfb.log)"
    export DISPLAY=":$(head -n1 "$dfile")"
    e2e_log "X server on $DISPLAY"

    # Every window name seen, with the time it was first seen, so a case can
    # tell afterwards which windows appeared at all (short-lived ones too).
    : >"$E2E_TMP/windows.log"
    (
        declare -A seen
        while :; do
            while IFS= read -r name; do
                [ -n "$name" ] || continue
                if [ -z "${seen[$name]+x}" ]; then
                    seen[$name]=1
                    printf '%s\t%s\n' "$(e2e_elapsed)" "$name" >>"$E2E_TMP/windows.log"
                fi
            done < <(e2e_window_names)
            sleep 0.1
        done
    ) &
    E2E_WATCH_PID=$!
}

# Names of the visible top-level windows, one a line.
e2e_window_names()
{
    local id
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        xdotool getwindowname "$id" 2>/dev/null
    done
}

# True when a window whose name matches the extended regex was ever seen.
window_was_seen() { cut -f2- "$E2E_TMP/windows.log" | grep -Eq -- "$1"; }

# settings_file DATA_PATH DEFAULT_SECTION: an isolated settings file for one
# run; prints its path.
settings_file()
{
    local f="$E2E_TMP/settings.ini"
    {
        echo "[orvaneINT]"
        echo "data%20path=$1"
        echo "default%20section=$2"
    } >"$f"
    echo "$f"
}

# read_setting FILE KEY (key with blanks as written by the program).
read_setting()
{
    local key=${2// /%20}
    sed -n "s/^${key}=//p" "$1" | tail -n1
}

# start_program SETTINGS_FILE [ARG...]: starts the program in the background
# on the private display. E2E_WRAP (an array) may hold a command to run it
# under, e.g. (strace -f -o FILE). Extra environment comes from APP_ENV
# (an array of NAME=VALUE).
start_program()
{
    local settings=$1
    shift
    local -a wrap=()
    [ -n "${E2E_WRAP+x}" ] && wrap=("${E2E_WRAP[@]}")
    local -a extra=()
    [ -n "${APP_ENV+x}" ] && extra=("${APP_ENV[@]}")
    e2e_log "start: $ORVANE_EXE $*"
    env QT_QPA_PLATFORM=xcb ORVANE_SETTINGS_FILE="$settings" XDG_RUNTIME_DIR="$E2E_TMP" \
        ${extra[@]+"${extra[@]}"} ${wrap[@]+"${wrap[@]}"} "$ORVANE_EXE" "$@" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
}

# find_window REGEX: id of a visible window whose whole name matches the
# extended regex, or nothing.
find_window()
{
    local id name
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        if [[ $name =~ $1 ]]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# wait_window REGEX [SECONDS]: waits for a visible window whose name matches
# (anchor the regex to match a whole name); its id goes into WIN. (Not meant
# for $(...): a failure must end the case, not a subshell.)
wait_window()
{
    local re=$1 limit=${2:-15} id
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        if id=$(find_window "$re"); then
            e2e_log "window /$re/ is $id"
            WIN=$id
            return 0
        fi
        [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null &&
            fail "the program ended while waiting for window /$re/"
        sleep 0.1
    done
    fail "no window /$re/ within ${limit}s"
}

# wait_window_gone REGEX [SECONDS]
wait_window_gone()
{
    local re=$1 limit=${2:-15}
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        find_window "$re" >/dev/null || return 0
        sleep 0.1
    done
    fail "window /$re/ still shown after ${limit}s"
}

# wait_exit [SECONDS]: waits for the program to end; sets APP_RC.
wait_exit()
{
    local limit=${1:-15}
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while kill -0 "$APP_PID" 2>/dev/null; do
        [ "$(date +%s%N)" -lt "$end" ] || fail "the program did not end within ${limit}s"
        sleep 0.1
    done
    wait "$APP_PID"
    APP_RC=$?
    APP_PID=""
    e2e_log "program ended with $APP_RC"
}

# assert_no_crash: the exit status is not that of a signal.
assert_no_crash()
{
    [ "$APP_RC" -lt 128 ] || fail "the program died with signal $((APP_RC - 128))"
}

# focus WINDOW: gives the window the keyboard focus (there is no window
# manager, so this is what a click on the window would do), and waits until
# the X server reports it focused.
focus()
{
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || timeout 5 xdotool windowfocus "$1" ||
        fail "cannot focus window $1"
    local end=$(( $(date +%s%N) + 10 * 1000000000 ))
    until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; do
        [ "$(date +%s%N)" -lt "$end" ] || fail "window $1 did not take the focus within 10s"
        sleep 0.05
    done
}

# keys WINDOW KEY...: focuses the window, then presses each key in turn, at
# a typist's pace (the program reads them in order from its queue).
keys()
{
    local w=$1
    shift
    focus "$w"
    e2e_log "keys to $w: $*"
    timeout 20 xdotool key --clearmodifiers --delay 150 "$@" || fail "xdotool key $* failed"
}

# type_text WINDOW TEXT: types the text into the focused control.
type_text()
{
    focus "$1"
    e2e_log "type to $1: $2"
    timeout 20 xdotool type --delay 40 --clearmodifiers -- "$2" || fail "xdotool type failed"
}

# screenshot FILE [WINDOW]: the whole screen, or one window.
screenshot()
{
    if [ -n "${2:-}" ]; then
        import -window "$2" "$1" 2>/dev/null
    else
        import -window root "$1" 2>/dev/null
    fi
}

# sql DB STATEMENT: the identifiers (first column) that the statement returns,
# header line dropped, one a line, sorted.
sql()
{
    "$SQL" "$1" "$2" --password "$E2E_PASSWORD" | tail -n +2 | cut -f1 | sort
}

# make_db FOLDER [--password P]: writes a small two-section interpretation
# database FOLDER/intasme.mdb from a source folder made here.
make_db()
{
    local dir=$1
    shift
    local src="$dir.src"
    mkdir -p "$dir" "$src"
    cat >"$src/sections.txt" <<'EOF'
# table  name shown in the section menu
INT01    Section Alpha
INT02    Section Beta
EOF
    cat >"$src/INT01.txt" <<'EOF'
=== A-01-01
Volume: 1
Paragraphs: QA-100

Interpretation: A-01-01
Subject: Alpha, QA-100, Lamination checks
Date Issued: March 3, 2001
File: BC01-001

Question: Does QA-100 permit ultrasonic lamination checks after forming?

Reply: Yes.

=== A-01-02
Volume: 1
Paragraphs: QA-100, QA-200

Interpretation: A-01-02
Subject: Alpha, QA-200, Nozzle reinforcement
Date Issued: June 6, 2001
File: BC01-002

Question: Does QA-200 require reinforcement for a small nozzle?

Reply: No.
EOF
    cat >"$src/INT02.txt" <<'EOF'
=== B-02-01
Volume: 2
Paragraphs: QB-300

Interpretation: B-02-01
Subject: Beta, QB-300, Hydrostatic test temperature
Date Issued: April 4, 2002
File: BC02-003

Question: May the hydrostatic test of QB-300 be run below the minimum temperature?

Reply: No.
EOF
    "$MKDB" "$src" "$dir/intasme.mdb" "$@" >"$E2E_TMP/mkdb.log" 2>&1 ||
        fail "orvane-int-mkdb failed: $(cat "$E2E_TMP/mkdb.log")"
}

e2e_pass() { exit 0; }

# Windows of the program whose names are known: the title window, the main
# window (design caption or a caption naming a section) and the messages.
readonly KNOWN_WINDOWS='^(Orvane-INT|Orvane INT|Orvane-INT   \[ ASME .* \]|Incorrect password|No database|Data out of date|Record not found|Help|About.*)$'

# wait_file_dialog [SECONDS]: the open-file dialog is the window that is none
# of the known ones; its caption is the dialog's own. Its id goes into WIN.
wait_file_dialog()
{
    local limit=${1:-15} id name
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
            if ! [[ $name =~ $KNOWN_WINDOWS ]]; then
                e2e_log "file dialog \"$name\" is $id"
                WIN=$id
                # Keys typed before it has drawn itself may go nowhere.
                wait_drawn "$id" $(( (end - $(date +%s%N)) / 1000000000 + 1 ))
                return 0
            fi
        done
        [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null &&
            fail "the program ended while waiting for the file dialog"
        sleep 0.1
    done
    fail "no file dialog within ${limit}s"
}

# wait_drawn WINDOW [SECONDS]: waits until a light window (a dialog) has
# drawn itself: an undrawn window is black.
wait_drawn()
{
    local w=$1 limit=${2:-15} mean
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        mean=$(import -window "$w" "$E2E_TMP/drawn.png" 2>/dev/null &&
            convert "$E2E_TMP/drawn.png" -colorspace Gray -format '%[fx:mean]' info: 2>/dev/null)
        if [ -n "$mean" ] && awk -v m="$mean" 'BEGIN { exit !(m > 0.5) }'; then
            e2e_log "window $w drawn (mean $mean)"
            return 0
        fi
        sleep 0.1
    done
    fail "window $w not drawn within ${limit}s"
}

# wait_still WINDOW [SECONDS]: waits until the window has stopped changing:
# two screenshots a moment apart differ in no more pixels than a blinking
# text cursor covers.
wait_still()
{
    local w=$1 limit=${2:-15} prev="$E2E_TMP/still-a.png" cur="$E2E_TMP/still-b.png" diff
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    import -window "$w" "$prev" 2>/dev/null
    while [ "$(date +%s%N)" -lt "$end" ]; do
        sleep 0.3
        import -window "$w" "$cur" 2>/dev/null || continue
        diff=$(compare -metric AE "$prev" "$cur" null: 2>&1)
        if [[ $diff =~ ^[0-9]+$ ]] && [ "$diff" -le 30 ]; then
            e2e_log "window $w still"
            return 0
        fi
        mv "$cur" "$prev"
    done
    fail "window $w still changing after ${limit}s"
}

# window_visible ID: the window is mapped (shown).
window_visible() { xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx -- "$1"; }

# click_design WINDOW X Y: a left click at a point of the main window given
# in design twips of its client area. Valid while the window has its design
# size (there is no window manager to resize it): the client area is then
# 9660 x 6930 twips under the menu bar, 15 twips to a pixel.
click_design()
{
    local w=$1 x=$(( $2 / 15 )) y=$(( $3 / 15 ))
    local geo width height
    geo=$(xdotool getwindowgeometry --shell "$w") || fail "no geometry for window $w"
    width=$(sed -n 's/^WIDTH=//p' <<<"$geo")
    height=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
    [ "$width" -eq 644 ] || fail "main window is $width pixels wide, not its design width 644"
    local menubar=$(( height - 462 ))
    [ "$menubar" -ge 0 ] && [ "$menubar" -lt 60 ] || fail "unexpected main window height $height"
    e2e_log "click at design ($2, $3) = ($x, $((y + menubar))) in $w"
    timeout 5 xdotool mousemove --window "$w" "$x" "$((y + menubar))" click 1 || fail "click failed"
}

# design_rect WINDOW X Y W H: the pixel rectangle (WxH+X+Y) of a rectangle of
# the main window given in design twips of its client area (see click_design).
design_rect()
{
    local geo height
    geo=$(xdotool getwindowgeometry --shell "$1") || fail "no geometry for window $1"
    height=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
    local menubar=$(( height - 462 ))
    echo "$(( $4 / 15 ))x$(( $5 / 15 ))+$(( $2 / 15 ))+$(( $3 / 15 + menubar ))"
}

# wait_painted WINDOW X Y W H [SECONDS] [red]: waits until the rectangle of
# the main window (design twips) holds ink: a pixel clearly darker than the
# white of an empty list or text box, or with `red`, a pixel of the red that
# marks searched words. Fails early when "Record not found" appears.
wait_painted()
{
    local w=$1 rect limit=${6:-15} kind=${7:-ink} measure found
    rect=$(design_rect "$w" "$2" "$3" "$4" "$5")
    if [ "$kind" = red ]; then
        measure='%[fx:maxima]'
    else
        measure='%[fx:minima]'
    fi
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        window_was_seen '^Record not found$' && fail "\"Record not found\" while waiting for $kind at $rect"
        found=""
        if import -window "$w" "$E2E_TMP/ink.png" 2>/dev/null; then
            if [ "$kind" = red ]; then
                found=$(convert "$E2E_TMP/ink.png" -crop "$rect" +repage -fx 'r > 0.7 && g < 0.4 && b < 0.4' \
                    -format "$measure" info: 2>/dev/null)
                [ "$found" = 1 ] && found=0 || found=1
            else
                found=$(convert "$E2E_TMP/ink.png" -crop "$rect" +repage -colorspace Gray -format "$measure" info: 2>/dev/null)
            fi
        fi
        if [ -n "$found" ] && awk -v d="$found" 'BEGIN { exit !(d < 0.5) }'; then
            e2e_log "$kind at $rect"
            return 0
        fi
        sleep 0.1
    done
    fail "no $kind painted at $rect of window $w within ${limit}s"
}

# wait_search_shown WINDOW [SECONDS]: waits until a search has shown its first
# interpretation, its searched words in red.
wait_search_shown() { wait_painted "$1" 300 1600 6000 3900 "${2:-15}" red; }

# wait_file FILE [SECONDS]: waits until the file exists, is not empty and has
# stopped growing; a PDF file also until it ends with its trailer (a slow
# machine may pause between pages longer than between two looks).
wait_file()
{
    local f=$1 limit=${2:-15} last=-1 size
    local end=$(( $(date +%s%N) + limit * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        if [ -s "$f" ]; then
            size=$(stat -c %s "$f")
            if [ "$size" = "$last" ]; then
                [[ $f != *.pdf ]] && return 0
                tail -c 64 "$f" | grep -q '%%EOF' && return 0
            fi
            last=$size
        fi
        sleep 0.3
    done
    fail "$f was not written within ${limit}s"
}

# printed_ids PDF: the interpretation identifiers that the printed pages name
# in their "Interpretation:" heading, one a line.
printed_ids()
{
    pdftotext -layout "$1" - 2>/dev/null | sed -n 's/^[[:space:]]*Interpretation:[[:space:]]*\([^[:space:]]\+\).*/\1/p' | sort -u
}

# keep_screenshot FILE NAME: copies a screenshot to E2E_SHOTS when set.
keep_screenshot()
{
    [ -n "${E2E_SHOTS:-}" ] || return 0
    mkdir -p "$E2E_SHOTS" && cp "$1" "$E2E_SHOTS/$2"
}
