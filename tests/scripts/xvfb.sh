# xvfb.sh - sourced by the scripts that run a program in a real X window.
#
# start_xvfb <work-dir>: starts Xvfb (1280 x 800) on a display the server
# chooses itself, sets DISPLAY and SDL_VIDEODRIVER=x11 and leaves the
# server's pid in xvfb_pid; calls fail (the caller's) when it does not start.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || fail "Xvfb did not start: $(cat "$1/xvfb.log")"
  export DISPLAY=":$(cat "$1/display")"
  export SDL_VIDEODRIVER=x11
}
