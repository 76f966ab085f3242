#!/usr/bin/env bash
# Builds the game and the launcher with their data (installing what is
# missing), not the tests and tools, and starts the game.
#   scripts/play.sh [game switches such as -720 -aa -fullscr]
set -euo pipefail
cd "$(dirname "$0")/.."
TARNWICK_TARGETS="game launcher" scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release >/dev/null
exec build/bin/game "$@"
