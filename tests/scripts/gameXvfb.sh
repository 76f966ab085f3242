#!/usr/bin/env bash
# Runs the game in a real X window on Xvfb (640 x 360) from a copy of the
# program directory and works it with xdotool:
#  - over the active window the system's pointer is hidden (the crosshair
#    stands for it); beside the window it shows;
#  - with the pointer in the window, Print Screen (pressed and released)
#    writes shots/shot....png, making shots/: the level with the crosshair at
#    the pointer;
#  - F1 turns the performance overlay on, and a second screenshot shows it;
#  - Alt+Enter without a window manager leaves the window at its size, and
#    the device, so the third screenshot, keeps that size;
#  - SIGTERM ends the game in order with exit code 0 (a background job of a
#    script ignores SIGINT).
# The screenshots are kept as <out-dir>/xvfb-shot-level.png,
# <out-dir>/xvfb-shot-overlay.png and <out-dir>/xvfb-shot-fullscreen.png.
#   gameXvfb.sh <bin-dir> <pngPixels> <out-dir> <xCursor>
set -u
bin="$1"
png_pixels="$2"
out="$3"
x_cursor="$4"
. "$(dirname "$0")/gameOnXvfb.sh"
start_game_on_xvfb "$bin" -360 -win -novs
# The pointer where the crosshair should be, in client pixels.
MX=400
MY=120
xdotool mousemove 2 2
sleep 0.5
cursor="$("$x_cursor")" || fail "can't read the pointer image"
echo "beside the window: $cursor"
[ "${cursor##*opaque=}" -gt 0 ] || fail "the pointer beside the window is invisible"
xdotool mousemove --window "$wid" $MX $MY
sleep 1.5
cursor="$("$x_cursor")" || fail "can't read the pointer image"
echo "over the window: $cursor"
[ "${cursor##*opaque=}" -eq 0 ] || fail "the system pointer shows over the game ($cursor)"

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
  [ "$file" = "$work/program/${file#"$work/program/"}" ] && [ -f "$file" ] || fail "'$file' was not written"
  cp "$file" "$out/$1"
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

# Full screen asked for where no window manager grants it.
sleep 1.1
xdotool key alt+Return
sleep 0.5
grep -q "resized d3d to 640x360 fullscreen" "$work/log" || fail "the device left the window's size"
shoot xvfb-shot-fullscreen.png
"$png_pixels" "$out/xvfb-shot-fullscreen.png" | grep -qx "size 640x360" || fail "the full-screen picture is not 640x360"

stop_game_in_order
cat "$work/log"
echo "PASS"
