#!/usr/bin/env bash
# Builds the game for the browser into build-web/ (installing what is
# missing): index.html, page.js, page.css, tarnwick.js, tarnwick.wasm and
# tarnwick.data. Serve that folder (python3 -m http.server -d build-web) and
# open index.html.
#   scripts/web.sh
# The libraries the browser build links are built once into
# $TARNWICK_WEB_CACHE (default ~/.cache/tarnwick-web) and taken from there
# afterwards. The game's data comes from a desktop build in build-web/.native
# (only its data is built), or from TARNWICK_DATA_BUILD, a desktop build
# folder whose data is already built. TARNWICK_WEB_TESTS=ON also builds the
# browser's test programs into build-web/tests.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build-web
cache="${TARNWICK_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwick-web}"
jobs="$(nproc)"

scripts/setup.sh --packages-only
if ! command -v em++ >/dev/null || ! command -v curl >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends emscripten curl xz-utils bzip2
fi
# Debian's em++ runs its JavaScript tools with the system's node, which finds
# their modules only here.
export NODE_PATH=/usr/share/nodejs

scripts/webLibs.sh "$cache"

native="${TARNWICK_DATA_BUILD:-$out/.native}"
if [ -z "${TARNWICK_DATA_BUILD:-}" ]; then
  echo "building the game's data with a desktop build in $native"
  cmake -S . -B "$native" -DTARNWICK_TESTS=OFF -DTARNWICK_BENCH=OFF >/dev/null
  cmake --build "$native" -j"$jobs" --target level_data shader_caches font_data sprite_data >/dev/null
fi

# The program directory as the browser build packs it: the installed shader
# caches, which name no source files.
data="$out/.data"
rm -rf "$data"
mkdir -p "$data/cache" "$data/shots"
for f in tiles.bin level.pal font.tga hero_body.png hero_arm.png hero_legs0.png hero_legs2.png heart.png robot1.png; do
  cp "$native/bin/$f" "$data/"
done
cp "$native"/install/cache/*.cache "$data/cache/"

emcmake cmake -S . -B "$out/.cmake" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_WEB_LIBS="$cache/prefix" \
  -DTARNWICK_WEB_DATA="$PWD/$data" -DTARNWICK_WEB_SITE="$PWD/$out" -DTARNWICK_WERROR="${TARNWICK_WERROR:-OFF}" \
  -DTARNWICK_WEB_TESTS="${TARNWICK_WEB_TESTS:-OFF}" >/dev/null
cmake --build "$out/.cmake" -j"$jobs"
echo "the browser build is in $out/: python3 -m http.server -d $out, then open http://localhost:8000/"
