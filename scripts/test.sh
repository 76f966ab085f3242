#!/usr/bin/env bash
# Builds and runs every test headless: once in build/, then the browser build
# in headless Chromium (build-web/), once more under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/; then runs
# the file readers' fuzz targets (clang, libFuzzer) for a few seconds each;
# last, where dpkg-deb and lintian are installed, builds and checks the
# Debian package.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

export SDL_VIDEODRIVER=offscreen
export TARNWICK_NO_MSGBOX=1
jobs="$(nproc)"

scripts/setup.sh build -DTARNWICK_WERROR=ON
(cd build && ctest --output-on-failure -j"$jobs")

# The browser build, with the desktop build's data, in headless Chromium.
TARNWICK_WERROR=ON TARNWICK_WEB_TESTS=ON TARNWICK_DATA_BUILD=build scripts/web.sh
tests/web/browserTest.sh build-web build

scripts/setup.sh build-asan -DTARNWICK_WERROR=ON -DTARNWICK_SANITIZE=ON -DTARNWICK_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest --output-on-failure -j"$jobs")

cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_WERROR=ON -DDATA_DIR="$PWD/build/bin"
cmake --build build-fuzz -j"$jobs"
(cd build-fuzz && ctest --output-on-failure -j"$jobs")

if command -v dpkg-deb >/dev/null && command -v lintian >/dev/null; then
  tests/scripts/packageCheck.sh build-package
fi
