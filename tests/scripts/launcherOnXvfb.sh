# launcherOnXvfb.sh - sourced by the scripts that work the launcher on Xvfb.
#
# Expects the caller's $work and fail. Gives the button centres in client
# pixels (640 x 480, 16 pixels a unit, see the menu's layout), an xdg-open
# stand-in first on the PATH that writes the address it is given to
# $work/opened, and:
#   start_launcher <program> <config-dir>: runs it in the background (log in
#     $work/log, pid in launcher_pid) and waits for its window (id in wid);
#   click <x> <y>: moves the pointer there in the window and clicks;
#   opened_file: waits for the stand-in and prints the file the opened
#     file:// address names (percent-escapes undone);
#   finish_launcher <rc>: waits for the launcher to end, expects exit code
#     <rc> and the shutdown line in the log.
ANTIALIAS="320 176"
SOUND="320 332"
QUIT="106 406"
PLAY="534 406"
VISIT="320 406"

mkdir -p "$work/path"
printf '#!/bin/sh\necho "$@" >"%s/opened"\n' "$work" >"$work/path/xdg-open"
chmod +x "$work/path/xdg-open"
export PATH="$work/path:$PATH"

launcher_pid=""
start_launcher() {
  export XDG_CONFIG_HOME="$2"
  "$1" >"$work/log" 2>&1 &
  launcher_pid=$!
  wid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! Launcher$' 2>/dev/null | head -n 1)"
  [ -n "$wid" ] || fail "no launcher window"
  sleep 0.5
}
click() {
  xdotool mousemove --window "$wid" $1 $2 click 1
  sleep 0.3
}
opened_file() {
  for _ in $(seq 30); do [ -s "$work/opened" ] && break; sleep 0.1; done
  local address
  address="$(cat "$work/opened" 2>/dev/null)"
  case "$address" in
    file://*) printf '%b\n' "$(echo "${address#file://}" | sed 's/%\([0-9A-F][0-9A-F]\)/\\x\1/g')" ;;
    *) fail "Visit site opened '$address'" ;;
  esac
}
finish_launcher() {
  for _ in $(seq 50); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$launcher_pid"
  local rc=$?
  cat "$work/log"
  [ $rc -eq "$1" ] || fail "exit code $rc, expected $1"
  # A game started by "Play" writes into the same log: the shutdown line need not be the last.
  grep -qx "closed all systems" "$work/log" || fail "no orderly shutdown"
}
