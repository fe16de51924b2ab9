#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then configures and
# builds the default preset. Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # mdbtools' command-line tools (mdb-export, mdb-tables) are a test oracle
  # only: the program reads Jet files with its own reader.
  mdbtools
  libsqlite3-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils poppler-utils strace imagemagick
  # A window manager, as every desktop has one, for the end-to-end cases about
  # windows appearing and painting.
  openbox
  # The Debian package and its checks: dpkg-shlibdeps, the desktop entry and
  # the AppStream metainfo validators, Debian's package checker.
  dpkg-dev desktop-file-utils appstream lintian
  # Courier and Arial, which the windows and the printed page ask for, resolve to
  # the metric-compatible URW faces.
  fonts-dejavu-core fonts-urw-base35
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js may come from a package that bundles npm (and conflicts with
# Debian's npm): ask for the commands, not the package names.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The independent Jet reader that the cross-check tests compare against.
if [ ! -d tests/js/node_modules/mdb-reader ]; then
  (cd tests/js && npm ci --no-audit --no-fund --loglevel=error)
fi

preset="${ORVANE_PRESET:-default}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
