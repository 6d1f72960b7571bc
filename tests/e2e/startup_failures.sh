#!/usr/bin/env bash
# Start-up failures that leave the player without a window must say why and end with status 1: a video
# driver that does not exist, no display at all (neither X11 nor Wayland, as in an SSH session or on a
# text console, where SDL would fall back to a driver that shows nothing and the game would run unseen
# until killed), and a font library that cannot start (TTF_Init made to fail by a preloaded stand-in).
set -u
quz=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
shim=$(dirname "$quz")/tests/libquz_fail_ttf_init.so
[[ -f $shim ]] || fail "no $shim"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy timeout -s KILL 20 "$quz" -windowed >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 1 )) || fail "no video driver: status $status"
[[ $(wc -l <"$out/stderr") -eq 1 ]] && grep -q "^Init Error: ." "$out/stderr" ||
  fail "no video driver: stderr '$(cat "$out/stderr")'"
echo "no video driver: status 1, '$(cat "$out/stderr")'"

# No display: whatever SDL falls back to, the game says it needs one, opens nothing and ends.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$out" SDL_AUDIODRIVER=dummy \
  HOME="$out" XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/share" \
  timeout -s KILL 20 "$quz" -windowed >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 1 )) || fail "no display: status $status"
grep -q "^Quz needs a display: start it in a graphical session (X11 or Wayland)" "$out/stderr" ||
  fail "no display: stderr '$(cat "$out/stderr")'"
echo "no display: status 1, '$(grep '^Quz needs' "$out/stderr")'"
# Asked for by name, a driver that shows nothing is the user's choice (a test, a recording): it runs.
env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$out" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  HOME="$out" XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/share" \
  timeout -s KILL 5 "$quz" -windowed >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 137 )) || fail "the dummy driver asked for by name: status $status, '$(cat "$out/stderr")'"

LD_PRELOAD=$shim SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 20 "$quz" -windowed \
  >"$out/stdout" 2>"$out/stderr"
status=$?
(( status == 1 )) || fail "TTF_Init failing: status $status"
grep -q "^TTF_Init return: " "$out/stderr" || fail "TTF_Init failing: stderr '$(cat "$out/stderr")'"
echo "TTF_Init failing: status 1, '$(head -1 "$out/stderr")'"
