#!/usr/bin/env bash
# In a real X window: starts a game from the menu, removes groups by clicking over the board until levels
# end, and takes screenshots of the board, the level message and the name entry (build/e2e-shots/). Each
# screen is checked against the images the game draws there. Then the game is started again: the name and
# score typed in the first run are in its score screen, read back from the player's saved table.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
start_xvfb
keep_shots 'game_*.png'
work=$(mktemp -d)
lang=fr
data=$(data_folder_of "$quz")
# Nothing listens on the discard port: the score cannot be sent and must wait in the outbox.
printf '[Scores]\nServer=127.0.0.1:9\nSubmit=off\n' >"$work/quz.ini"
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window"

shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

# Logo intro and the menu's fade-in, then the play button; the game fades in after the menu fades out.
sleep 11
xdotool mousemove --window "$window" 320 270 click 1
sleep 4
shot game_start
is_shown "$shots/game_start.png" "$data/$lang/right.png" 480 0 160 480 0.9 || fail "no game panel: $(shows "$shots/game_start.png" "$data/$lang/right.png" 480 0 160 480)"

# One sweep clicks every cell from the bottom row up; groups fall together, so most sweeps remove many.
# Until a level message has been seen a round sweeps only a third of the board (five rows): the message
# shows for 5 seconds from the click that ended the level, and a whole sweep takes about that long on a
# loaded machine, so a shot after a whole sweep can miss it.
sweep=()
thirds=("" "" "")
for row in $(seq 14 -1 0); do
  for col in $(seq 0 14); do
    click=(mousemove --window "$window" $((col * 32 + 16)) $((row * 32 + 16)) click --delay 1 1 sleep 0.015)
    sweep+=("${click[@]}")
    thirds[(14 - row) / 5]+=" ${click[*]}"
  done
done

level_seen=""
entry_seen=""
for round in $(seq 1 90); do
  if [[ -z $level_seen ]]; then
    # Word splitting of a third is intended: the window id and numbers hold no spaces.
    # shellcheck disable=SC2086
    xdotool ${thirds[$(((round - 1) % 3))]}
  else
    xdotool "${sweep[@]}"
  fi
  shot game_now
  if [[ $round == 1 ]]; then
    cp "$shots/game_now.png" "$shots/game_board.png"
    # The score is no longer 000000: its six digits differ from the start.
    a=$(/usr/bin/convert "$shots/game_start.png" -crop 120x28+500+277 +repage -format "%#" info:)
    b=$(/usr/bin/convert "$shots/game_board.png" -crop 120x28+500+277 +repage -format "%#" info:)
    [[ $a != "$b" ]] || fail "the score did not change after a sweep of clicks"
  fi
  if [[ -z $level_seen ]]; then
    for message in loselevel wonlevel; do
      if is_shown "$shots/game_now.png" "$data/$lang/$message.png" 50 150 380 128; then
        cp "$shots/game_now.png" "$shots/game_level_message.png"
        level_seen=$message
      fi
    done
  fi
  if is_shown "$shots/game_now.png" "$data/$lang/hiscore.png" 50 150 380 128; then
    entry_seen=1
    break
  fi
  is_shown "$shots/game_now.png" "$data/$lang/gameover.png" 50 150 380 128 && fail "game over without a high score"
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"
done
[[ -n $level_seen ]] || fail "no level message seen"
[[ -n $entry_seen ]] || fail "no name entry after 90 rounds of clicks"

# Typing the name: the glyphs appear at (71, 251) in 12-pixel steps.
xdotool type --delay 80 "Quz e2e"
sleep 0.5
shot game_name_entry
font=$data/font.png
/usr/bin/convert "$font" -crop 16x16+$((16 * 16))+0 +repage "$work/glyph_q.png"
is_shown "$shots/game_name_entry.png" "$work/glyph_q.png" 71 251 16 16 || fail "the name's first glyph is not at (71,251)"
press_key Return
sleep 4
kill -0 "$game" 2>/dev/null || fail "the game ended after the name entry: $(cat "$work/stderr")"
shot game_back_in_menu
is_shown "$shots/game_back_in_menu.png" "$data/$lang/right.png" 480 0 160 480 0.9 && fail "still on the game screen"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"

# The saved table has the new entry at rank 1. A score that could not be sent waits in the outbox; one that
# went out (a game that reads its quz.ini elsewhere may find a server on its built-in port) leaves none.
saved=$XDG_DATA_HOME/quz/scores.vek
[[ $(stat -c %s "$saved" 2>/dev/null) == 360 ]] || fail "no saved table of 360 bytes at $saved"
[[ $(head -c 32 "$saved" | tr -d '\0') == "Quz e2e" ]] || fail "rank 1 of the saved table is not the typed name"
score=$(od -An -t d4 -j 32 -N 4 "$saved" | tr -d ' ')
(( score > 1 )) || fail "rank 1 has the score $score"
outbox=$XDG_DATA_HOME/quz/scores.outbox
if [[ -s $work/stderr ]]; then
  [[ $(cat "$work/stderr") == "Score not sent..." ]] || fail "unexpected stderr: $(cat "$work/stderr")"
  grep -q "Quz e2e" "$outbox" || fail "the unsent score is not in the outbox"
else
  [[ ! -e $outbox ]] || fail "the score went out and is still in the outbox"
fi

# The text strip the score screen draws for a row: font cells 16 pixels wide at 12-pixel steps, black
# being the colour key.
text_strip() {
  local text=$1 out=$2 args=() i c cell
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in
      [A-Z]) cell=$(( $(printf '%d' "'$c") - 65 )) ;;
      [a-z]) cell=$(( $(printf '%d' "'$c") - 97 )) ;;
      [0-9]) cell=$(( 26 + c )) ;;
      *) continue ;;
    esac
    /usr/bin/convert "$font" -crop 16x16+$((16 * cell))+0 +repage -transparent black "$work/cell$i.png"
    args+=("$work/cell$i.png" -geometry +$((12 * i))+0 -composite)
  done
  /usr/bin/convert -size $((12 * ${#text} + 4))x16 xc:black "${args[@]}" -alpha off "$out"
}
# Row 1 sways up to 2 pixels either way: the strip must show at one of those offsets.
row_shows() {
  local png=$1 strip=$2 x=$3 w dx
  w=$(/usr/bin/identify -format %w "$strip")
  for dx in -2 -1 0 1 2; do
    is_shown "$png" "$strip" $((x + dx)) 302 "$w" 16 && return 0
  done
  return 1
}

(cd "$work" && exec "$quz" -windowed) >"$work/stdout2" 2>"$work/stderr2" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window on the second start"
# The pointer rests on the scores button: the menu is up once that button shows lit (a loaded machine can
# take far longer than the intro's 9 seconds).
xdotool mousemove --window "$window" 320 345
menu_up=""
for _ in $(seq 60); do
  shot game_second_menu
  is_shown "$shots/game_second_menu.png" "$data/$lang/sscores.png" 0 327 640 38 0.85 && { menu_up=1; break; }
  sleep 1
done
[[ -n $menu_up ]] || fail "no menu on the second start"
text_strip "Quz e2e" "$work/name_strip.png"
text_strip "$(printf '%06d' "$score")" "$work/score_strip.png"
# A click counts once the menu's fade-in is over: click again while the button still shows. The stars rise
# in front of the rows, so a few screenshots are taken; each text must show clear in one of them.
name_seen="" score_seen=""
for attempt in $(seq 10); do
  shot game_saved_scores
  if is_shown "$shots/game_saved_scores.png" "$data/$lang/sscores.png" 0 327 640 38 0.85 ||
    is_shown "$shots/game_saved_scores.png" "$data/$lang/scores.png" 0 327 640 38 0.85; then
    xdotool mousemove --window "$window" 320 345 click 1
    sleep 0.2
    xdotool mousemove --window "$window" 630 10
    sleep 0.6
    continue
  fi
  [[ -z $name_seen ]] && row_shows "$shots/game_saved_scores.png" "$work/name_strip.png" 128 && name_seen=1
  [[ -z $score_seen ]] && row_shows "$shots/game_saved_scores.png" "$work/score_strip.png" 528 && score_seen=1
  [[ -n $name_seen && -n $score_seen ]] && break
  sleep 0.4
done
[[ -n $name_seen ]] || fail "rank 1 of the score screen is not 'Quz e2e'"
[[ -n $score_seen ]] || fail "rank 1 of the score screen does not show $score"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the second run"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS on the second run"
echo "level message: $level_seen; name entry seen; 'Quz e2e' $score saved and shown again; shots in $shots"
rm -rf "$work"
