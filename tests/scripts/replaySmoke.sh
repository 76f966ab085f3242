#!/usr/bin/env bash
# One seed, one game, headless: "game -seed 7" twice shows the same first
# level; a game's own recording and one made by playbot replay in the game to
# every checkpoint and to the hash their makers logged, at 640x360 without
# vertical sync and at 1280x720 with it (other frame rates, other windows).
# What a recording can't promise is said and ends non-zero: a damaged
# recording and one made from other level data (tiles.bin rebuilt with one
# voxel of one tile in another shade) are refused with exit code 100; a game
# killed mid-way leaves a recording that plays to its last checkpoint and
# then says it has no end; a recording into a device or file that can't take
# it ends the game non-zero with the reason and never claims it was written.
# Last, a seed that is not a whole number of 64 bits is refused alike by the
# game, levelgen and playbot; -daily is refused with -seed or -replay; and
# none of these runs made anything in the player's data folder.
#   replaySmoke.sh <bin-dir> <levelContent> <source-dir>
set -u
bin="$1"
level_content="$2"
source_dir="$3"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data"
fail() { echo "FAIL: $*"; exit 1; }

# The level map between "final path:" and the end of start-up.
level_map() { sed -n '/^final path:/,/^total start-up time/p' "$1" | grep -v '^total'; }
hash_of() { sed -n 's/^state hash: //p' "$1" | tail -n 1; }
# replay <program-dir> <recording> <switches...>: the game's exit code; its log in $tmp/replay.log.
replay() {
  local program="$1" recording="$2"
  shift 2
  timeout 120 "$program/game" -mute "$@" -replay "$recording" >"$tmp/replay.log" 2>&1
  local rc=$?
  grep -E "^(replay|random seed|state hash|recording|ERROR)" "$tmp/replay.log"
  return $rc
}

timeout --preserve-status -s INT 8 "$bin/game" -360 -mute -seed 7 -record "$tmp/own.rec" >"$tmp/first.log" 2>&1
timeout --preserve-status -s INT 2 "$bin/game" -360 -mute -seed 7 >"$tmp/second.log" 2>&1
grep -qx "random seed: 7" "$tmp/first.log" || fail "no seed line"
[ -n "$(level_map "$tmp/first.log")" ] || fail "no level map"
[ "$(level_map "$tmp/first.log")" = "$(level_map "$tmp/second.log")" ] || fail "seed 7 gave two levels"
own="$(hash_of "$tmp/first.log")"
[ -n "$own" ] || fail "the recording game logged no hash"

"$bin/playbot" --seeds 3 --max-updates 300 --record "$tmp" >"$tmp/bot.log" 2>&1
cat "$tmp/bot.log"
grep -q "^recorded 300 updates into '$tmp/seed3.rec'" "$tmp/bot.log" || fail "playbot recorded no game"
bot="$(hash_of "$tmp/bot.log")"

for run in "own.rec -360 -novs $own" "seed3.rec -360 -novs $bot" "seed3.rec -720 -vs $bot"; do
  set -- $run
  replay "$bin" "$tmp/$1" "$2" "$3"
  rc=$?
  [ $rc -eq 0 ] || fail "replay of $1 ($2 $3) ended with $rc"
  grep -q "^replay ended after" "$tmp/replay.log" || fail "replay of $1 did not run to its end"
  [ "$(hash_of "$tmp/replay.log")" = "$4" ] || fail "replay of $1 ($2 $3) ended in another state than $4"
done

# A bit flipped in the middle of a recording.
cp "$tmp/seed3.rec" "$tmp/bad.rec"
printf '\xff' | dd of="$tmp/bad.rec" bs=1 seek=100 conv=notrunc status=none
replay "$bin" "$tmp/bad.rec" -360
rc=$?
[ $rc -eq 100 ] || fail "a damaged recording ended with $rc"
grep -q "^ERROR: the recording '$tmp/bad.rec' is damaged" "$tmp/replay.log" || fail "no clear message"

# The same game from other level data: wall0 with one voxel of a lighter concrete.
cp -a "$bin" "$tmp/program"
cp -a "$source_dir/assets" "$tmp/assets"
sed -i '0,/^abbcbbbc$/s//abbbbbbc/' "$tmp/assets/tiles/walls.txt"
cmp -s "$tmp/assets/tiles/walls.txt" "$source_dir/assets/tiles/walls.txt" && fail "the tile was not changed"
"$level_content" "$tmp/assets/level.palette" "$tmp/program/level.pal" "$tmp/program/tiles.bin" \
  "$tmp"/assets/tiles/*.txt >/dev/null || fail "levelContent failed"
replay "$tmp/program" "$tmp/seed3.rec" -360
rc=$?
[ $rc -eq 100 ] || fail "a recording of other level data ended with $rc"
grep -qx "ERROR: the recording '$tmp/seed3.rec' was recorded with other level data" "$tmp/replay.log" \
  || fail "no message naming the level data"

# Killed after its second checkpoint (updates 100 and 200 come after 5 and 10 seconds).
"$bin/game" -360 -mute -seed 9 -record "$tmp/killed.rec" >"$tmp/killed.log" 2>&1 &
game=$!
for _ in $(seq 120); do
  [ "$(stat -c %s "$tmp/killed.rec" 2>/dev/null || echo 0)" -gt 4000 ] && break
  sleep 0.25
done
kill -KILL $game
wait $game 2>/dev/null
replay "$bin" "$tmp/killed.rec" -360
rc=$?
[ $rc -ne 0 ] && [ $rc -ne 100 ] || fail "the replay of a killed game's recording ended with $rc"
grep -Eq "^recording ends without its end record; replayed to update [1-9][0-9]*00$" "$tmp/replay.log" \
  || fail "the killed game's recording did not play to a checkpoint"

# Recordings that can't be written: into a device that takes nothing, and
# into a file that stops growing at 4 KB as on a full disk.
"$bin/game" -360 -mute -seed 7 -record /dev/full >"$tmp/full.log" 2>&1
rc=$?
[ $rc -eq 100 ] || fail "-record /dev/full ended with $rc"
grep -qx "ERROR: can't write '/dev/full': No space left on device" "$tmp/full.log" || fail "no reason for /dev/full"
(
  ulimit -f 4
  trap '' XFSZ
  exec timeout --preserve-status -s INT 12 "$bin/game" -360 -mute -seed 7 -record "$tmp/small.rec"
) >"$tmp/small.log" 2>&1
rc=$?
grep -E "^record" "$tmp/small.log"
[ $rc -ne 0 ] || fail "a recording that stopped growing ended with 0"
# A slow build may stop before the file is full: then its end is what can't be written.
grep -Eq "^recording failed: can't (write|finish) '$tmp/small.rec': File too large" "$tmp/small.log" ||
  fail "no reason"
grep -q "^recorded" "$tmp/small.log" && fail "a failed recording was reported as written"

for program in "game -seed" "levelgen --seed" "playbot --seeds"; do
  set -- $program
  for seed in " -5" "99999999999999999999" "x"; do
    "$bin/$1" "$2" "$seed" >"$tmp/seed.log" 2>&1
    rc=$?
    [ $rc -eq 100 ] || fail "$1 $2 '$seed' ended with $rc"
    grep -q "^ERROR: $2 needs .*'$seed'" "$tmp/seed.log" || { cat "$tmp/seed.log"; fail "$1 gave no reason for '$seed'"; }
  done
done
# -daily chooses the seed itself: with -seed or -replay it is refused.
for other in "-seed 5" "-replay $tmp/own.rec"; do
  "$bin/game" -360 -mute -daily $other >"$tmp/daily.log" 2>&1
  rc=$?
  [ $rc -eq 100 ] || fail "-daily $other ended with $rc"
  grep -q "^ERROR: -daily and ${other%% *} can't be used together" "$tmp/daily.log" \
    || { cat "$tmp/daily.log"; fail "-daily $other gave no reason"; }
done
# Replays and playbot keep no best runs: nothing was made in the data folder.
[ ! -e "$tmp/data" ] || fail "a replay or playbot wrote into the data folder: $(find "$tmp/data")"
echo "replays match"
