#!/usr/bin/env bash
# Builds the Debian package: a Release build of the two programs and their
# data in build-package/ (or the directory given), compiled with Debian's
# hardening flags, packed by CPack. Prints the package's path.
#   scripts/package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"

# Debian's flags with all its hardening (stack protector, fortified
# functions, read-only relocations bound at start-up) but without -g and
# -O2: the programs are stripped, and the Release build sets its own
# optimisation.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
export DEB_CXXFLAGS_MAINT_STRIP="-g -O2" DEB_CFLAGS_MAINT_STRIP="-g -O2"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTARNWICK_PACKAGE=ON \
  -DTARNWICK_TESTS=OFF -DTARNWICK_BENCH=OFF -DTARNWICK_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)" --target game launcher icons man_pages package_changelog >/dev/null
rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
ls "$build"/tarnwick_*.deb
