#!/usr/bin/env bash
# A level played by keyboard only, in a real X window: a key skips the logo, Down and Return start a game,
# P pauses (the pause screen hides the board) and resumes, another window taking the focus pauses too,
# the arrow keys sweep the cursor over the board with Space on every cell until the level ends, and
# Escape leaves. Screenshots in build/e2e-shots/kb_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
start_xvfb
keep_shots 'kb_*.png'
work=$(mktemp -d)
data=$(data_folder_of "$quz")
lang=fr
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 30) || fail "no game window within 30 s: $(cat "$work/stderr")"
shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

keys() { xdotool key --delay 8 "$@"; }

# The pointer goes to the panel and stays there: from now on only keys.
xdotool mousemove --window "$window" 600 100
sleep 1.5
keys space
sleep 1.5
keys Down Return
sleep 4
shot kb_start
is_shown "$shots/kb_start.png" "$data/$lang/right.png" 480 0 160 480 0.9 || fail "the keyboard did not start a game"

# Pause: the board is hidden behind the pause screen; P again brings it back.
keys p
sleep 0.5
shot kb_pause
is_shown "$shots/kb_pause.png" "$data/$lang/pause.png" 0 0 480 480 0.95 ||
  fail "no pause screen over the board: $(shows "$shots/kb_pause.png" "$data/$lang/pause.png" 0 0 480 480)"
keys p
sleep 0.5
shot kb_resumed
is_shown "$shots/kb_resumed.png" "$data/$lang/pause.png" 0 0 480 480 0.5 && fail "P did not resume"

# Another window taking the input focus pauses the game too; back in the game, P resumes.
xeyes -geometry 60x60+700+500 &
E2E_PIDS+=("$!")
other=""
for _ in $(seq 50); do
  other=$(xdotool search --class xeyes 2>/dev/null | head -1)
  [[ -n $other ]] && break
  sleep 0.1
done
[[ -n $other ]] || fail "no second window to take the focus"
xdotool windowfocus "$other"
sleep 0.7
shot kb_focus_lost
is_shown "$shots/kb_focus_lost.png" "$data/$lang/pause.png" 0 0 480 480 0.95 || fail "losing the focus did not pause"
xdotool windowfocus "$window"
sleep 0.3
keys p
sleep 0.5

# The panel's lives and level: they change once a level has ended and the next one has started.
counters() { /usr/bin/convert "$shots/$1.png" -crop 40x101+544+122 +repage -format "%#" info:; }
start_counters=$(counters kb_start)
# Looks for the next level already under way, or for the level-end message on screen.
level_ended() {
  shot kb_now
  [[ $(counters kb_now) != "$start_counters" ]] && { level_seen="next level"; return 0; }
  for message in loselevel wonlevel; do
    if is_shown "$shots/kb_now.png" "$data/$lang/$message.png" 50 150 380 128; then
      mv "$shots/kb_now.png" "$shots/kb_level_end.png"
      level_seen="$message message"
      return 0
    fi
  done
  return 1
}

# The cursor starts in the middle; to the bottom-left corner, then a snake up the board with Space on
# each cell, a row at a time, looking for the level's end after each row.
keys $(printf 'Left %.0s' $(seq 8)) $(printf 'Down %.0s' $(seq 8))
level_seen=""
score_seen=""
for round in $(seq 1 20); do
  for row in $(seq 14 -1 0); do
    step=Right
    (( row % 2 == 1 )) && step=Left
    keys $(printf "space $step %.0s" $(seq 14)) space Up
    (( row % 5 == 0 )) || continue
    level_ended && break 2
    if [[ -z $score_seen ]]; then
      a=$(/usr/bin/convert "$shots/kb_start.png" -crop 120x28+500+277 +repage -format "%#" info:)
      b=$(/usr/bin/convert "$shots/kb_now.png" -crop 120x28+500+277 +repage -format "%#" info:)
      [[ $a != "$b" ]] && score_seen=1
    fi
  done
  # The snake ends at the top row: back to the bottom-left corner for the next round.
  keys $(printf 'Down Left %.0s' $(seq 15))
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"
done
[[ -n $score_seen ]] || fail "the score never changed under the keyboard"
[[ -n $level_seen ]] || fail "the level did not end after 20 keyboard sweeps"

press_key Escape
sleep 0.5
press_key Escape
sleep 3
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"
[[ -s $work/stderr ]] && fail "unexpected stderr: $(cat "$work/stderr")"
echo "a level played by keyboard ended ($level_seen) in sweep $round; pause shown; shots in $shots"
rm -rf "$work"
