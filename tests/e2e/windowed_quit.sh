#!/usr/bin/env bash
# In a real X window: "-windowed" opens a 640 by 480 window with the game's caption, and F12 ends the
# program with status 0 within a second.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
out=$(mktemp -d)
"$quz" -windowed >"$out/stdout" 2>"$out/stderr" &
game=$!
E2E_PIDS+=("$game")

window=$(wait_for_window 10) || fail "no window with the game's caption"
name=$(xdotool getwindowname "$window")
[[ $name == "  -=-  Quz v$QUZ_VERSION  -=-   "* ]] || fail "caption is '$name'"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[[ $geometry == "640x480" ]] || fail "window is $geometry"

# The logo intro (about 9 s) cannot be cut short and reads no keys: F12 counts from the menu on.
sleep 10
xdotool keydown F12
start=$(date +%s%N)
wait_exit "$game" 2 || fail "F12 did not end the program"
xdotool keyup F12
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS; stderr: $(cat "$out/stderr")"
(( elapsed_ms <= 1000 )) || fail "took ${elapsed_ms} ms to quit"
echo "window $geometry, caption ok, quit in ${elapsed_ms} ms with status 0"
rm -rf "$out"
