#!/usr/bin/env bash
# Runs the game in a real X window on Xvfb (640 x 360) from a copy of the
# program directory and works it with xdotool:
#  - with the pointer in the window, Print Screen (pressed and released)
#    writes shots/shot....png: the level with the crosshair at the pointer;
#  - F1 turns the performance overlay on, and a second screenshot shows it;
#  - SIGTERM ends the game in order with exit code 0 (a background job of a
#    script ignores SIGINT).
# The two screenshots are kept as <out-dir>/xvfb-shot-level.png and
# <out-dir>/xvfb-shot-overlay.png.
#   gameXvfb.sh <bin-dir> <pngPixels> <out-dir>
set -u
bin="$1"
png_pixels="$2"
out="$3"
. "$(dirname "$0")/gameOnXvfb.sh"
start_game_on_xvfb "$bin" -360 -win -novs
# The pointer where the crosshair should be, in client pixels.
MX=400
MY=120
xdotool mousemove --window "$wid" $MX $MY
sleep 1.5

# shoot <name>: Print Screen down and up, then waits for the file's log line.
shoot() {
  local before
  before="$(grep -c 'screenshot captured to' "$work/log")"
  xdotool keydown Print
  sleep 0.2
  xdotool keyup Print
  for _ in $(seq 50); do
    [ "$(grep -c 'screenshot captured to' "$work/log")" -gt "$before" ] && break
    sleep 0.1
  done
  local line
  line="$(grep 'screenshot captured to' "$work/log" | tail -n 1)"
  [ -n "$line" ] && [ "$(grep -c 'screenshot captured to' "$work/log")" -gt "$before" ] || fail "no screenshot logged"
  local file="${line#*\'}"
  file="${file%%\'*}"
  [ -f "$work/program/$file" ] || fail "'$file' was not written"
  cp "$work/program/$file" "$out/$1"
  echo "$file -> $out/$1"
}

shoot xvfb-shot-level.png
# The crosshair's left arm: a white line in the row of the pointer, black above and below.
pixels="$("$png_pixels" "$out/xvfb-shot-level.png" $((MX - 6)),$MY $((MX - 6)),$((MY - 1)) \
  $((MX - 6)),$((MY + 1)) $((MX + 6)),$MY 530,0,640,130)" || fail "can't read the screenshot"
echo "$pixels"
expect() { echo "$pixels" | grep -qx "$1" || fail "expected '$1'"; }
expect "size 640x360"
expect "$((MX - 6)),$MY FFFFFF"
expect "$((MX - 6)),$((MY - 1)) 000000"
expect "$((MX - 6)),$((MY + 1)) 000000"
expect "$((MX + 6)),$MY FFFFFF"
level_white="$(echo "$pixels" | sed -n 's/^530,0,640,130 white=//p')"

# Screenshots are named by the second: the next one must not overwrite this one.
sleep 1.1
xdotool key F1
sleep 0.5
shoot xvfb-shot-overlay.png
pixels="$("$png_pixels" "$out/xvfb-shot-overlay.png" 530,0,640,130 $((MX - 6)),$MY)" || fail "can't read the screenshot"
echo "$pixels"
overlay_white="$(echo "$pixels" | sed -n 's/^530,0,640,130 white=//p')"
# The statistics box's white text in the top right corner.
[ "$overlay_white" -gt $((level_white + 100)) ] || fail "no overlay text ($overlay_white white pixels against $level_white)"
[ "$(ls "$work/program/shots" | wc -l)" -eq 2 ] || fail "expected two screenshot files"

stop_game_in_order
cat "$work/log"
echo "PASS"
