#!/usr/bin/env bash
# Every program answers --help with its usage and --version with one line
# "NAME VERSION", exit code 0, before it opens anything: with no display to
# open, nothing else may be printed.
#   helpAndVersion.sh BIN_DIR VERSION
set -u
bin="$1"
version="$2"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for entry in game:tarnwick launcher:tarnwick-launcher levelgen:levelgen playbot:playbot; do
  program="${entry%%:*}"
  name="${entry#*:}"
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$bin/$program" -360 --version 2>&1)"
  rc=$?
  [ $rc -eq 0 ] || fail "$program --version: exit code $rc"
  [ "$out" = "$name $version" ] || fail "$program --version printed '$out'"
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$bin/$program" --help 2>&1)"
  rc=$?
  [ $rc -eq 0 ] || fail "$program --help: exit code $rc"
  case "$out" in
    "usage: $name"*) ;;
    *) fail "$program --help printed '$out'" ;;
  esac
  echo "$out" | grep -q "app path" && fail "$program --help started the program"
done
[ $failed -eq 0 ] && echo PASS
exit $failed
