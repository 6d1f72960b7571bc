#!/usr/bin/env bash
# Start-up failures that leave the player without a window must say why and end with status 1: a video
# mode that cannot be set (no such video driver) and a font library that cannot start (TTF_Init made to
# fail by a preloaded stand-in). Both used to end silently, or with status 0.
set -u
quz=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
shim=$(dirname "$quz")/tests/libquz_fail_ttf_init.so
[[ -f $shim ]] || fail "no $shim"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy timeout -s KILL 20 "$quz" -windowed >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 1 )) || fail "no video mode: status $status"
[[ $(wc -l <"$out/stderr") -eq 1 ]] && grep -q "^Couldn't set the 640x480 video mode: ." "$out/stderr" ||
  fail "no video mode: stderr '$(cat "$out/stderr")'"
echo "no video mode: status 1, '$(cat "$out/stderr")'"

LD_PRELOAD=$shim SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 20 "$quz" -windowed \
  >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 1 )) || fail "TTF_Init failing: status $status"
grep -q "^TTF_Init return: " "$out/stderr" || fail "TTF_Init failing: stderr '$(cat "$out/stderr")'"
echo "TTF_Init failing: status 1, '$(head -1 "$out/stderr")'"
