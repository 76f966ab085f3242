#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds. Safe to run any number of times.
#   scripts/setup.sh [build-dir] [extra cmake arguments...]
#   scripts/setup.sh --packages-only
# TARNWICK_TARGETS names the targets to build (all when unset).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake g++ make pkg-config clang libclang-rt-14-dev llvm
  libsdl2-dev libsdl2-mixer-dev libx11-dev libxfixes-dev libepoxy-dev zlib1g-dev libpng-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgl1-mesa-dri libegl-mesa0 libegl1 xvfb xauth xdotool x11-apps x11-utils glslang-tools sox
  desktop-file-utils appstream dpkg-dev lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" = "--packages-only" ] && exit 0

build_dir="${1:-build}"
shift || true
cmake -S . -B "$build_dir" "$@"
# Unquoted: a list of target names.
# shellcheck disable=SC2086
cmake --build "$build_dir" -j"$(nproc)" ${TARNWICK_TARGETS:+--target $TARNWICK_TARGETS}
