# xvfb.sh - sourced by the tests that run a program in a real X window.
# start_xvfb starts Xvfb on a display the server chooses itself (its files in
# $work, its process id in $xvfb_pid) and points DISPLAY and SDL at it; the
# caller's `fail` reports a server that does not come up.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  export SDL_VIDEODRIVER=x11
}
