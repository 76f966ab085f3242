#!/usr/bin/env bash
# Runs the launcher in a real X window on Xvfb and works it with xdotool:
#  - two toggles (anti-aliasing and sound) and "Quit" store the new "flags"
#    and exit 0;
#  - a toggle and Alt+F4 exit 0 and store nothing;
#  - "Visit site" opens the source tree's README (run from the build, with no
#    address configured) through xdg-open (a recording stand-in here) and the
#    launcher stays, leaving no zombie behind;
#  - "Play" in a copy of the program directory starts its game, without
#    arguments, whose window has the game's own class although the launcher
#    set its own for SDL, and exits 0;
#  - "Play" in a copy without the game logs "can't start <path>", still
#    stores the settings and exits 1;
#  - "Quit" that can't store the settings says so in the window and stays;
#    a second "Quit" exits 1.
# The window is read back into <out-dir>/launcher-menu.png and checked.
#   launcherXvfb.sh <bin-dir> <xwdToPng> <out-dir>
set -u
bin="$1"
xwd_to_png="$2"
out="$3"
work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

. "$(dirname "$0")/xvfb.sh"
. "$(dirname "$0")/launcherOnXvfb.sh"
start_xvfb "$work"
flags_of() { grep -o '"flags"=dword:[0-9a-f]*' "$1/Oskvel Games/TARNWICK/settings.reg" 2>/dev/null; }

# Two toggles, then Quit. The picture is taken with the pointer over the first.
config="$work/quit"
start_launcher "$bin/launcher" "$config"
click $ANTIALIAS
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
click $VISIT
readme="$(opened_file)"
[ "$readme" = "$(readlink -f "$(dirname "$0")/../../README.md")" ] || fail "Visit site opened '$readme'"
[ -f "$readme" ] || fail "'$readme' does not exist"
# The launcher reaps its children once per pass of its loop; give a busy
# machine a few seconds before calling a child a zombie.
for _ in $(seq 30); do
  [ -z "$(ps --ppid "$launcher_pid" -o stat= | grep Z)" ] && break
  sleep 0.1
done
kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher left after Visit site"
[ -z "$(ps --ppid "$launcher_pid" -o stat= | grep Z)" ] || fail "a zombie child is left"
click $SOUND
click $QUIT
finish_launcher 0
[ "$(flags_of "$config")" = '"flags"=dword:00000016' ] || fail "Quit stored '$(flags_of "$config")'"

# A toggle, then Alt+F4: nothing is stored.
config="$work/close"
start_launcher "$bin/launcher" "$config"
click $ANTIALIAS
xdotool key --clearmodifiers alt+F4
finish_launcher 0
[ -z "$(flags_of "$config")" ] || fail "closing the window stored '$(flags_of "$config")'"

# Play from a copy of the program directory, started from another directory;
# the game starts windowed (the stored flags) and is ended by the script.
copy="$work/program"
cp -a "$bin" "$copy"
config="$work/play"
(cd / && start_launcher "$copy/launcher" "$config" && click $PLAY && finish_launcher 0) || exit 1
game_wid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! DEMO$' 2>/dev/null | head -n 1)"
[ -n "$game_wid" ] || fail "no game window"
game_pid="$(xdotool getwindowpid "$game_wid")"
[ "$(tr '\0' ' ' </proc/"$game_pid"/cmdline)" = "$copy/game " ] || fail "the game got '$(tr '\0' ' ' </proc/"$game_pid"/cmdline)'"
class="$(xprop -id "$game_wid" WM_CLASS)"
echo "$class"
echo "$class" | grep -q '"TarnwickWindow"' || fail "the game's window class is not its own: $class"
echo "$class" | grep -q 'Launcher' && fail "the game took the launcher's window class: $class"
kill -TERM "$game_pid"
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
game_pid=""
[ "$(flags_of "$config")" = '"flags"=dword:00000004' ] || fail "Play stored '$(flags_of "$config")'"

# Play where there is no game: a message naming it and a failed exit, the
# settings stored all the same.
copy="$work/nogame"
mkdir -p "$copy"
cp "$bin/launcher" "$bin/font.tga" "$copy/"
config="$work/nogame-config"
start_launcher "$copy/launcher" "$config"
click $PLAY
finish_launcher 1
grep -qxF "can't start $copy/game" "$work/log" || fail "no 'can't start $copy/game'"
[ "$(flags_of "$config")" = '"flags"=dword:00000004' ] || fail "Play stored '$(flags_of "$config")'"
# Quit where the settings can't be stored: the window says so and stays; the
# second Quit leaves with a failed exit. Read back into
# <out-dir>/launcher-store-failed.png.
config="$work/blocked"
mkdir -p "$config"
echo "in the way" >"$config/Oskvel Games"
start_launcher "$bin/launcher" "$config"
click $QUIT
kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher left although it could not store the settings"
xwd -silent -id "$wid" >"$work/blocked.xwd" || fail "xwd"
"$xwd_to_png" "$work/blocked.xwd" "$out/launcher-store-failed.png" >/dev/null || fail "can't read the window back"
click $QUIT
finish_launcher 1
grep -q "can't store the settings" "$work/log" || fail "no 'can't store the settings' line"
echo "PASS"
