#!/usr/bin/env bash
# In a real X window: SIGTERM during the logo intro, and SIGINT during a game's fade-in (when input is
# ignored), each end the program within a second with status 0. SDL used to turn both into the close
# button's quit event, which these screens drop.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
unset SDL_NO_SIGNAL_HANDLERS
data=$(data_folder_of "$quz")
work=$(mktemp -d)

# ends_within PID SIGNAL: sends the signal and checks the program is gone within a second, status 0.
ends_within() {
  local pid=$1 signal=$2 start elapsed
  start=$(date +%s%N)
  kill -s "$signal" "$pid"
  wait_exit "$pid" 3 || fail "$signal did not end the program; stderr: $(cat "$work/stderr")"
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  (( EXIT_STATUS == 0 )) || fail "$signal: exit status $EXIT_STATUS; stderr: $(cat "$work/stderr")"
  (( elapsed <= 1000 )) || fail "$signal: took ${elapsed} ms"
  echo "$signal: status 0 after ${elapsed} ms"
}

(cd "$data/.." && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
wait_for_window 10 >/dev/null || fail "no game window"
sleep 2
ends_within "$game" TERM

# Without its logo the program goes straight to the menu; Play, then the signal while the game fades in.
cp -r "$data" "$work/data"
rm -f "$work/data/logo.png"
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window"
sleep 2
xdotool mousemove --window "$window" 320 270 click 1
sleep 2.2
ends_within "$game" INT
rm -rf "$work"
