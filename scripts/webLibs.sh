#!/usr/bin/env bash
# Builds the four libraries the browser build links (SDL2, SDL2_mixer, zlib,
# libpng) with emscripten into a cache folder outside the clone, once: a
# later run finds them there and does nothing. The sources are Debian 12's
# own, at pinned versions, checked against their SHA-256 sums.
#   scripts/webLibs.sh CACHE_DIR
# Leaves CACHE_DIR/prefix with include/ and lib/; prints nothing else when the
# cache is complete.
set -euo pipefail

cache="${1:?usage: webLibs.sh CACHE_DIR}"
prefix="$cache/prefix"
# The file that says every library is in place; written last.
done_mark="$prefix/.complete-1"
[ -e "$done_mark" ] && exit 0

POOL=http://deb.debian.org/debian/pool/main
# name, pool path, SHA-256
SOURCES=(
  "zlib_1.2.13.dfsg.orig.tar.bz2 z/zlib 71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1"
  "libpng1.6_1.6.39.orig.tar.gz libp/libpng1.6 a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441"
  "libsdl2_2.26.5+dfsg.orig.tar.gz libs/libsdl2 b3f2c822151804125d08db94c65852f711c2e5df2145a59da120748dc32eb9c3"
  "libsdl2-mixer_2.6.2+dfsg.orig.tar.xz libs/libsdl2-mixer 648d9545a92a4839b5edecc775d54608516bc8963d609a8d2193df94518ca072"
)

mkdir -p "$cache/src" "$prefix"
jobs="$(nproc)"

# Fetches and unpacks one source archive into $cache/src/<stem>; echoes the folder.
unpack() {
  local name="$1" path="$2" sum="$3"
  local archive="$cache/src/$name"
  if [ ! -e "$archive" ] || ! echo "$sum  $archive" | sha256sum -c --status; then
    echo "fetching $name" >&2
    curl -sSfL -o "$archive.part" "$POOL/$path/$name"
    if ! echo "$sum  $archive.part" | sha256sum -c --status; then
      echo "webLibs.sh: $name does not match its SHA-256 sum" >&2
      exit 1
    fi
    mv "$archive.part" "$archive"
  fi
  local dir="$cache/src/${name%.orig.tar.*}"
  rm -rf "$dir"
  mkdir -p "$dir"
  tar -xf "$archive" -C "$dir" --strip-components=1
  echo "$dir"
}

# Configures, builds and installs one CMake project with emscripten.
build() {
  local src="$1"
  shift
  emcmake cmake -S "$src" -B "$src/build-web" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >"$src/build-web.log" 2>&1 ||
    { tail -30 "$src/build-web.log" >&2; exit 1; }
  cmake --build "$src/build-web" -j"$jobs" >>"$src/build-web.log" 2>&1 || { tail -30 "$src/build-web.log" >&2; exit 1; }
  cmake --install "$src/build-web" >>"$src/build-web.log" 2>&1 || { tail -30 "$src/build-web.log" >&2; exit 1; }
}

read -r name path sum <<<"${SOURCES[0]}"
echo "building zlib for the browser" >&2
src="$(unpack "$name" "$path" "$sum")"
# Debian's zlib source lacks what zlib's CMake file lists for Windows; its own configure builds it.
(cd "$src" && emconfigure ./configure --static --prefix="$prefix" && emmake make -j"$jobs" install) \
  >"$src/build-web.log" 2>&1 || { tail -30 "$src/build-web.log" >&2; exit 1; }

read -r name path sum <<<"${SOURCES[1]}"
echo "building libpng for the browser" >&2
src="$(unpack "$name" "$path" "$sum")"
build "$src" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" -DSKIP_INSTALL_PROGRAMS=ON

read -r name path sum <<<"${SOURCES[2]}"
echo "building SDL2 for the browser (the longest step, several minutes)" >&2
src="$(unpack "$name" "$path" "$sum")"
build "$src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF

read -r name path sum <<<"${SOURCES[3]}"
echo "building SDL2_mixer for the browser" >&2
src="$(unpack "$name" "$path" "$sum")"
build "$src" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OGG=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_WAVPACK=OFF \
  -DSDL2MIXER_WAVE=ON -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2_DIR="$prefix/lib/cmake/SDL2"

touch "$done_mark"
echo "browser libraries built into $prefix" >&2
