#!/usr/bin/env bash
# Runs a copy of the game's program directory headless with a shader cache
# built from a copy of the shader sources: it starts; after its source is
# touched, and again with the cache file cut short, the game ends with exit
# code 100 naming the shader. -aa logs the anti-aliasing quality (llvmpipe
# multisamples) and -noaa does not.
#   shaderCacheSmoke.sh BIN_DIR SHADER_TOOL GLSLANG_VALIDATOR SOURCE_DIR
set -u
bin="$1" tool="$2" validator="$3" src="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
cp -r "$bin" "$work/bin"
mkdir -p "$work/shaders"
cp "$src"/assets/shaders/* "$src/device/vertexAttribs.h" "$work/shaders/"
cache="$work/bin/cache/postfx_none.sh.cache"

# Sources two minutes old, the cache one: a touch of a source is newer within any second.
build_cache() {
  touch -d '-2 minutes' "$work/shaders/"*
  "$tool" --glslang "$validator" -I "$work/shaders" "$work/shaders/postfx_none.sh" "$cache" || exit 1
  touch -d '-1 minute' "$cache"
}

# run NAME EXPECTED_CODE SWITCHES...: runs the copy for a second, keeps the log in $work/NAME.log.
run() {
  local name="$1" want="$2"
  shift 2
  timeout --preserve-status -s INT 2 "$work/bin/game" -360 "$@" >"$work/$name.log" 2>&1
  local rc=$?
  if [ "$rc" -ne "$want" ]; then
    cat "$work/$name.log"
    echo "FAIL: $name: exit code $rc, expected $want"
    exit 1
  fi
}

expect_line() {
  grep -q -F -- "$2" "$work/$1.log" || { cat "$work/$1.log"; echo "FAIL: $1: no line '$2'"; exit 1; }
}

refuse_line() {
  ! grep -q -F -- "$2" "$work/$1.log" || { cat "$work/$1.log"; echo "FAIL: $1: unexpected line '$2'"; exit 1; }
}

build_cache
grep -q -F "$work/shaders/postfx_none.sh" "$cache" || { echo "FAIL: the cache does not list its source"; exit 1; }
run fresh 0 -noaa
expect_line fresh "loaded shader 'postfx_none.sh' from cache"
refuse_line fresh "AA quality"

touch "$work/shaders/postfx_none.sh"
run touched 100
expect_line touched "ERROR: can't create shader from cache for 'postfx_none.sh'"
expect_line touched "closed all systems"

build_cache
truncate -s -100 "$cache"
run truncated 100
expect_line truncated "ERROR: can't create shader from cache for 'postfx_none.sh'"

build_cache
run antialiased 0 -aa
expect_line antialiased "AA quality "
expect_line antialiased "init d3d ok (640x360)"
echo "PASS"
