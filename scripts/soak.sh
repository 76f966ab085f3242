#!/usr/bin/env bash
# A soak: plays the sanitizer build of the game in a window on Xvfb for
# MINUTES (default 10) with random input on every control (running, jumping,
# aiming and firing, F1, F3, F5, Escape, Print Screen, Alt+Enter, clicks all
# over the window, which reach the upgrade screen's buttons) and samples the
# game's resident memory every 10 seconds. Fails on a sanitizer report, an
# "ERROR:" line, a crash, a picture that stops changing for 30 seconds while
# input arrives, or memory that grows by more than 5% from the first half of
# the run to the second. Prints the actions sent and the memory at start,
# maximum and end. The sanitizer build is made in build-asan/ when missing.
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
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
start_game_on_xvfb build-asan/bin -720 -win

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null; }
picture() { xwd -root -silent 2>/dev/null | md5sum | cut -d' ' -f1; }
alive() { kill -0 "$game_pid" 2>/dev/null; }

# One random action of a player, lasting about a tenth of a second to two seconds.
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
    14) xdotool key Print ;;
    15) [ $((RANDOM % 6)) -eq 0 ] && xdotool key alt+Return ;;
  esac
  actions=$((actions + 1))
}

samples=()
end=$((SECONDS + minutes * 60))
next_sample=$SECONDS
last_picture=""
same=0
while [ $SECONDS -lt $end ]; do
  alive || fail "the game ended during the soak"
  if [ $SECONDS -ge $next_sample ]; then
    samples+=("$(rss)")
    p="$(picture)"
    if [ "$p" = "$last_picture" ]; then same=$((same + 1)); else same=0; fi
    last_picture="$p"
    [ $same -ge 3 ] && fail "the picture did not change for 30 seconds"
    next_sample=$((next_sample + 10))
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

n=${#samples[@]}
half=$((n / 2))
first=0
second=0
max=0
for i in "${!samples[@]}"; do
  v=${samples[$i]:-0}
  [ "$v" -gt "$max" ] && max=$v
  if [ "$i" -lt "$half" ]; then first=$((first + v)); else second=$((second + v)); fi
done
echo "soak: $minutes min, $actions actions, $n memory samples"
echo "memory (KB): start ${samples[0]}, max $max, end ${samples[$((n - 1))]}"
if [ "$half" -gt 0 ]; then
  first=$((first / half))
  second=$((second / (n - half)))
  echo "memory (KB): first half average $first, second half average $second"
  [ $((second * 100)) -le $((first * 105)) ] || fail "memory grew by more than 5%"
fi
echo "soak: no findings"
