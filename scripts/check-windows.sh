#!/usr/bin/env bash
# What can be proven about the Windows build on a Debian machine:
#  1. every source in src/ and tools/ compiles with the MinGW-w64 compiler
#     (-fsyntax-only) against the Qt headers, with the Windows branches of the
#     code (_WIN32, Q_OS_WIN) active;
#  2. the standard-C++ reader and its tests build as Windows executables and
#     pass under Wine, one of them on a database whose path is not ASCII.
# Installs the cross compiler and Wine from Debian's packages when missing.
# Works in build-windows/ (or $ORVANE_WINDOWS_BUILD). Last line:
#   windows: N sources checked, M reader tests passed under Wine
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="${ORVANE_WINDOWS_BUILD:-$root/build-windows}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
jobs="${ORVANE_JOBS:-2}"
started=$SECONDS

step() { echo "== windows: $* ($((SECONDS - started)) s)"; }
fail() {
  echo "windows: FAILED: $*" >&2
  exit 1
}

# ---- Packages ---------------------------------------------------------------
# The posix-threads flavour of the compiler: its standard library has
# std::thread and std::mutex. wine64 runs 64-bit console programs; no 32-bit
# Wine and no display are needed.
packages=(g++-mingw-w64-x86-64-posix wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  step "installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q >/dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi
cxx=x86_64-w64-mingw32-g++-posix
cc=x86_64-w64-mingw32-gcc-posix
command -v "$cxx" >/dev/null || fail "$cxx not found"
command -v wine >/dev/null || fail "wine not found"

# ---- 1. Every source, compiled for Windows ----------------------------------
# The include paths and definitions come from a Linux configure of the whole
# project (configure only, nothing is built there). Debian's Qt headers are
# configured for Linux, but their platform detection follows the compiler
# (_WIN32 gives Q_OS_WIN); only the qplatformdefs folder is swapped for the
# win32-g++ one. SQLite's public header is the same on every platform and is
# the only file of a Linux package the pass may see (the shim folder).
step "compiling every source of src/ and tools/ for Windows"
host="$out/host"
cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF >"$out/host-configure.log" 2>&1 ||
  { cat "$out/host-configure.log" >&2; fail "the Linux configure that gives the compile commands failed"; }
shim="$out/shim"
rm -rf "$shim" && mkdir -p "$shim"
for h in sqlite3.h sqlite3ext.h; do
  if [ -f "/usr/include/$h" ]; then ln -s "/usr/include/$h" "$shim/$h"; fi
done
cmake -DCOMMANDS="$host/compile_commands.json" -DSOURCE_DIR="$root" -DOUT_DIR="$out/syntax" \
  -DSHIM_DIR="$shim" -P "$root/cmake/WindowsSyntaxCheck.cmake" || fail "no compile commands"

check_one() { # response file, source, C++ compiler, C compiler
  local compiler="$3"
  [[ "$2" == *.c ]] && compiler="$4"
  if ! "$compiler" -Werror "@$1" >"$1.log" 2>&1; then
    echo "--- $2" >>"$1.log"
    echo "$1" >>"${1%/*}/failed.txt"
  fi
}
export -f check_one
rm -f "$out/syntax/failed.txt"
tr "\t" "\n" <"$out/syntax/sources.txt" |
  xargs -d "\n" -n2 -P "$jobs" bash -c 'check_one "$3" "$4" "$1" "$2"' _ "$cxx" "$cc"
sources=$(wc -l <"$out/syntax/sources.txt")
if [ -f "$out/syntax/failed.txt" ]; then
  while read -r rsp; do cat "$rsp.log" >&2; done <"$out/syntax/failed.txt"
  fail "$(wc -l <"$out/syntax/failed.txt") of $sources sources do not compile for Windows"
fi
# The pass proves something only if Qt took the compiler for a Windows one.
probe="$out/syntax/probe.cpp"
cat >"$probe" <<'EOF_PROBE'
#include <QtGlobal>
#if !defined(_WIN32) || !defined(Q_OS_WIN) || defined(Q_OS_UNIX) || defined(Q_OS_LINUX)
#error "the Windows branches are not the active ones"
#endif
EOF_PROBE
first_rsp=$(head -1 "$out/syntax/sources.txt" | cut -f1)
"$cxx" "@$first_rsp" "$probe" >"$probe.log" 2>&1 || { cat "$probe.log" >&2; fail "Q_OS_WIN is not defined"; }
# The version resource, with the Windows resource compiler.
rc="$host/src/orvane-int.rc"
[ -f "$rc" ] || fail "$rc was not generated"
x86_64-w64-mingw32-windres -O coff -i "$rc" -o "$out/syntax/orvane-int.res" >"$out/syntax/rc.log" 2>&1 ||
  { cat "$out/syntax/rc.log" >&2; fail "the version resource does not compile"; }
sources=$((sources + 1))
# GCC accepts its own extensions for the Windows target as well; Visual C++
# does not. The standard library has the portable forms (<bit>, [[attributes]]).
if grep -rnE '\b(__builtin_[a-z0-9_]+|__attribute__|__int128|__typeof__)\b' \
  --include='*.cpp' --include='*.h' --include='*.c' "$root/src" "$root/tools" >"$out/syntax/gnu.log"; then
  cat "$out/syntax/gnu.log" >&2
  fail "GCC-only extensions that Visual C++ refuses"
fi

# ---- 2. The reader and its tests, built for Windows and run under Wine -------
step "building the reader and its tests for Windows"
grep -q "ORVANE_READER_ONLY" "$root/CMakeLists.txt" || fail "the project has no ORVANE_READER_ONLY option"
reader="$out/reader"
cmake -S "$root" -B "$reader" --toolchain "$root/cmake/toolchains/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DORVANE_READER_ONLY=ON >"$out/reader-configure.log" 2>&1 ||
  { cat "$out/reader-configure.log" >&2; fail "configuring the Windows reader failed"; }
cmake --build "$reader" -j "$jobs" >"$out/reader-build.log" 2>&1 ||
  { tail -50 "$out/reader-build.log" >&2; fail "building the Windows reader failed"; }

# A Wine prefix of our own under the build folder, made once; no Mono or
# Gecko (their installers would ask), no debug chatter. The Wine server this
# starts is stopped on the way out.
step "running the reader tests under Wine"
export WINEPREFIX="$out/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$out/wineboot.log" 2>&1 || { cat "$out/wineboot.log" >&2; fail "wineboot failed"; }
  wineserver -w
fi
# The reader's tests print "PASS <case>" per case, and "SKIP <case>: why"
# before it when a case had nothing to run on; M counts the cases that passed
# and were not skipped. The case on a file whose name is not ASCII must be
# among them.
ctest --test-dir "$reader" -j "$jobs" --verbose --no-tests=error >"$out/reader-tests.log" 2>&1 ||
  { grep -E "FAIL|Failed|Exception|tests passed" "$out/reader-tests.log" >&2 || cat "$out/reader-tests.log" >&2
    fail "reader tests failed under Wine (log: $out/reader-tests.log)"; }
grep -qE "100% tests passed, 0 tests failed out of [1-9]" "$out/reader-tests.log" ||
  fail "no passing test summary in $out/reader-tests.log"
passed=$(grep -cE "^[0-9]+: PASS " "$out/reader-tests.log" || true)
skipped=$(grep -cE "^[0-9]+: SKIP " "$out/reader-tests.log" || true)
grep -E "^[0-9]+: SKIP " "$out/reader-tests.log" | sed -E 's/^[0-9]+: /windows: /' || true
passed=$((passed - skipped))
((passed > 0)) || fail "no reader test case reported PASS"
grep -qiE "^[0-9]+: PASS .*ascii" "$out/reader-tests.log" ||
  fail "the reader test on a file whose name is not ASCII did not run"

step "done"
echo "windows: $sources sources checked, $passed reader tests passed under Wine"
