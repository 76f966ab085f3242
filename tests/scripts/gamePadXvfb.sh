#!/usr/bin/env bash
# Plays the game with SDL's virtual gamepad in a window on Xvfb (1280 x 720):
# padGame runs the game with a pad that this script moves through a FIFO. The
# hero runs right and jumps from the left stick and A and fires with the
# right trigger; then the right stick aims up-left and Print Screen keeps
# <out-dir>/pad-aim.png, whose crosshair must stand up-left. Start pauses:
# <out-dir>/pad-paused.png must be dimmed (no bright hearts) with "PAUSED"
# in white over the pause menu; Start resumes. Focusing another window pauses
# again, and coming back does not resume. SIGTERM must end the game in order.
#   gamePadXvfb.sh <bin-dir> <padGame> <pictureColours> <pngPixels> <out-dir>
set -u
bin="$1"
pad_game="$2"
picture_colours="$3"
png_pixels="$4"
out="$5"
. "$(dirname "$0")/gameOnXvfb.sh"

mkfifo "$work/pad"
exec 3<>"$work/pad"
pad() { echo "$*" >&3; }
# The virtual pad is read as a state once a frame: a press is held a moment.
press() {
  pad button "$1" 1
  sleep 0.2
  pad button "$1" 0
}
logged() { grep -c "^$1\$" "$work/log"; }
wait_for_log() {
  for _ in $(seq 50); do [ "$(logged "$1")" -ge "$2" ] && return 0; sleep 0.1; done
  fail "no $2. '$1' in the log"
}
# Print Screen; the file written is copied to <out-dir>/$1.
screenshot() {
  local before
  before="$(grep -c 'screenshot captured to' "$work/log")"
  xdotool key Print
  for _ in $(seq 50); do
    [ "$(grep -c 'screenshot captured to' "$work/log")" -gt "$before" ] && break
    sleep 0.1
  done
  local line file
  line="$(grep 'screenshot captured to' "$work/log" | tail -n 1)"
  file="${line#*\'}"
  file="${file%%\'*}"
  [ "$(grep -c 'screenshot captured to' "$work/log")" -gt "$before" ] && [ -f "$file" ] ||
    fail "no screenshot for $1"
  cp "$file" "$out/$1"
}

GAME_PROGRAM="$pad_game" GAME_INPUT="$work/pad" start_game_on_xvfb "$bin" -720 -win
for _ in $(seq 50); do grep -q '^gamepad: ' "$work/log" && break; sleep 0.1; done
grep -q '^gamepad: ' "$work/log" || fail "the virtual pad was not taken"
sleep 0.5

# A short run right with a jump and the trigger held, aiming level.
pad axis 2 32767
pad axis 0 32767
pad axis 5 32767
sleep 1
press 0
sleep 1
pad axis 0 0
pad axis 5 0
# Up-left, then the stick let go: the aim stays. The game may read the pad
# between two lines, so the stick comes back in small steps on both axes: a
# state it reads on the way still points up-left, never straight up or left.
pad axis 2 -23170
pad axis 3 -23170
sleep 0.3
for v in 20000 16000 12000 8000 5000 2000 0; do
  pad axis 2 "-$v"
  pad axis 3 "-$v"
done
sleep 0.5
screenshot pad-aim.png
# The crosshair's white arms (four of five pixels at this size) stand in the
# upper left quarter of the view, none in the upper right.
# Pure white pixels of a picture in a rectangle.
white() { "$png_pixels" "$out/$1" "$2" | awk -F'white=' '/white=/ { print $2 }'; }
upper_left="$(white pad-aim.png 0,0,640,360)"
upper_right="$(white pad-aim.png 640,0,1280,360)"
echo "crosshair pixels: upper left $upper_left, upper right $upper_right"
[ "$upper_left" -ge 16 ] && [ "$upper_right" -lt 16 ] || fail "the crosshair is not up-left"

press 6
wait_for_log paused 1
sleep 0.5
screenshot pad-paused.png
counts="$("$picture_colours" "$out/pad-paused.png")" || fail "can't count the paused picture's colours"
hearts="$(echo "$counts" | awk '$1 == "hearts" { print $2 }')"
text="$(white pad-paused.png 400,40,880,150)"
echo "paused: bright heart pixels $hearts, white text pixels $text"
[ "$hearts" -lt 100 ] || fail "the paused picture is not dimmed"
[ "$text" -gt 500 ] || fail "no PAUSED over the pause menu"
press 6
wait_for_log resumed 1

# Another window takes the focus: paused, and still paused when the game's
# window has it again.
xlogo -geometry 100x100+0+0 &
logo_pid=$!
other="$(xdotool search --sync --onlyvisible --class xlogo 2>/dev/null | head -n 1)"
[ -n "$other" ] || fail "no second window"
xdotool windowfocus --sync "$other" 2>/dev/null
wait_for_log paused 2
xdotool windowfocus --sync "$wid" 2>/dev/null
sleep 0.5
[ "$(logged resumed)" -eq 1 ] || fail "resumed without the player"
kill "$logo_pid"

stop_game_in_order
echo "PASS"
