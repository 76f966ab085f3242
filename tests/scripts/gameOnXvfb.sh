# gameOnXvfb.sh - sourced by the scripts that play the real game on Xvfb.
#
# Gives the caller a scratch directory ($work, removed on exit with the game
# and the X server), fail (prints the reason and the game's log, exits 1) and
# start_game_on_xvfb <bin-dir> <game switches...>: Xvfb started, the program
# directory copied to $work/program without its shots directory (the game
# makes it; the build's stays clean), the game started from the copy with its
# log in $work/log and its pid in game_pid, and its window focused (id in wid);
# GAME_PROGRAM names another program to copy there and start instead of the
# game, GAME_INPUT a file for its standard input;
# stop_game_in_order: SIGTERM must end the game with exit code 0 and its
# log with "closed all systems".
work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -f "$work/log" ] && cat "$work/log"
  exit 1
}

. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

start_game_on_xvfb() {
  local bin="$1"
  shift
  start_xvfb "$work"
  export XDG_CONFIG_HOME="$work/config"
  cp -a "$bin" "$work/program"
  [ -d "$work/program/shots" ] || fail "the build made no shots directory"
  rm -rf "$work/program/shots"
  local program="$work/program/game"
  if [ -n "${GAME_PROGRAM:-}" ]; then
    program="$work/program/$(basename "$GAME_PROGRAM")"
    cp "$GAME_PROGRAM" "$program" || fail "can't copy $GAME_PROGRAM"
  fi
  "$program" "$@" <"${GAME_INPUT:-/dev/null}" >"$work/log" 2>&1 &
  game_pid=$!
  wid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! DEMO$' 2>/dev/null | head -n 1)"
  [ -n "$wid" ] || fail "no game window"
  xdotool windowfocus --sync "$wid" 2>/dev/null
}

stop_game_in_order() {
  kill -TERM "$game_pid"
  wait "$game_pid"
  local rc=$?
  game_pid=""
  [ $rc -eq 0 ] || fail "exit code $rc"
  [ "$(tail -n 1 "$work/log")" = "closed all systems" ] || fail "no orderly shutdown"
}
