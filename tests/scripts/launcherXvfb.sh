#!/usr/bin/env bash
# Runs the launcher in a real X window on Xvfb and works it with xdotool at the
# positions where its menu lays out the buttons (640 x 480, 16 pixels a unit):
#  - two toggles (anti-aliasing and sound) and "Quit" store the new "flags"
#    and exit 0;
#  - a toggle and Alt+F4 exit 0 and store nothing;
#  - "Visit site" opens the page through xdg-open (a recording stand-in here)
#    and the launcher stays, leaving no zombie behind;
#  - "Play" in a copy of the program directory starts its "game" (a script
#    here) without arguments and exits 0.
# The window is read back into <out-dir>/launcher-menu.png and checked.
#   launcherXvfb.sh <bin-dir> <xwdToPng> <out-dir>
set -u
bin="$1"
xwd_to_png="$2"
out="$3"
work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

. "$(dirname "$0")/xvfb.sh"
start_xvfb "$work"

# Button centres in client pixels (see the menu's layout).
ANTIALIAS="320 176"
SOUND="320 332"
QUIT="106 406"
PLAY="534 406"
VISIT="320 406"

# xdg-open stands in for the desktop's page opener.
mkdir -p "$work/path"
printf '#!/bin/sh\necho "$@" >"%s/opened"\n' "$work" >"$work/path/xdg-open"
chmod +x "$work/path/xdg-open"
export PATH="$work/path:$PATH"

launcher_pid=""
# start <program> <config-dir>: runs it in the background and waits for its window.
start() {
  export XDG_CONFIG_HOME="$2"
  "$1" >"$work/log" 2>&1 &
  launcher_pid=$!
  wid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! Launcher$' 2>/dev/null | head -n 1)"
  [ -n "$wid" ] || fail "no launcher window"
  sleep 0.5
}
click() {
  xdotool mousemove --window "$wid" $1 click 1
  sleep 0.3
}
# finish: waits for the launcher to end, expects exit code 0 and the shutdown log.
finish() {
  for _ in $(seq 50); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$launcher_pid"
  rc=$?
  cat "$work/log"
  [ $rc -eq 0 ] || fail "exit code $rc"
  [ "$(tail -n 1 "$work/log")" = "closed all systems" ] || fail "no orderly shutdown"
}
flags_of() { grep -o '"flags"=dword:[0-9a-f]*' "$1/Oskvel Games/TARNWICK/settings.reg" 2>/dev/null; }

# Two toggles, then Quit. The picture is taken with the pointer over the first.
config="$work/quit"
start "$bin/launcher" "$config"
click "$ANTIALIAS"
# The menu shows the hover at its next update; on a busy machine that can be
# later than the click's pause, so the picture is taken again until it does.
read_menu() {
  xwd -silent -id "$wid" >"$work/menu.xwd" || fail "xwd"
  pixels="$("$xwd_to_png" "$work/menu.xwd" "$out/launcher-menu.png" 2,2 130,26 320,161 320,317 106,406 534,406)" ||
    fail "can't read the window back"
}
for _ in $(seq 10); do
  read_menu
  echo "$pixels" | grep -qx "320,161 646464" && break
  sleep 0.3
done
echo "$pixels"
expect_pixel() { echo "$pixels" | grep -qx "$1 $2" || fail "pixel $1 is not $2"; }
expect_pixel 2,2 101010     # the root's background fills the window
expect_pixel 130,26 FFF001  # the yellow title (the packed blend rounds the falling blue up by one)
expect_pixel 320,161 646464 # the toggle under the pointer shows its hover look
expect_pixel 320,317 323232 # the fifth toggle, sound, in its normal look
expect_pixel 106,406 323232 # Quit and Play in their normal look
expect_pixel 534,406 323232
click "$VISIT"
for _ in $(seq 30); do [ -s "$work/opened" ] && break; sleep 0.1; done
grep -q '^file://.*README' "$work/opened" || fail "Visit site opened '$(cat "$work/opened" 2>/dev/null)'"
# The launcher reaps its children once per pass of its loop; give a busy
# machine a few seconds before calling a child a zombie.
for _ in $(seq 30); do
  [ -z "$(ps --ppid "$launcher_pid" -o stat= | grep Z)" ] && break
  sleep 0.1
done
kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher left after Visit site"
[ -z "$(ps --ppid "$launcher_pid" -o stat= | grep Z)" ] || fail "a zombie child is left"
click "$SOUND"
click "$QUIT"
finish
[ "$(flags_of "$config")" = '"flags"=dword:00000016' ] || fail "Quit stored '$(flags_of "$config")'"

# A toggle, then Alt+F4: nothing is stored.
config="$work/close"
start "$bin/launcher" "$config"
click "$ANTIALIAS"
xdotool key --clearmodifiers alt+F4
finish
[ -z "$(flags_of "$config")" ] || fail "closing the window stored '$(flags_of "$config")'"

# Play from a copy of the program directory whose game records its arguments.
copy="$work/program"
mkdir -p "$copy"
cp "$bin/launcher" "$bin/font.tga" "$copy/"
printf '#!/bin/sh\necho "$#" >"$(dirname "$0")/game-args"\n' >"$copy/game"
chmod +x "$copy/game"
config="$work/play"
(cd / && start "$copy/launcher" "$config" && click "$PLAY" && finish) || exit 1
for _ in $(seq 30); do [ -s "$copy/game-args" ] && break; sleep 0.1; done
[ "$(cat "$copy/game-args" 2>/dev/null)" = "0" ] || fail "the game was not started without arguments"
[ "$(flags_of "$config")" = '"flags"=dword:00000004' ] || fail "Play stored '$(flags_of "$config")'"
echo "PASS"
