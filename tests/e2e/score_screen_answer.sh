#!/usr/bin/env bash
# The score screen after a name entry, against a real score server of this test's own (quz-scored on
# loopback ports it picks itself, its day set with --today and the game's with QUZ_TODAY): in French a
# normal game played in the window to its name entry ("new high score"), the name typed, then kept for the
# next game; in English the board of the day ("game over", no record claimed), its entry opening with the
# name a previous game kept, which Return alone confirms. Each time the menu must open on the score screen,
# the French one with its new row lit, the English one with no row lit (a daily game takes none), both with
# the game's own line on the card and the server's answer under it, letter for letter as the game's font
# draws them; Return then leaves to the buttons. The two games play at once, each on its own display and
# in its own home folder. Screenshots: build/e2e-shots/answer_<lang>_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
source "$(dirname "$0")/lib/scored.sh"
scored_beside "$quz"
keep_shots 'answer_fr_*.png' 'answer_en_*.png'
data=$(readlink -f "$(data_folder_of "$quz")")
work=$(mktemp -d)
today=$(date -u +%F)

start_scored "$scored" "$work" --today "$today"
server=$SCORED_PID
web=$SCORED_WEB

# The bitmap font's cell of each character, in the order of data/font.png.
cell_of() {
  local glyphs="ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.!*-,:'()/ÉÈÀÇ" c=$1 i
  for ((i = 0; i < ${#glyphs}; i++)); do
    [[ ${glyphs:i:1} == "$c" ]] && { echo "$i"; return; }
  done
  echo -1
}
# Draws TEXT as the game does (16-pixel cells every 12 pixels, black keyed) from FONT into OUT.
render_line() {
  local text=$1 font=$2 out=$3 i cell args=()
  for ((i = 0; i < ${#text}; i++)); do
    cell=$(cell_of "${text:i:1}")
    ((cell < 0)) && continue
    args+=(\( "$font" -crop "16x16+$((cell * 16))+0" +repage -transparent black \) -geometry "+$((12 * i))+0"
           -composite)
  done
  /usr/bin/convert -size "$((12 * ${#text} + 4))x16" xc:black "${args[@]}" -alpha off "$out"
}
# line_shown SHOT TEXT FONT Y: the line is drawn centred at y, as the score screen's card draws it.
line_shown() {
  local shot=$1 text=$2 font=$3 y=$4 width x
  render_line "$text" "$font" "$E2E_MATCH_DIR/line.png"
  width=$((12 * ${#text} + 4))
  x=$(((640 - width) / 2))
  is_shown "$shot" "$E2E_MATCH_DIR/line.png" "$x" "$y" "$width" 16 0.97
}

# One language's game on a display and in a home folder of its own; runs in a subshell of its own.
play_in() {
  local lang=$1 run=$work/$1
  E2E_PIDS=()
  E2E_HOME=$run/home
  E2E_MATCH_DIR=$E2E_HOME/match
  export HOME=$E2E_HOME XDG_DATA_HOME=$E2E_HOME/.local/share XDG_CONFIG_HOME=$E2E_HOME/.config
  mkdir -p "$E2E_MATCH_DIR" "$XDG_DATA_HOME/quz"
  trap e2e_cleanup EXIT
  start_xvfb
  [[ $lang == en ]] && printf 'Anne E2E\n' >"$XDG_DATA_HOME/quz/lastname.txt"  # as a previous game left it
  mkdir -p "$run"
  printf '[Game]\nLang=%s\n[Scores]\nServer=off\nSubmit=http://127.0.0.1:%s\n' "$lang" "$web" >"$run/quz.ini"
  ln -s "$data" "$run/data"
  (cd "$run" && QUZ_TODAY=$today exec "$quz" -windowed) >"$run/stdout" 2>"$run/stderr" &
  game=$!
  E2E_PIDS+=("$game")
  window=$(wait_for_window 30) || fail "$lang: no game window: $(cat "$run/stderr")"
  shot() { import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null || fail "screenshot $1"; }

  sleep 1.5
  press_key space  # the logo
  sleep 2.5
  if [[ $lang == fr ]]; then
    xdotool mousemove --window "$window" 320 270 click 1  # play
    panel=$data/fr/hiscore.png
  else
    xdotool mousemove --window "$window" 320 308 click 1  # the board of the day
    panel=$data/en/entry.png
  fi
  sleep 4
  board_sweep "$window"
  entry=""
  for _ in $(seq 1 80); do
    xdotool "${SWEEP[@]}"
    shot "$run/now.png"
    if is_shown "$run/now.png" "$panel" 50 150 380 128 0.9; then entry=1; break; fi
    kill -0 "$game" 2>/dev/null || fail "$lang: the game ended: $(cat "$run/stderr")"
  done
  [[ -n $entry ]] || fail "$lang: no name entry ($(basename "$panel")) after 80 sweeps"
  xdotool mousemove --window "$window" 600 20  # off the board, out of the pictures' way
  if [[ $lang == fr ]]; then
    xdotool type --delay 80 "Anne E2E"
  fi
  sleep 0.8
  shot "$shots/answer_${lang}_entry.png"
  press_key Return

  # The game fades out (about 1.8 s), the menu fades in (1.3 s) on the score screen; the answer comes
  # whenever the server has verified the game.
  if [[ $lang == fr ]]; then
    answer="VÉRIFIÉ, 1ER SUR 1 AUJOURD'HUI"
  else
    answer="VERIFIED, 1ST OF 1 IN THE DAILY GAME"
  fi
  sleep 3.5
  answered=""
  for _ in $(seq 30); do
    shot "$shots/answer_${lang}_scores.png"
    if line_shown "$shots/answer_${lang}_scores.png" "$answer" "$data/font.png" 221; then answered=1; break; fi
    sleep 0.5
  done
  [[ -n $answered ]] || fail "$lang: no \"$answer\" on the score screen: $(cat "$run/stderr")"
  [[ $(cat "$XDG_DATA_HOME/quz/lastname.txt") == "Anne E2E" ]] || fail "$lang: the name is not kept for the next game"
  final=$shots/answer_${lang}_scores.png
  is_shown "$final" "$data/$lang/bottom.png" 0 251 640 229 0.5 || fail "$lang: not the score screen"
  is_shown "$final" "$data/result.png" 32 190 576 56 0.7 || fail "$lang: no result card"  # the two lines cover some

  if [[ $lang == fr ]]; then
    page=$(curl -sf "http://127.0.0.1:$web/?board=verified&lang=fr") || fail "no page from the server"
    row=$(echo "$page" | grep -o '<td class="name">Anne E2E</td><td class="score">-\?[0-9]*</td><td class="level">[0-9]*')
    [[ -n $row ]] || fail "fr: the verified game is not on the page"
    score=$(echo "$row" | sed 's/.*class="score">\(-\?[0-9]*\)<.*/\1/')
    level=${row##*>}
    # The new row is the first of the table (the default table's scores are 9 to 1), lit.
    is_shown "$final" "$data/scorelit.png" 36 300 588 20 0.6 || fail "fr: the new row is not lit"
  else
    json=$(curl -sf "http://127.0.0.1:$web/api/scores?daily=$today") || fail "no JSON from the server"
    echo "$json" | grep -q '"name":"Anne E2E"' || fail "en: the daily game did not go under the last name: $json"
    found=$(echo "$json" | grep -o '{[^{}]*"name":"Anne E2E"[^{}]*}')
    score=$(echo "$found" | grep -o '"score":-\?[0-9]*' | cut -d: -f2)
    level=$(echo "$found" | grep -o '"level":[0-9]*' | cut -d: -f2)
    is_shown "$final" "$data/scorelit.png" 36 300 588 20 0.6 && fail "en: a daily game lit a row of the table"
  fi
  [[ -n $score && -n $level ]] || fail "$lang: no score or level from the server"
  if [[ $lang == fr ]]; then
    result=$(printf 'VOTRE PARTIE : ANNE E2E  %06d  NIVEAU %d' "$score" "$level")
  else
    result=$(printf 'DAILY GAME: ANNE E2E  %06d  LEVEL %d' "$score" "$level")
  fi
  line_shown "$final" "$result" "$data/fontlit.png" 197 || fail "$lang: the card does not read \"$result\""

  # Return leaves the score screen for the buttons.
  press_key Return
  sleep 0.5
  shot "$shots/answer_${lang}_buttons.png"
  is_shown "$shots/answer_${lang}_buttons.png" "$data/$lang/play.png" 0 251 640 38 0.6 \
    || fail "$lang: Return did not leave the score screen"
  press_key F12
  wait_exit "$game" 5 || fail "$lang: F12 did not end the game"
  grep -q "Score not sent\|refused" "$run/stderr" && fail "$lang: $(cat "$run/stderr")"
  return 0
}

export LC_ALL=C.UTF-8  # the lines hold accented capitals: one character each
play_in fr &
french=$!
sleep 5  # the two starts a little apart: the machine is shared
play_in en &
english=$!
status=0
wait "$french" || { echo "the French game's score screen failed" >&2; status=1; }
wait "$english" || { echo "the English game's score screen failed" >&2; status=1; }
((status == 0)) || exit 1
kill -TERM "$server"
wait_exit "$server" 10 || fail "quz-scored did not stop on SIGTERM"
echo "score screen after the name, fr and en: row lit, own result, the server's answer; shots in $shots"
rm -rf "$work"
