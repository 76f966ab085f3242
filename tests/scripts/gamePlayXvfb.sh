#!/usr/bin/env bash
# Plays the real game in a window on Xvfb (1280 x 720) from a copy of the
# program directory: xdotool puts the cursor ahead of the hero at shoulder
# height and holds D and the left mouse button, so the hero runs right and
# shoots into what stands in its way; after a few seconds Print Screen takes
# a screenshot, kept as <out-dir>/game-play.png, which must show the hero
# and its hearts (and usually its shots). SIGTERM must then end the game in order.
#   gamePlayXvfb.sh <bin-dir> <pictureColours> <out-dir>
set -u
bin="$1"
picture_colours="$2"
out="$3"
. "$(dirname "$0")/gameOnXvfb.sh"
start_game_on_xvfb "$bin" -720 -win
sleep 1
# 6 pixels per voxel; the camera sits about 9 voxels above the hero's feet,
# so this is a little right of the hero, at its shoulder.
xdotool mousemove --window "$wid" 760 385
sleep 0.2
xdotool keydown d
xdotool mousedown 1
sleep 3
xdotool keydown Print
sleep 0.2
xdotool keyup Print
for _ in $(seq 50); do grep -q 'screenshot captured to' "$work/log" && break; sleep 0.1; done
xdotool mouseup 1
xdotool keyup d
line="$(grep 'screenshot captured to' "$work/log" | tail -n 1)"
[ -n "$line" ] || fail "no screenshot logged"
file="${line#*\'}"
file="${file%%\'*}"
[ "$file" = "$work/program/${file#"$work/program/"}" ] && [ -f "$file" ] || fail "'$file' was not written"
cp "$file" "$out/game-play.png"

counts="$("$picture_colours" "$out/game-play.png")" || fail "can't count the screenshot's colours"
echo "$counts"
count_of() { echo "$counts" | awk -v k="$1" '$1 == k { print $2 }'; }
# At 6 pixels per voxel a heart is about 890 red pixels and the hero about
# 600 violet ones; a hero that a robot has touched blinks for a second, so it
# may be missing when fewer than four hearts show.
# Shots are only in the picture when none has just hit a wall at the gun,
# which depends on the level and the machine's speed: they are reported, not
# required.
echo "shot pixels: $(count_of shot)"
[ "$(count_of hearts)" -gt 1500 ] || fail "no hearts in the picture"
[ "$(count_of hero)" -gt 200 ] || [ "$(count_of hearts)" -lt 3300 ] || fail "no hero in the picture"

stop_game_in_order
echo "PASS"
