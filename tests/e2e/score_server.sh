#!/usr/bin/env bash
# The game against a real score server: quz-scored started here on a free loopback port, the real game
# pointed at it by the [Scores] Server setting of the quz.ini in its starting folder, played in an X window
# until its name entry, a name typed and confirmed; the score must then be on the leaderboard, in the JSON
# and on the page as headless Chromium shows it (screenshots in build/e2e-shots/).
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
source "$(dirname "$0")/lib/scored.sh"
scored_beside "$quz"

work=$(mktemp -d)
keep_shots 'score_server_*.png'
start_scored "$scored" "$work"
port=$SCORED_PORT
web=$SCORED_WEB
printf '[Scores]\nServer=127.0.0.1:%s\nSubmit=off\n' "$port" >"$work/quz.ini"

start_xvfb
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 30) || fail "no game window: $(cat "$work/stderr")"
shot() { import -display "$DISPLAY" -window "$window" "$work/$1.png" 2>/dev/null; }

# The logo intro and the menu's fade-in, then the play button.
sleep 11
xdotool mousemove --window "$window" 320 270 click 1
sleep 4

data=$(data_folder_of "$quz")
# The name entry's image is on screen.
entry_shown() { is_shown "$work/now.png" "$data/fr/hiscore.png" 50 150 380 128; }
board_sweep "$window"
entry=""
for _ in $(seq 1 80); do
  xdotool "${SWEEP[@]}"
  shot now || fail "screenshot"
  if entry_shown; then entry=1; break; fi
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"
done
[[ -n $entry ]] || fail "no name entry after 80 sweeps"

name="SRV E2E $((RANDOM % 9000 + 1000))"
xdotool type --delay 80 "$name"
sleep 0.3
press_key Return
# The game sends in the background: give its sender some seconds.
json=""
for _ in $(seq 150); do
  json=$(curl -sf "http://127.0.0.1:$web/api/scores?period=today") || fail "no JSON from the server"
  echo "$json" | grep -q "\"name\":\"$name\"" && break
  sleep 0.1
done
grep -q "Score not sent" "$work/stderr" && fail "the game could not send its score: $(cat "$work/stderr")"
echo "$json" | grep -q "\"name\":\"$name\"" || fail "the name is not in the JSON: $json"
score=$(echo "$json" | sed -n "s/.*\"name\":\"$name\",\"rank\":[0-9]*,\"score\":\\(-\\?[0-9]*\\).*/\\1/p")
[[ -n $score ]] || fail "no score for $name in $json"

url="http://127.0.0.1:$web/?period=today&lang=en"
chrome "$work" --dump-dom "$url" >"$work/dom.html"
grep -q "<td class=\"name\">$name</td><td class=\"score\">$score</td>" "$work/dom.html" \
  || fail "the page does not show $name with $score: $(cat "$work/dom.html")"
chrome "$work" --window-size=1024,700 --screenshot="$shots/score_server_page.png" "$url" >/dev/null
chrome "$work" --window-size=390,844 --screenshot="$shots/score_server_phone.png" "$url" >/dev/null
[[ -s $shots/score_server_page.png && -s $shots/score_server_phone.png ]] || fail "no screenshot of the page"

press_key F12
wait_exit "$game" 5 || fail "F12 did not end the game"
stop_scored "$work"
echo "the game's score for \"$name\" ($score) is in the JSON and on the page; shots in $shots"
rm -rf "$work"
