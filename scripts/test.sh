#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest: first the normal build,
# then the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer.
# ORVANE_PRESET=default (or asan) runs one of the two only.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -n "${ORVANE_PRESET:-}" ]; then
  presets=("$ORVANE_PRESET")
else
  presets=(default asan)
fi
for preset in "${presets[@]}"; do
  echo "== $preset build and tests"
  ORVANE_PRESET="$preset" scripts/setup.sh
  ctest --preset "$preset" -j2 "$@"
done
