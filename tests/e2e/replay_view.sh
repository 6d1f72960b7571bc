#!/usr/bin/env bash
# `quz --replay` in a real X window: a recorded game (given up on a full board) shown at high speed to its end,
# where its last picture holds: the board's cells and the panel's score on screen are those quz-verify
# computes from the same file. The file is named relative to the folder the game is started from and
# the arguments come in another order than the usage's. Escape ends a replay early; a cut replay is
# refused with a message and status 1, before any window.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
verify=$(dirname "$quz")/tools/verify/quz-verify
replays=$(cd "$(dirname "$0")/../replays" && pwd)
data=$(data_folder_of "$quz")
C=/usr/bin/convert
start_xvfb
keep_shots 'replay_*.png'
work=$(mktemp -d)
mkdir -p "$work/games"
cp "$replays/20-give-up.quzr" "$work/games/game.quzr"

# What the file says the game ends with, re-played headless.
"$verify" --board "$work/games/game.quzr" >"$work/expected" || fail "quz-verify: $(cat "$work/expected")"
score=$(sed -n 's/^score //p' "$work/expected")
board=$(sed -n '/^board$/,+15p' "$work/expected" | tail -n 15 | tr -d '\n')
(( ${#board} == 225 )) || fail "quz-verify printed no board: $(cat "$work/expected")"

(cd "$work" && exec "$quz" --replay-speed=64 --replay games/game.quzr -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no replay window: $(cat "$work/stderr")"
for _ in $(seq 600); do
  grep -q "^Replay over" "$work/stdout" && break
  kill -0 "$game" 2>/dev/null || fail "the viewer ended before the replay's end: $(cat "$work/stderr")"
  sleep 0.1
done
grep -q "^Replay over" "$work/stdout" || fail "the replay did not reach its end in 60 s"
sleep 0.5
import -display "$DISPLAY" -window "$window" "$shots/replay_end.png" 2>/dev/null || fail "screenshot"

# The score: each of its six digits is the digit image of numbers.png (20 by 28 pixels each) there.
digits=$(printf '%06d' "$score")
for i in 0 1 2 3 4 5; do
  d=${digits:i:1}
  $C "$data/numbers.png" -crop "20x28+$((d * 20))+0" +repage "$E2E_MATCH_DIR/digit.png"
  is_shown "$shots/replay_end.png" "$E2E_MATCH_DIR/digit.png" $((500 + 20 * i)) 277 20 28 0.9 ||
    fail "score digit $i is not $d (score $score); shot in $shots/replay_end.png"
done

# The board: each cell by the colour it mostly is (the blocks shimmer); cells quz-verify gives the same
# colour must look alike, cells of different colours unlike, empty cells dark. Bonus blocks are left out.
screen=$($C "$shots/replay_end.png" -crop 480x480+0+0 +repage -scale 15x15 -depth 8 txt:- |
  sed -n 's/^[0-9]*,[0-9]*: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
  awk '{ m = $1; if ($2 > m) m = $2; if ($3 > m) m = $3
         printf "%s", m < 100 ? "k" : ($1 >= $2 && $1 >= $3) ? "r" : ($2 >= $3 ? "g" : "b") }')
(( ${#screen} == 225 )) || fail "the board shot has ${#screen} cells"
wrong=$(awk -v want="$board" -v got="$screen" 'BEGIN {
  split("k r g b", kinds, " ")
  for (i = 1; i <= 225; i++) {
    w = substr(want, i, 1); g = substr(got, i, 1)
    if (w ~ /[DLP]/) continue
    n[w, g]++; seen[w] = 1
  }
  for (w in seen) {
    best = ""; count = -1
    for (k = 1; k <= 4; k++) if (n[w, kinds[k]] > count) { count = n[w, kinds[k]]; best = kinds[k] }
    if ((w == "." && best != "k") || (w != "." && (best == "k" || used[best]++))) bad += count
    for (k = 1; k <= 4; k++) if (kinds[k] != best) bad += n[w, kinds[k]]
  }
  print bad + 0 }')
(( wrong <= 2 )) || fail "$wrong of the board's cells differ from the recorded game's end
want $board
got  $screen"
wait_exit "$game" 10 || fail "the viewer did not quit after the replay's end"
(( EXIT_STATUS == 0 )) || fail "the viewer's status is $EXIT_STATUS"
echo "replay shown to its end: score $score and the board match quz-verify's; quit with status 0"

# Escape ends a replay at once.
(cd "$work" && exec "$quz" -windowed --replay "$work/games/game.quzr") >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no replay window"
sleep 2
press_key Escape
wait_exit "$game" 5 || fail "Escape did not end the replay"
(( EXIT_STATUS == 0 )) || fail "status $EXIT_STATUS after Escape"
echo "Escape ends the replay"

# A game played in the window, with clicks and then given up, is kept in the player's replays folder,
# and quz-verify confirms it.
printf '[Scores]\nServer=off\nSubmit=off\n' >"$work/quz.ini"
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window"
sleep 11
xdotool mousemove --window "$window" 320 270 click 1
sleep 4
for cell in 0 3 6 9 12 14; do
  xdotool mousemove --window "$window" $((cell * 32 + 16)) 464 sleep 0.2 click 1 sleep 0.3
done
press_key Escape
sleep 0.5
press_key Escape
sleep 3
kept=("$XDG_DATA_HOME"/quz/replays/2*.quzr)
[[ -f ${kept[0]} && ${#kept[@]} == 1 ]] || fail "the game left no replay: $(ls -la "$XDG_DATA_HOME/quz/replays" 2>&1)"
[[ -f $XDG_DATA_HOME/quz/replays/best.quzr ]] || fail "no best.quzr"
"$verify" "${kept[0]}" >"$work/verified" || fail "the kept replay does not verify: $(cat "$work/verified")"
echo "a game played in the window is kept and verifies: $(grep -m1 '^score' "$work/verified")"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"

# Refusals come before any window (the dummy driver keeps the error dialog away).
head -c 100 "$work/games/game.quzr" >"$work/games/cut.quzr"
SDL_VIDEODRIVER=dummy timeout -s KILL 20 "$quz" --replay "$work/games/cut.quzr" >"$work/stdout" 2>"$work/stderr"
status=$?
(( status == 1 )) || fail "a cut replay: status $status"
grep -q "cut.quzr: truncated" "$work/stderr" || fail "a cut replay: $(cat "$work/stderr")"
grep -q "Screen" "$work/stdout" && fail "a cut replay opened the window"
echo "a cut replay: '$(head -1 "$work/stderr")'"
rm -rf "$work"
