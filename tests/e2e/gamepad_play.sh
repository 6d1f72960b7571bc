#!/usr/bin/env bash
# A virtual gamepad plays a level in a real X window: Down and A on the menu start a game, Start pauses
# (the pause screen hides the board) and resumes, the d-pad sweeps the cursor over the board with A on
# every cell until the level ends, and B on the pause screen gives the game up. The controller is one of
# SDL's virtual ones, plugged in by a preloaded shim that works it from a script this test writes.
# Screenshots in build/e2e-shots/pad_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
start_xvfb
keep_shots 'pad_*.png'
shim=$(dirname "$quz")/tests/libquz_virtual_pad.so
[[ -f $shim ]] || fail "no $shim"
work=$(mktemp -d)
data=$(data_folder_of "$quz")
lang=fr
script=$work/pad
: >"$script"
# Without a window manager no window holds the keyboard focus, and SDL drops a controller's events then.
(cd "$work" && LD_PRELOAD=$shim QUZ_PAD_SCRIPT=$script SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS=1 \
  exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 30) || fail "no game window within 30 s: $(cat "$work/stderr")"
shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

# tap BUTTON...: a press and a release of each, a frame apart; then waits until the game has taken them.
tap() {
  local button
  for button in "$@"; do printf '%s 1\n%s 0\n' "$button" "$button" >>"$script"; done
  local size
  size=$(stat -c %s "$script")
  for _ in $(seq 1200); do
    [[ $(cat "$script.at" 2>/dev/null) == "$size" ]] && return 0
    sleep 0.05
  done
  fail "the game took no pad input for a minute ($(cat "$script.at" 2>/dev/null) of $size bytes)"
}
repeat() { local i; for i in $(seq "$2"); do printf '%s ' "$1"; done; }

# The pointer goes to the panel and stays there: from now on only the pad.
xdotool mousemove --window "$window" 600 100
sleep 11  # the logo intro and the menu's fade-in
tap dpdown a
sleep 4
shot pad_start
is_shown "$shots/pad_start.png" "$data/$lang/right.png" 480 0 160 480 0.9 || fail "the pad did not start a game"

tap start
sleep 0.5
shot pad_pause
is_shown "$shots/pad_pause.png" "$data/$lang/pause.png" 0 0 480 480 0.95 ||
  fail "Start did not pause: $(shows "$shots/pad_pause.png" "$data/$lang/pause.png" 0 0 480 480)"
tap start
sleep 0.5
shot pad_resumed
is_shown "$shots/pad_resumed.png" "$data/$lang/pause.png" 0 0 480 480 0.5 && fail "Start did not resume"

counters() { /usr/bin/convert "$shots/$1.png" -crop 40x101+544+122 +repage -format "%#" info:; }
start_counters=$(counters pad_start)
level_ended() {
  shot pad_now
  # The next level under way: the panel shows, with other lives or another level (not a fade's black).
  if is_shown "$shots/pad_now.png" "$data/$lang/right.png" 480 0 160 60 0.9 &&
    [[ $(counters pad_now) != "$start_counters" ]]; then
    cp "$shots/pad_now.png" "$shots/pad_next_level.png"
    level_seen="next level"
    return 0
  fi
  for message in loselevel wonlevel; do
    if is_shown "$shots/pad_now.png" "$data/$lang/$message.png" 50 150 380 128; then
      mv "$shots/pad_now.png" "$shots/pad_level_end.png"
      level_seen="$message message"
      return 0
    fi
  done
  return 1
}

# The cursor starts in the middle; to the bottom-left corner, then a snake up the board with A on each
# cell, a row at a time, looking for the level's end every few rows.
tap $(repeat dpleft 8) $(repeat dpdown 8)
level_seen=""
score_seen=""
for round in $(seq 1 12); do
  for row in $(seq 14 -1 0); do
    step=dpright
    (( row % 2 == 1 )) && step=dpleft
    tap $(repeat "a $step" 14) a dpup
    (( row % 5 == 0 )) || continue
    level_ended && break 2
    if [[ -z $score_seen ]]; then
      a=$(/usr/bin/convert "$shots/pad_start.png" -crop 120x28+500+277 +repage -format "%#" info:)
      b=$(/usr/bin/convert "$shots/pad_now.png" -crop 120x28+500+277 +repage -format "%#" info:)
      [[ $a != "$b" ]] && score_seen=1
    fi
  done
  tap $(repeat "dpdown dpleft" 15)
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"
done
[[ -n $score_seen ]] || fail "no group was removed: the score never changed under the pad"
[[ -n $level_seen ]] || fail "the level did not end after 12 pad sweeps"

# Once the level's message has gone: Start pauses, B there gives the game up, and the menu comes back.
sleep 6
tap start
sleep 0.5
shot pad_pause_again
is_shown "$shots/pad_pause_again.png" "$data/$lang/pause.png" 0 0 480 480 0.95 || fail "Start did not pause again"
tap b
sleep 4
shot pad_menu
is_shown "$shots/pad_menu.png" "$data/title.png" 0 0 640 251 0.9 || fail "B on the pause screen did not leave the game"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"
[[ -s $work/stderr ]] && fail "unexpected stderr: $(cat "$work/stderr")"
echo "a level played by a virtual gamepad ended ($level_seen) in sweep $round; paused, resumed, given up; shots in $shots"
rm -rf "$work"
