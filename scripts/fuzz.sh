#!/usr/bin/env bash
# A fuzzing campaign: builds the file readers' libFuzzer targets with clang in
# build-fuzz/ and runs each for SECONDS (default 60), or until it has made
# RUNS runs when that comes first, one after the other,
# growing its corpus in build-fuzz/corpus-<target>/ from one campaign to the
# next. Prints a line per target: runs, runs per second, the coverage reached
# (edges and features) and findings, which are kept in build-fuzz/findings/:
# a target that stops on one (a crash on its own corpus too) is reported with
# the crash's first line and its log, and the campaign goes on with the next.
# Exits non-zero when a target found anything.
#   scripts/fuzz.sh [SECONDS [RUNS]]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
runs_limit="${2:--1}"

[ -f build/bin/tiles.bin ] || scripts/setup.sh build
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DDATA_DIR="$PWD/build/bin" >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
mkdir -p build-fuzz/findings

targets=$(cd build-fuzz && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
failed=0
printf '%-22s %12s %10s %8s %8s  %s\n' target runs runs/s edges features findings
for t in $targets; do
  log="build-fuzz/findings/$t.log"
  status=0
  (cd build-fuzz && "./$t" -max_total_time="$seconds" -runs="$runs_limit" -rss_limit_mb=1024 -print_final_stats=1 \
      -artifact_prefix=findings/ "corpus-$t") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  # sed, not grep: a target that crashes on its corpus logs no coverage, and
  # a grep that finds nothing would end the campaign here.
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  found="none"
  if [ "$status" -ne 0 ]; then
    found="$(grep -m1 -E 'ERROR|runtime error|SUMMARY' "$log" || echo "exit $status") (see $log)"
    failed=1
  fi
  printf '%-22s %12s %10s %8s %8s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$found"
done
exit "$failed"
