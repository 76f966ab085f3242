#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it without
# installing it into the system: lintian finds no error, every file is
# root's, Depends: names the libraries the programs link, and unpacked with
# dpkg-deb -x into a scratch root it holds exactly the expected files. Then,
# on Xvfb with HOME and XDG_CONFIG_HOME in a scratch folder, the menu
# entry's Exec= command (taken inside the scratch root) starts the launcher,
# "Play" stores the settings under $XDG_CONFIG_HOME and starts the game,
# Print Screen saves a screenshot into the pictures folder, SIGTERM closes
# the game in order, and nothing under the scratch root has changed.
#   packageCheck.sh [build-dir [out-dir]]   (the screenshot is copied to out-dir)
set -u
cd "$(dirname "$0")/../.."
build="${1:-build-package}"
out="${2:-}"
. tests/scripts/gameOnXvfb.sh

deb="$(scripts/package.sh "$build")" || fail "scripts/package.sh"
echo "$deb: $(stat -c %s "$deb") bytes"
lint="$(lintian "$deb" 2>&1)"
echo "lintian: ${lint:-no tags}"
echo "$lint" | grep -q '^E:' && fail "lintian reports errors"
others="$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')"
[ -z "$others" ] || fail "files not owned by root: $others"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libc6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libepoxy0 libpng16-16 zlib1g libx11-6; do
  [[ ", $depends" == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends: lacks $lib"
done

[ "$(dpkg-deb -f "$deb" Recommends)" = "xdg-utils" ] || fail "Recommends: is '$(dpkg-deb -f "$deb" Recommends)'"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
# No file names a folder of the machine that built it.
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
built_in="$(grep -rlF "$source_dir" "$root" 2>/dev/null)"
[ -z "$built_in" ] || fail "the package names the build's folder '$source_dir' in: $built_in"
icons=""
for size in 32 48 64 128 256; do
  icons+="/usr/share/icons/hicolor/${size}x${size}/apps/com.oskvelgames.Tarnwick.png "
done
expected="$(printf '%s\n' /usr/games/tarnwick /usr/games/tarnwick-launcher \
  /usr/lib/tarnwick/{game,launcher,tiles.bin,level.pal,font.tga} \
  /usr/lib/tarnwick/{hero_body,hero_arm,hero_legs0,hero_legs2,heart,robot1}.png \
  /usr/lib/tarnwick/cache/{postfx_none,cube,font,debug_vis}.sh.cache \
  /usr/share/applications/com.oskvelgames.Tarnwick.desktop \
  /usr/share/metainfo/com.oskvelgames.Tarnwick.metainfo.xml $icons \
  /usr/share/man/man6/{tarnwick,tarnwick-launcher}.6.gz \
  /usr/share/doc/tarnwick/{README.md,copyright,changelog.gz} | sort)"
files="$(cd "$root" && find . ! -type d | sed 's/^\.//' | sort)"
[ "$files" = "$expected" ] || fail "the package's files differ from the expected: $(diff <(echo "$expected") <(echo "$files"))"

exec_line="$(grep '^Exec=' "$root/usr/share/applications/com.oskvelgames.Tarnwick.desktop")"
echo "$exec_line"
[ "$exec_line" = "Exec=/usr/games/tarnwick-launcher" ] || fail "the menu entry runs '$exec_line'"
launcher="$root${exec_line#Exec=}"
[ "$(readlink -f "$launcher")" = "$(readlink -f "$root/usr/lib/tarnwick/launcher")" ] || fail "Exec= is not the launcher"

# Everything under the root as it is now, to compare after the run.
snapshot() { (cd "$root" && find . -printf '%p %s %T@ %m\n' | sort); }
before="$(snapshot)"
export HOME="$work/home" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"
. tests/scripts/launcherOnXvfb.sh
start_xvfb "$work"
start_launcher "$launcher" "$work/config"
click $PLAY
gid="$(xdotool search --sync --onlyvisible --name '^TARNWICK! DEMO$' 2>/dev/null | head -n 1)"
[ -n "$gid" ] || fail "Play started no game window"
game_pid="$(xdotool getwindowpid "$gid")"
[ -n "$game_pid" ] || fail "the game window names no process"
finish_launcher 0
launcher_pid=""
settings="$work/config/Oskvel Games/TARNWICK/settings.reg"
[ -s "$settings" ] || fail "no settings in '$settings'"
xdotool windowfocus --sync "$gid" 2>/dev/null
sleep 1
xdotool keydown Print
sleep 0.2
xdotool keyup Print
shots="$HOME/Pictures/TARNWICK/shots"
for _ in $(seq 50); do grep -q 'screenshot captured to' "$work/log" && break; sleep 0.1; done
shot="$(ls "$shots"/shot*.png 2>/dev/null | head -n 1)"
[ -n "$shot" ] || fail "no screenshot in $shots"
echo "screenshot: $shot"
[ -n "$out" ] && cp "$shot" "$out/package-shot.png"
kill -TERM "$game_pid"
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not close"
game_pid=""
[ "$(tail -n 1 "$work/log")" = "closed all systems" ] || fail "no orderly shutdown"
grep -q "app path: '$(readlink -f "$root/usr/lib/tarnwick")/'" "$work/log" || fail "the game did not run from the package"
[ "$(snapshot)" = "$before" ] || fail "the run wrote under the root: $(diff <(echo "$before") <(snapshot))"
echo PASS
