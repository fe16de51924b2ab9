#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest.
# ORVANE_PRESET=asan runs the same suite under AddressSanitizer + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
preset="${ORVANE_PRESET:-default}"
ctest --preset "$preset" -j2 "$@"
