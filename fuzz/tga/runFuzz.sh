#!/usr/bin/env bash
# Builds the TGA reader's fuzz target with clang and runs it for a while.
#   fuzz/tga/runFuzz.sh <build-dir> <seconds>
# A finding ends the run with a non-zero exit code and the crashing input in
# <build-dir>/findings.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
seconds="$2"

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null

# Seeds: a valid 2x2 image, one whose ID field is not empty, and a 24-bit one.
corpus="$build/corpus"
mkdir -p "$corpus" "$build/findings"
header() { printf "\\x$1\\x00\\x02\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x$2\\x00\\x$3\\x00\\x$4\\x08"; }
{ header 00 02 02 20; head -c 16 /dev/urandom; } >"$corpus/valid.tga"
{ header 04 01 01 20; printf 'IDID'; head -c 4 /dev/urandom; } >"$corpus/id.tga"
{ header 00 01 01 18; printf 'abc'; } >"$corpus/rgb24.tga"

"$build/tga_fuzz" -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$build/findings/" \
  "$corpus" 2>&1 | tail -n 5
