#!/usr/bin/env bash
# Plays the real game in a window on Xvfb: xdotool puts the cursor ahead of
# the hero at shoulder height and holds D and the left mouse button for a few
# seconds, so the hero runs right and shoots into what stands in its way.
# The window is read back into <out-dir>/game-play.png, which must show the
# hero, its shots and its hearts; Alt+F4 must then close the game in order.
#   gameXvfb.sh <bin-dir> <xwdToPng> <pictureColours> <out-dir>
set -u
bin="$1"
xwd_to_png="$2"
picture_colours="$3"
out="$4"
work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/log" ] && cat "$work/log"; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
export SDL_VIDEODRIVER=x11
export XDG_CONFIG_HOME="$work/config"

"$bin/game" -720 -win >"$work/log" 2>&1 &
game_pid=$!
wid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! DEMO$' 2>/dev/null | head -n 1)"
[ -n "$wid" ] || fail "no game window"
sleep 1
# 1280 x 720 shows 6 pixels per voxel; the camera sits about 9 voxels above
# the hero's feet, so this is a little right of and at the hero's shoulder.
xdotool mousemove --window "$wid" 760 385
sleep 0.2
xdotool keydown --window "$wid" d
xdotool mousedown --window "$wid" 1
sleep 3
xwd -silent -id "$wid" >"$work/play.xwd" || fail "xwd"
xdotool mouseup --window "$wid" 1
xdotool keyup --window "$wid" d
"$xwd_to_png" "$work/play.xwd" "$out/game-play.png" || fail "can't read the window back"
counts="$("$picture_colours" "$out/game-play.png")" || fail "can't count the picture's colours"
echo "$counts"
count_of() { echo "$counts" | awk -v k="$1" '$1 == k { print $2 }'; }
[ "$(count_of shot)" -gt 20 ] || fail "no shots in the picture"
[ "$(count_of hero)" -gt 500 ] || fail "no hero in the picture"
[ "$(count_of hearts)" -gt 2000 ] || fail "no hearts in the picture"

xdotool key --window "$wid" --clearmodifiers alt+F4
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
wait "$game_pid"
rc=$?
game_pid=""
[ $rc -eq 0 ] || fail "exit code $rc"
[ "$(tail -n 1 "$work/log")" = "closed all systems" ] || fail "no orderly shutdown"
echo "PASS"
