#!/usr/bin/env bash
# Builds the game (installing what is missing) and starts it.
#   scripts/play.sh [game switches such as -720 -aa -fullscr]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release >/dev/null
exec build/bin/game "$@"
