#!/usr/bin/env bash
# Sets up, builds and starts the program on the bundled sample database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/bin/orvane-int "$@"
