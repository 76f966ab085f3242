#!/usr/bin/env bash
# A soak: plays the sanitizer build of the game in a window on Xvfb for
# MINUTES (default 10) with random input on every control (running, jumping,
# aiming and firing, F1, F3, F5, Escape, Print Screen, Alt+Enter, clicks all
# over the window, which reach the upgrade screen's buttons) and samples the
# game's anonymous resident memory every 2 seconds. Fails on a sanitizer
# report, an "ERROR:" line, a crash, a picture that stops changing for 30
# seconds while input arrives, or memory that keeps growing (see the end; a
# soak under 3 minutes is too short to judge it and says so). Prints the
# actions sent and the memory figures it judges. The sanitizer build is made
# in build-asan/ when missing.
#   scripts/soak.sh [MINUTES]
set -uo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-10}"
root="$PWD"

if [ ! -x build-asan/bin/game ]; then
  scripts/setup.sh build-asan -DTARNWICK_SANITIZE=ON -DTARNWICK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
    >/dev/null || exit 1
fi
cmake --build build-asan -j"$(nproc)" --target game shots_dir >/dev/null || exit 1

. tests/scripts/gameOnXvfb.sh
# An hour's log is long: a failure shows its end only.
fail() {
  echo "FAIL: $*"
  tail -n 40 "$work/log" 2>/dev/null
  exit 1
}
export TARNWICK_NO_MSGBOX=1
# By default the quarantine of freed blocks grows to 256 MB and the allocator
# keeps freed pages, so resident memory climbs for many minutes with nothing
# leaking. A small quarantine fills within seconds, and pages handed back at
# once make resident memory follow what the game holds; a use after free is
# still caught until 4 MB of later frees have passed through.
asan_memory="quarantine_size_mb=4:thread_local_quarantine_size_kb=64:allocator_release_to_os_interval_ms=0"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:$asan_memory"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
start_game_on_xvfb build-asan/bin -720 -win

# Anonymous pages only: the shared libraries' file pages come and go with the
# machine's other work.
rss() { awk '/^RssAnon:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null; }
picture() { xwd -root -silent 2>/dev/null | md5sum | cut -d' ' -f1; }
alive() { kill -0 "$game_pid" 2>/dev/null; }

# One random action of a player, lasting about a tenth of a second to two seconds.
# A screenshot holds the sanitizer build up for a second or more; at one
# action in sixteen it took a third of the soak, so it comes as seldom as F3.
actions=0
act() {
  local hold=$((RANDOM % 20 + 1))
  case $((RANDOM % 16)) in
    0 | 1) xdotool keydown d; sleep "0.$hold"; xdotool keyup d ;;
    2) xdotool keydown a; sleep "0.$hold"; xdotool keyup a ;;
    3 | 4) xdotool key space ;;
    5 | 6) xdotool mousemove --window "$wid" $((RANDOM % 1280)) $((RANDOM % 720)) ;;
    7 | 8) xdotool mousedown 1; sleep "0.$hold"; xdotool mouseup 1 ;;
    9) xdotool click --window "$wid" $((RANDOM % 3 == 0 ? 3 : 1)) ;;
    10) xdotool key F1 ;;
    11) [ $((RANDOM % 4)) -eq 0 ] && xdotool key F3 ;;
    12) xdotool key F5; sleep "0.$hold"; xdotool key F5 ;;
    13) [ $((RANDOM % 4)) -eq 0 ] && xdotool key Escape ;;
    14) [ $((RANDOM % 4)) -eq 0 ] && xdotool key Print ;;
    15) [ $((RANDOM % 6)) -eq 0 ] && xdotool key alt+Return ;;
  esac
  actions=$((actions + 1))
}

start=$SECONDS
end=$((start + minutes * 60))
next_sample=$SECONDS
next_picture=$SECONDS
last_picture=""
same=0
: >"$work/memory"
while [ $SECONDS -lt $end ]; do
  alive || fail "the game ended during the soak"
  if [ $SECONDS -ge $next_sample ]; then
    echo "$((SECONDS - start)) $(rss)" >>"$work/memory"
    next_sample=$((next_sample + 2))
  fi
  if [ $SECONDS -ge $next_picture ]; then
    p="$(picture)"
    if [ "$p" = "$last_picture" ]; then same=$((same + 1)); else same=0; fi
    last_picture="$p"
    [ $same -ge 3 ] && fail "the picture did not change for 30 seconds"
    next_picture=$((next_picture + 10))
    # Print Screen fills shots/; keep the copy small.
    find "$work/program/shots" -name '*.png' -mmin +1 -delete 2>/dev/null
  fi
  act
done

kill -TERM "$game_pid"
wait "$game_pid"
status=$?
game_pid=""
grep -E 'ERROR:|runtime error:|Sanitizer' "$work/log" | head -n 5 | while read -r line; do echo "finding: $line"; done
grep -qE 'ERROR:|runtime error:|Sanitizer' "$work/log" && fail "sanitizer report or error line in the log"
[ "$status" -eq 0 ] || fail "the game exited with $status"

echo "soak: $minutes min, $actions actions"

# Memory is judged by its trend after the first minute, in which the
# sanitizer's quarantine and the allocator's caches fill. A frame's
# allocations and a screenshot's buffers come and go within a second or two,
# several MB above what the game keeps, and a busy machine stretches them over
# many samples; a lone sample can also dip a few MB below. So every 20 seconds
# count by their lower quartile, and the least-squares line through those
# fails when it rises faster than the limit. What a clean game holds still
# wanders by some MB with the level, the screen and the allocator's
# fragmentation, which a short soak cannot tell from a leak: the line may rise
# 8 MB over the minutes judged, or 1 MB a minute when that is more.
awk -v warm=60 -v window=20 '
  NF == 2 && $1 >= warm {
    w = int(($1 - warm) / window)
    k = count[w]++
    while (k > 0 && v[w, k - 1] > $2) { v[w, k] = v[w, k - 1]; k-- }
    v[w, k] = $2
    if (w > last) last = w
  }
  END {
    if (!(0 in count) || last < 2 * 60 / window - 1) {
      print "memory: not judged, the soak is shorter than 3 minutes"
      exit 0
    }
    for (w = 0; w <= last; w++) {
      if (!(w in count)) continue
      q = v[w, int((count[w] - 1) / 4)]
      x = (warm + (w + 0.5) * window) / 60
      n++; sx += x; sy += q; sxx += x * x; sxy += x * q
      quartiles = quartiles sprintf(" %.1f", q / 1024)
    }
    slope = (n * sxy - sx * sy) / (n * sxx - sx * sx)
    judged = (last + 1) * window / 60
    limit = 8192 / judged
    if (limit < 1024) limit = 1024
    print "memory (MB), lower quartile of every " window " s after the first minute:" quartiles
    printf "memory trend: %+d KB/min over %g min (limit %d KB/min)\n", slope, judged, limit
    exit (slope > limit)
  }' "$work/memory" || fail "memory keeps growing"
echo "soak: no findings"
