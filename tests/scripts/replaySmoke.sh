#!/usr/bin/env bash
# One seed, one game, headless: "game -seed 7" twice shows the same first
# level; a game's own recording and one made by playbot replay in the game to
# the hash their makers logged, at 640x360 without vertical sync and at
# 1280x720 with it (other frame rates, other windows); a damaged recording
# ends the game with its message and exit code 100.
set -u
bin="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME="$tmp/config"
fail() { echo "FAIL: $*"; exit 1; }

# The level map between "final path:" and the end of start-up.
level_map() { sed -n '/^final path:/,/^total start-up time/p' "$1" | grep -v '^total'; }
hash_of() { sed -n 's/^state hash: //p' "$1" | tail -n 1; }

timeout --preserve-status -s INT 4 "$bin/game" -360 -seed 7 -record "$tmp/own.rec" >"$tmp/first.log" 2>&1
timeout --preserve-status -s INT 2 "$bin/game" -360 -seed 7 >"$tmp/second.log" 2>&1
grep -qx "random seed: 7" "$tmp/first.log" || fail "no seed line"
[ -n "$(level_map "$tmp/first.log")" ] || fail "no level map"
[ "$(level_map "$tmp/first.log")" = "$(level_map "$tmp/second.log")" ] || fail "seed 7 gave two levels"
own="$(hash_of "$tmp/first.log")"
[ -n "$own" ] || fail "the recording game logged no hash"

"$bin/playbot" --seeds 3 --max-updates 300 --record "$tmp" >"$tmp/bot.log" 2>&1 || true
cat "$tmp/bot.log"
bot="$(sed -n 's/^recorded seed3.rec: state hash: //p' "$tmp/bot.log")"
[ -n "$bot" ] || fail "playbot logged no hash"

for run in "own.rec -360 -novs $own" "seed3.rec -360 -novs $bot" "seed3.rec -720 -vs $bot"; do
  set -- $run
  timeout 120 "$bin/game" "$2" "$3" -replay "$tmp/$1" >"$tmp/replay.log" 2>&1
  rc=$?
  grep -E "^(replay|random seed|state hash)" "$tmp/replay.log"
  [ $rc -eq 0 ] || fail "replay of $1 ($2 $3) ended with $rc"
  grep -q "^replay ended after" "$tmp/replay.log" || fail "replay of $1 did not run to its end"
  [ "$(hash_of "$tmp/replay.log")" = "$4" ] || fail "replay of $1 ($2 $3) ended in another state than $4"
done

# A bit flipped in the middle of a recording.
cp "$tmp/seed3.rec" "$tmp/bad.rec"
printf '\xff' | dd of="$tmp/bad.rec" bs=1 seek=100 conv=notrunc status=none
"$bin/game" -360 -replay "$tmp/bad.rec" >"$tmp/bad.log" 2>&1
rc=$?
cat "$tmp/bad.log"
[ $rc -eq 100 ] || fail "a damaged recording ended with $rc"
grep -q "^ERROR: the recording '$tmp/bad.rec' is damaged" "$tmp/bad.log" || fail "no clear message"
echo "replays match"
