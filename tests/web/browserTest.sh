#!/usr/bin/env bash
# Runs browserTest.mjs: installs Debian's Chromium and the test's one npm
# package (playwright-core, which drives that Chromium and downloads no
# browser) where missing, then tests build-web/ against the desktop build.
#   tests/web/browserTest.sh [site-dir] [desktop-build-dir]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
site="${1:-$root/build-web}"
desktop="${2:-$root/build}"

if ! command -v chromium >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends chromium
fi
if [ ! -d "$here/node_modules/playwright-core" ]; then
  (cd "$here" && npm ci --no-audit --no-fund)
fi
exec node "$here/browserTest.mjs" "$site" "$desktop/bin/game" "$root/tests/recordings" "$site/test-results"
