#!/usr/bin/env bash
# The pause menu of the real game in a window on Xvfb (1280 x 720): P pauses;
# on the options page five clicks on "-" take the volume from 80 to 30, which
# the settings store holds while the menu is still open; on the controls page
# the arrow keys and Enter choose Jump and K becomes its key (stored as
# "controls"); Escape twice resumes. Then W no longer jumps and K does:
# screenshots taken one after another while the hero is still and then
# while it should jump show the hero's violet armour higher on the screen
# only after K (the camera follows a jump with a lag). The last screenshot is
# kept as <out-dir>/game-menu-jump.png. SIGTERM must then end the game in order.
#   gameMenuXvfb.sh <bin-dir> <pictureColours> <out-dir>
set -u
bin="$1"
picture_colours="$2"
out="$3"
. "$(dirname "$0")/gameOnXvfb.sh"
store="$work/config/Oskvel Games/TARNWICK/settings.reg"

wait_for_log() { # <text> <count>: until the log holds the text count times
  for _ in $(seq 100); do
    [ "$(grep -c -- "$1" "$work/log")" -ge "$2" ] && return 0
    sleep 0.1
  done
  fail "no '$1' in the log (wanted $2)"
}
key() {
  xdotool key --window "$wid" "$@"
  sleep 0.15
}

start_game_on_xvfb "$bin" -720 -win
sleep 2 # the hero lands
xdotool mousemove --window "$wid" 760 385
key p
wait_for_log "^paused" 1
key Down Return # Options
# "-" of the volume row: eleven units from the left of the 40-unit grid (24
# pixels a unit, the grid centred), 20.25 units from the top.
for _ in 1 2 3 4 5; do
  xdotool mousemove --window "$wid" 462 510 click 1
  sleep 0.15
done
grep -qx '"volume"=dword:0000001e' "$store" || fail "the store holds no volume 30: $(cat "$store" 2>&1)"
key Escape Down Down Return Down Down Return k # Controls, Jump, K
grep -q '^"controls"=".*jump=75' "$store" || fail "the store holds no jump on K: $(cat "$store")"
key Escape Escape
wait_for_log "^resumed" 1
sleep 1

# Screenshots taken one after another after pressing the key: Print Screen
# a tenth of a second apart until four pictures are saved, or thirty times
# on a slow (sanitizer) build (presses that come while a picture is still
# being saved make one picture). Leaves in `rows` the mean row of
# the hero's armour in each, where the hero shows (a robot's touch makes it
# blink), and keeps the last picture.
hero_rows_after() {
  local before after file counts
  before="$(grep -c "screenshot captured to" "$work/log")"
  xdotool keydown --window "$wid" "$1"
  for _ in $(seq 30); do
    xdotool key --window "$wid" Print
    sleep 0.1
    [ $(($(grep -c "screenshot captured to" "$work/log") - before)) -ge 4 ] && break
  done
  xdotool keyup --window "$wid" "$1"
  sleep 1
  after="$(grep -c "screenshot captured to" "$work/log")"
  [ $((after - before)) -ge 3 ] || fail "only $((after - before)) screenshots after $1"
  rows=""
  while read -r file; do
    counts="$("$picture_colours" "$file")" || fail "can't count the colours of $file"
    if [ "$(echo "$counts" | awk '$1 == "hero" { print $2 }')" -gt 200 ]; then
      rows="$rows $(echo "$counts" | awk '$1 == "hero_y" { print $2 }')"
    fi
    last="$file"
  done < <(grep "screenshot captured to" "$work/log" | tail -n $((after - before)) | sed "s/^[^']*'//; s/'.*//")
  [ -n "$rows" ] || fail "no hero in the screenshots after $1"
}
hero_rows_after w
still="$rows"
sleep 1.5
hero_rows_after k
jump="$rows"
echo "hero rows after W:$still"
echo "hero rows after K:$jump"
lowest() { echo "$1" | tr ' ' '\n' | sed '/^$/d' | sort -n | tail -n 1; }
highest() { echo "$1" | tr ' ' '\n' | sed '/^$/d' | sort -n | head -n 1; }
rest="$(highest "$still")"
rest_low="$(lowest "$still")"
top="$(highest "$jump")"
[ $((rest_low - rest)) -le 6 ] || fail "W still moves the hero (rows $rest to $rest_low)"
[ $((rest - top)) -ge 12 ] || fail "K did not lift the hero (row $rest at rest, $top after K)"
cp "$last" "$out/game-menu-jump.png"

stop_game_in_order
echo "PASS"
