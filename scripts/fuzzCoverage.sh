#!/usr/bin/env bash
# How much of the readers the fuzz corpora reach: builds the fuzz targets with
# source coverage in build-fuzz-cov/, replays every corpus that scripts/fuzz.sh
# grew in build-fuzz/, and prints the covered regions, branches and lines per
# source file twice: reached by the four file targets alone (tiles, palette,
# TGA image, sprite file) and by all targets. A second table does the same for
# the readers' checking functions.
#   scripts/fuzzCoverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

for tool in llvm-cov llvm-profdata; do
  command -v "$tool" >/dev/null || { echo "fuzzCoverage: $tool is missing (scripts/setup.sh installs llvm-14)"; exit 1; }
done
ls -d build-fuzz/corpus-* >/dev/null 2>&1 || { echo "fuzzCoverage: no corpora in build-fuzz/; run scripts/fuzz.sh first"; exit 1; }

cmake -S fuzz -B build-fuzz-cov -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ_COVERAGE=ON \
  -DDATA_DIR="$root/build/bin" >/dev/null
cmake --build build-fuzz-cov -j"$(nproc)" >/dev/null
prof="build-fuzz-cov/profiles"
rm -rf "$prof"
mkdir -p "$prof"

file_targets="levelTilesFuzz levelPaletteFuzz tgaImageFuzz voxelSpriteFuzz"
all_targets=$(cd build-fuzz-cov && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
for t in $all_targets; do
  # -runs=0 runs the corpus once and stops; the targets' own logging goes to the void.
  (cd build-fuzz-cov && LLVM_PROFILE_FILE="$root/$prof/$t.profraw" "./$t" -runs=0 "$root/build-fuzz/corpus-$t" \
    >/dev/null 2>&1) || echo "fuzzCoverage: $t stopped on an input (see scripts/fuzz.sh's findings)"
done

# Merges the profiles of the targets named after NAME and prints llvm-cov's
# report on the sources they reach, per file, or per function for the files
# in $functions_of.
report() {
  local name="$1" objects=() profiles=()
  shift
  for t in "$@"; do
    [ -f "$prof/$t.profraw" ] || continue
    profiles+=("$prof/$t.profraw")
    # llvm-cov takes the first program plainly and the others after -object.
    if [ ${#objects[@]} -eq 0 ]; then objects+=("build-fuzz-cov/$t"); else objects+=("-object=build-fuzz-cov/$t"); fi
  done
  llvm-profdata merge -sparse "${profiles[@]}" -o "$prof/$name.profdata"
  if [ -n "${functions_of:-}" ]; then
    # shellcheck disable=SC2086
    llvm-cov report "${objects[@]}" -instr-profile="$prof/$name.profdata" -show-functions -Xdemangler=c++filt $functions_of
  else
    llvm-cov report "${objects[@]}" -instr-profile="$prof/$name.profdata" -ignore-filename-regex='(fuzz/|/usr/)'
  fi
}

# shellcheck disable=SC2086
for scope in files functions; do
  functions_of=""
  [ "$scope" = functions ] && functions_of="gen/levelTiles.cpp voxel/loadSprite.cpp"
  echo "== $scope, file targets alone: $file_targets"
  report file $file_targets
  echo
  echo "== $scope, all targets"
  report all $all_targets
  echo
done
