#!/usr/bin/env bash
# The board of the day from the player's keyboard to the page, with a real quz-scored on ports of its own
# (SQLite in a scratch folder) and both taking the same fixed day as today:
#  1. the game, set to send there (Submit=, Server=off), plays the day's board by keyboard to its end
#     (menu: Down, Down, Return; then arrows and Space until the last life is lost), the name is typed and
#     confirmed; the game must reach the server and be verified;
#  2. headless Chromium shows the name, the score and the "verified" mark on the page's board of the day
#     (screenshots at 1200 and 400 px wide in build/e2e-shots/daily_*.png); the replay is not offered
#     while the day lasts;
#  3. the server restarted on the same database once the day's board takes no more games (two days on:
#     the next day still takes late games): the row's replay link (from the page) downloads a file that
#     quz-verify confirms, with the page's score;
#  4. back on the day, the same play with Submit=off and Server=off sends nothing: no game stored, no
#     connection to the server's ports, nor to the build-time submission port (a listener of this test's
#     own).
set -u
quz=$1
build=$(dirname "$quz")
verify=$build/tools/verify/quz-verify
guard=$build/tests/port_guard
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
source "$(dirname "$0")/lib/scored.sh"
source "$(dirname "$0")/lib/board_bot.sh"
scored_beside "$quz"
for tool in "$verify" "$guard"; do [[ -x $tool ]] || fail "$tool is missing"; done
for tool in chromium xwd; do command -v "$tool" >/dev/null || fail "$tool is missing"; done

day=2026-12-24
board_over_day=2026-12-26
work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
data=$(data_folder_of "$quz")
keep_shots 'daily_*.png'
started=$SECONDS

# start_daily_game FOLDER LANG: the game started from FOLDER (its quz.ini there), the day fixed, the logo
# skipped and the day's board chosen by keyboard; sets GAME and WINDOW.
start_daily_game() {
  local folder=$1 lang=$2
  (cd "$folder" && QUZ_TODAY=$day exec "$quz" -windowed) >"$folder/stdout" 2>"$folder/stderr" &
  GAME=$!
  E2E_PIDS+=("$GAME")
  WINDOW=$(wait_for_window 30) || fail "no game window: $(cat "$folder/stderr")"
  # The pointer rests on the panel: from here on only keys.
  xdotool mousemove --window "$WINDOW" 600 100
  sleep 1.5
  press_key space
  sleep 1.5
  xdotool key --delay 150 Down Down Return
  sleep 3.5
  xwd -silent -id "$WINDOW" | /usr/bin/convert xwd:- "$folder/start.png"
  is_shown "$folder/start.png" "$data/$lang/right.png" 480 0 160 480 0.9 ||
    fail "Down, Down, Return did not start a game"
}

# play_and_confirm FOLDER LANG NAME: the game played to its name entry, the box emptied (it may hold the
# last name used, or spaces the last removals typed), NAME typed and confirmed.
play_and_confirm() {
  local folder=$1 lang=$2 name=$3 before=$SECONDS
  play_until_name_entry "$WINDOW" 400 "$data/$lang/entry.png" "$data/$lang/hiscore.png"
  echo "the game ended after $BOT_MOVES moves in $((SECONDS - before)) s"
  cp "$E2E_HOME/bot.png" "$shots/daily_entry_$lang.png"
  local erase=()
  for _ in $(seq 28); do erase+=(BackSpace End); done
  xdotool key --delay 25 "${erase[@]}"
  xdotool type --delay 80 "$name"
  sleep 0.6
  press_key Return
}

# quit_game FOLDER: F12 ends the game with status 0 and nothing unexpected on its error stream.
quit_game() {
  press_key F12
  wait_exit "$GAME" 5 || fail "F12 did not end the game"
  [[ $EXIT_STATUS -eq 0 ]] || fail "the game's exit status $EXIT_STATUS: $(cat "$1/stderr")"
  [[ -s $1/stderr ]] && fail "the game wrote on its error stream: $(cat "$1/stderr")"
  return 0
}

start_xvfb
mkdir -p "$work/server" "$work/sending" "$work/silent"
start_scored "$scored" "$work/server" --today "$day"

# 1. Played and sent.
printf '[Game]\nLang=en\n[Scores]\nSubmit=http://127.0.0.1:%s\nServer=off\n' "$SCORED_WEB" >"$work/sending/quz.ini"
start_daily_game "$work/sending" en
name="Daily E2E $((RANDOM % 9000 + 1000))"
play_and_confirm "$work/sending" en "$name"
json=""
for _ in $(seq 150); do
  json=$(curl -sf "http://127.0.0.1:$SCORED_WEB/api/scores?daily=$day")
  [[ $json == *"\"name\":\"$name\""* ]] && break
  sleep 0.2
done
[[ $json == *"\"name\":\"$name\""* ]] || fail "the game did not reach the server within 30 s: $json
$(cat "$work/server/server.log")
$(cat "$work/sending/stderr")"
# What follows the name once the fade-out is over, for the record.
sleep 4
xwd -silent -id "$WINDOW" | /usr/bin/convert xwd:- "$shots/daily_after_name.png"
[[ $(scored_metric 'quz_games_total{verdict="verified"}') -eq 1 ]] ||
  fail "the server did not count one verified game: $(curl -sf "http://127.0.0.1:$SCORED_WEB/metrics" | grep games)"
quit_game "$work/sending"

# 2. Today's board of the day, as a browser shows it (the page opens on it).
page="http://127.0.0.1:$SCORED_WEB/?lang=en"
chrome "$work" --dump-dom "$page" >"$work/today.html"
row=$(grep -F "<td class=\"name\">$name</td>" "$work/today.html")
[[ -n $row ]] || fail "today's board does not show $name: $(cat "$work/today.html")"
grep -q "<span class=\"day\">$day</span>" "$work/today.html" || fail "the page's board is not the one of $day"
score=$(sed -n 's/.*<td class="score">\([0-9]*\)<\/td>.*/\1/p' <<<"$row")
[[ -n $score ]] || fail "no score in the row of $name: $row"
[[ $row == *"✓ verified"* ]] || fail "the row of $name is not marked verified: $row"
[[ $row == *"/replay"* ]] && fail "the replay is offered while the day is still played: $row"
chrome "$work" --window-size=1200,800 --screenshot="$shots/daily_page_1200.png" "$page" >/dev/null
chrome "$work" --window-size=400,800 --screenshot="$shots/daily_page_400.png" "$page" >/dev/null
for width in 1200 400; do
  [[ $(/usr/bin/identify -format %w "$shots/daily_page_$width.png" 2>/dev/null) == "$width" ]] ||
    fail "no screenshot of the page $width px wide"
done
id=$(grep -o '"id":[0-9]*' <<<"$json" | head -1 | cut -d: -f2)
if [[ -n $id ]]; then
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$SCORED_WEB/api/games/$id/replay")
  [[ $status == 403 ]] || fail "the replay of a day still played answered $status, not 403"
fi

# 3. Once the day's board takes no more games, on the same database: the row's replay link, followed as a
# browser would.
stop_scored "$work/server"
start_scored "$scored" "$work/server" --today "$board_over_day"
page="http://127.0.0.1:$SCORED_WEB/?date=$day&lang=en"
chrome "$work" --dump-dom "$page" >"$work/over.html"
row=$(grep -F "<td class=\"name\">$name</td>" "$work/over.html")
link=$(sed -n 's/.*<a href="\([^"]*\/replay\)".*/\1/p' <<<"$row")
[[ -n $link ]] || fail "no replay link in the row of $name once the day is over: $row"
[[ $link == /* || $link == http* ]] && fail "the replay link is not relative to the page: $link"
chrome "$work" --window-size=400,800 --screenshot="$shots/daily_page_replay_400.png" "$page" >/dev/null
curl -sf -o "$work/daily.quzr" "http://127.0.0.1:$SCORED_WEB/$link" || fail "the replay link $link does not download"
"$verify" "$work/daily.quzr" >"$work/verify.txt" || fail "quz-verify refused the downloaded replay: $(cat "$work/verify.txt")"
grep -qx "score $score" "$work/verify.txt" || fail "the replay does not end on the page's score $score: $(cat "$work/verify.txt")"
stop_scored "$work/server"
start_scored "$scored" "$work/server" --today "$day"

# 4. The same play with both kinds of sending off, on a server that would take it: nothing is stored and
# nothing connects, neither to the server nor to the port the game would send to by default.
default_port=$(sed -n 's|^QUZ_SUBMIT_URL:STRING=https\?://[^/:]*:\([0-9]*\).*|\1|p' "$PWD/CMakeCache.txt")
"$guard" start "$work/guard" "${default_port:-8080}" >/dev/null || fail "the listener did not start"
printf '[Game]\nLang=fr\n[Scores]\nSubmit=off\nServer=off\n' >"$work/silent/quz.ini"
read -r web_before score_before < <(scored_metric quz_web_connections_total quz_score_connections_total)
start_daily_game "$work/silent" fr
play_and_confirm "$work/silent" fr "Silent E2E"
# The sender would have had its go by now (it sends at once); F12 gives a send under way one more second.
sleep 3
quit_game "$work/silent"
read -r web_after score_after < <(scored_metric quz_web_connections_total quz_score_connections_total)
# The read of the counters is itself a web connection.
[[ $((web_after - web_before)) -eq 1 && $score_after -eq $score_before ]] ||
  fail "something connected to the server: web $web_before -> $web_after, score port $score_before -> $score_after"
[[ $(scored_metric 'quz_games_total') -eq 0 ]] || fail "the server received a game"
"$guard" check "$work/guard" || fail "the game connected to the build-time submission port"
rows=$(curl -sf "http://127.0.0.1:$SCORED_WEB/api/scores?daily=$day" | grep -o '"name":' | wc -l)
[[ $rows -eq 1 ]] || fail "the day's board has $rows rows, not 1"
[[ -e $HOME/.local/share/quz/scores.outbox ]] && fail "an outbox was kept with sending off"
stop_scored "$work/server"
echo "the day's board played by keyboard: \"$name\" verified with $score, replay confirmed by quz-verify;" \
  "with sending off nothing was sent; $((SECONDS - started)) s; shots in $shots"
