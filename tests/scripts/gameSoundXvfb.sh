#!/usr/bin/env bash
# The game's sound through SDL's disk driver, which writes what the mixer
# plays to a file in real time (16-bit stereo at 22050 Hz):
#  - with -mute the game opens no audio device at all, so no file appears;
#  - played on Xvfb (640 x 360), the hero fires three short bursts (0.4 s of
#    the button held; a frame on a busy machine can take longer than a
#    shorter click) into the floor in front of it, 1.5 s apart. The file's size just before each
#    click marks its moment in the file: before the first all is silence,
#    and within 0.8 s after each there is sound (the shot and its hole).
# sox measures the pieces; the whole recording is kept as <out-dir>/game-sound.wav.
#   gameSoundXvfb.sh <bin-dir> <unused-helper> <out-dir>
set -u
bin="$1"
out="$3"
. "$(dirname "$0")/gameOnXvfb.sh"
command -v sox >/dev/null || fail "sox is not installed (scripts/setup.sh installs it)"

BYTES_PER_SECOND=$((22050 * 4))
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$work/sound.raw"

# Muted: no device, no file, and no "no sound" line either.
XDG_CONFIG_HOME="$work/config-mute" SDL_VIDEODRIVER=offscreen timeout -s INT 2 "$bin/game" -360 -mute \
  >"$work/log" 2>&1
[ ! -e "$SDL_DISKAUDIOFILE" ] || fail "-mute opened the audio device"
grep -q "no sound" "$work/log" && fail "-mute logged a missing device"

start_game_on_xvfb "$bin" -360 -win
for _ in $(seq 50); do [ -s "$SDL_DISKAUDIOFILE" ] && break; sleep 0.1; done
[ -s "$SDL_DISKAUDIOFILE" ] || fail "the disk audio driver wrote nothing"
grep -q "no sound" "$work/log" && fail "the game found no sound device"
sleep 1.5
# 3 pixels per voxel: a little right of the hero and below its feet.
xdotool mousemove --window "$wid" 350 235
sleep 0.3
marks=()
for _ in 1 2 3; do
  marks+=("$(stat -c %s "$SDL_DISKAUDIOFILE")")
  xdotool mousedown 1
  sleep 0.4
  xdotool mouseup 1
  sleep 1.1
done
stop_game_in_order

sox -t raw -r 22050 -e signed -b 16 -c 2 "$SDL_DISKAUDIOFILE" "$out/game-sound.wav" || fail "sox can't read the recording"
seconds() { awk -v b="$1" -v r="$BYTES_PER_SECOND" 'BEGIN { printf "%.3f", b / r }'; }
# The largest magnitude (0 to 1) of <start> <length> seconds of the recording.
loudest() {
  sox "$out/game-sound.wav" -n trim "$1" "$2" stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'
}
first="$(seconds "${marks[0]}")"
before="$(loudest 0 "$first")"
echo "silence before the first shot (0 to $first s): loudest $before"
awk -v v="$before" 'BEGIN { exit !(v == 0) }' || fail "sound before the first shot: $before"
for mark in "${marks[@]}"; do
  at="$(seconds "$mark")"
  level="$(loudest "$at" 0.8)"
  echo "shot at $at s: loudest $level"
  awk -v v="$level" 'BEGIN { exit !(v > 0.05) }' || fail "no sound after the shot at $at s"
done
echo "PASS"
