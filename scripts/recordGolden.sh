#!/usr/bin/env bash
# Makes the golden recordings under tests/recordings/ again, with the build in
# build/ (made when missing):
#   robots.rec   playbot on seed 2 for 400 updates: it shoots into walls and
#                destroys robots;
#   upgrade.rec  playbot on seed 6 over two levels: it finishes the first,
#                rides the elevator, buys upgrades on the upgrade screen and
#                plays on into the second;
#   pad.rec      the game on Xvfb played with a virtual pad for 12 seconds:
#                the left stick runs, A jumps, the right stick aims, the
#                trigger fires.
# The test suite replays them to every checkpoint they hold, so they catch
# every change of an update's results. Make them again only when the rules
# version (game/rulesVersion.h) rises, and say in the commit why it rose.
#   scripts/recordGolden.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$root/tests/recordings"

[ -x build/bin/playbot ] || scripts/setup.sh build
cmake --build build -j"$(nproc)" --target game playbot padGame screen_tests >/dev/null
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The bot's recordings; a game that is not finished (the first one never is,
# the second ends in its second level) still leaves a whole recording.
bot() {
  local name="$1"
  shift
  build/bin/playbot "$@" --record "$tmp" >"$tmp/bot.log" 2>&1 || true
  grep -E "^(seed|record)" "$tmp/bot.log"
  grep -q "^recorded" "$tmp/bot.log" || { echo "recordGolden: playbot made no recording"; exit 1; }
  mv "$tmp"/seed*.rec "$out/$name"
}
bot robots.rec --seeds 2 --max-updates 400
bot upgrade.rec --seeds 6 --levels 2 --max-updates 1400
grep -q "^seed 6: NOT finished, 1400 updates" "$tmp/bot.log" ||
  { echo "recordGolden: the bot did not reach the second level of seed 6"; exit 1; }

# The pad's game, in a subshell: the Xvfb helpers clean up on its exit.
(
  . tests/scripts/gameOnXvfb.sh
  mkfifo "$work/pad"
  exec 3<>"$work/pad"
  pad() { echo "$*" >&3; }
  GAME_PROGRAM=build/tests/padGame GAME_INPUT="$work/pad" start_game_on_xvfb build/bin -360 -win -mute -seed 11 \
    -record "$tmp/pad.rec"
  for _ in $(seq 50); do grep -q '^gamepad: ' "$work/log" && break; sleep 0.1; done
  grep -q '^gamepad: ' "$work/log" || fail "the virtual pad was not taken"
  pad axis 0 32767
  pad axis 5 32767
  for aim in "32767 0" "23170 -23170" "23170 23170" "32767 -12000" "0 -32767" "32767 0"; do
    set -- $aim
    pad axis 2 "$1"
    pad axis 3 "$2"
    pad button 0 1
    sleep 0.3
    pad button 0 0
    sleep 1.7
  done
  stop_game_in_order
  grep -E "^(random seed|recorded)" "$work/log"
)
mv "$tmp/pad.rec" "$out/pad.rec"

ls -l "$out"
build/tests/screen_tests --gtest_filter='GoldenRecordings.*' --gtest_brief=1
