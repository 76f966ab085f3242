#!/usr/bin/env bash
# The paused game at rest, in a 1280 x 720 window on Xvfb: after P the game's
# own processor time over ten seconds (utime + stime of /proc/PID/stat, all
# its threads) must stay under 5% of one core, as it draws only when
# something changes or twice a second and sleeps in between. Measuring
# the game itself, not the machine, keeps the figure honest on a loaded
# machine. P then resumes at once ("resumed"), and the game plays on: a
# screenshot taken after it shows the hearts and the hero undimmed, kept as
# <out-dir>/game-resumed.png. SIGTERM must then end the game in order.
#   gamePausedIdleXvfb.sh <bin-dir> <pictureColours> <out-dir>
set -u
bin="$1"
picture_colours="$2"
out="$3"
. "$(dirname "$0")/gameOnXvfb.sh"

wait_for_log() { # <text>: until the log holds the text
  for _ in $(seq 100); do
    grep -q -- "$1" "$work/log" && return 0
    sleep 0.1
  done
  fail "no '$1' in the log"
}
cpu_ticks() { # the game's user and system time so far, in clock ticks
  # The fields after the command's closing parenthesis: utime is the 12th.
  sed 's/^.*) //' "/proc/$game_pid/stat" | awk '{ print $12 + $13 }'
}

start_game_on_xvfb "$bin" -720 -win
sleep 2 # the hero lands
xdotool key --window "$wid" p
wait_for_log "^paused"
sleep 1
before="$(cpu_ticks)"
start="$(date +%s%N)"
sleep 10
after="$(cpu_ticks)"
end="$(date +%s%N)"
hz="$(getconf CLK_TCK)"
# Percent of one core, in hundredths.
share=$(((after - before) * 100 * 100 * 1000000000 / hz / (end - start)))
printf 'paused: %d.%02d%% of one core over %d ms\n' $((share / 100)) $((share % 100)) \
  $(((end - start) / 1000000))
[ "$share" -lt 500 ] || fail "the paused game took $((share / 100)).$((share % 100))% of a core"

xdotool key --window "$wid" p
wait_for_log "^resumed"
sleep 0.5
xdotool key --window "$wid" Print
wait_for_log "screenshot captured to"
shot="$(grep "screenshot captured to" "$work/log" | tail -n 1 | sed "s/^[^']*'//; s/'.*//")"
counts="$("$picture_colours" "$shot")" || fail "can't count the colours of $shot"
echo "resumed: $(echo "$counts" | tr '\n' ' ')"
count_of() { echo "$counts" | awk -v k="$1" '$1 == k { print $2 }'; }
# Undimmed, the hearts are bright (about 890 pixels each, under 100 in all
# when dimmed). A hero that a robot has touched blinks for a second, so it
# may be missing when fewer than four hearts show.
[ "$(count_of hearts)" -gt 1500 ] || fail "the resumed picture is dimmed ($(count_of hearts) heart pixels)"
[ "$(count_of hero)" -gt 200 ] || [ "$(count_of hearts)" -lt 3300 ] ||
  fail "no undimmed hero after resuming ($(count_of hero) pixels)"
cp "$shot" "$out/game-resumed.png"

stop_game_in_order
echo "PASS"
