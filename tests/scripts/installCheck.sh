#!/usr/bin/env bash
# Installs the build into a scratch prefix, in folders deeper than the 260
# characters paths once had to fit in, and checks the result: every file
# in place, the desktop entry and metainfo valid (when the validators are
# installed), both programs starting from the PATH links in another working
# directory, finding their data and closing cleanly, and the installed
# launcher's "Visit site" (on Xvfb) opening the installed README.
#   installCheck.sh <build-dir>
set -u
build="$1"
top="$(mktemp -d)"
prefix="$top/$(printf 'deep-folder-%d-xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx/' 1 2 3 4 5)"
mkdir -p "$prefix"
work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$top" "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
dir="$prefix/lib/tarnwick"
for f in game launcher tiles.bin level.pal font.tga hero_body.png hero_arm.png hero_legs0.png hero_legs2.png \
  heart.png robot1.png cache/postfx_none.sh.cache cache/cube.sh.cache; do
  [ -e "$dir/$f" ] || fail "missing $dir/$f"
done
[ -d "$dir/shots" ] || fail "missing $dir/shots"
for link in tarnwick tarnwick-launcher; do
  [ -L "$prefix/bin/$link" ] || fail "missing link $prefix/bin/$link"
done
desktop="$prefix/share/applications/com.oskvelgames.Tarnwick.desktop"
metainfo="$prefix/share/metainfo/com.oskvelgames.Tarnwick.metainfo.xml"
[ -f "$desktop" ] && [ -f "$metainfo" ] || fail "missing desktop entry or metainfo"
ls "$prefix"/share/icons/hicolor/*/apps/com.oskvelgames.Tarnwick.png >/dev/null 2>&1 || fail "missing icon"
[ -f "$prefix/share/doc/tarnwick/README.md" ] || fail "missing README"
# The programs, the metainfo and the manual pages name one version.
version="$("$dir/game" --version)"
version="${version#tarnwick }"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo does not name version $version"
for page in tarnwick tarnwick-launcher; do
  gzip -dc "$prefix/share/man/man6/$page.6.gz" | head -n 1 | grep -qF "\"TARNWICK $version\"" ||
    fail "$page.6 does not name version $version"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
fi
# A cache installed beside the program must not depend on the sources.
for c in "$dir"/cache/*.cache; do
  deps=$(od -An -tu4 -j4 -N4 "$c" | tr -d ' ')
  [ "$deps" = 0 ] || fail "$c lists its sources"
done

cd "$work"
export PATH="$prefix/bin:$PATH"
out="$(timeout --preserve-status -s INT 3 tarnwick -360 2>&1)"
rc=$?
echo "$out" | head -3
[ $rc -eq 0 ] || { echo "$out"; fail "tarnwick exited with $rc"; }
echo "$out" | grep -qF "app path: '$(readlink -f "$dir")/'" || fail "tarnwick did not find its directory"
out="$(timeout --preserve-status -s INT 2 tarnwick-launcher 2>&1)"
rc=$?
[ $rc -eq 0 ] || { echo "$out"; fail "tarnwick-launcher exited with $rc"; }
echo "$out" | grep -qF "closed all systems" || fail "the launcher did not close in order"

# "Visit site" of the installed launcher, in a window.
. "$(dirname "$0")/xvfb.sh"
. "$(dirname "$0")/launcherOnXvfb.sh"
start_xvfb "$work"
start_launcher tarnwick-launcher "$work/config"
click $VISIT
readme="$(opened_file)"
echo "Visit site: $readme"
[ "$readme" = "$(readlink -f "$prefix/share/doc/tarnwick/README.md")" ] || fail "Visit site opened '$readme'"
[ -f "$readme" ] || fail "'$readme' does not exist"
click $QUIT
finish_launcher 0
echo PASS
