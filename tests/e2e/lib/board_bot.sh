# Shared by the e2e scripts that play a whole game by keyboard: a player that looks at the board and
# removes groups with the arrow keys and Space until the name entry shows. Needs lib/xvfb.sh and
# lib/image_match.sh sourced first.

BOT_PICK=$(dirname "${BASH_SOURCE[0]}")/pick_group.awk

# Milliseconds between two key presses. SDL takes a release and a press of the same key that come within
# a few milliseconds of each other for a key held down (the X server's auto-repeat), and drops the press.
BOT_KEY_DELAY=12

# play_until_name_entry WINDOW SECONDS IMAGE...: plays the game in WINDOW until one of the IMAGEs (the
# name entry's message pictures; missing files are skipped) shows at the message's place, at most SECONDS.
# Each round: a screenshot scaled to a pixel a cell, the next few removals pick_group.awk plans from it,
# and for each the cursor moved there and Space, with time for the blocks to fall in between. The cursor
# is brought home (top-left, where the arrows stop) first and whenever a round changed nothing, so a lost
# key press costs a round, never the game. Sets BOT_MOVES; fails when time runs out or the window is gone.
play_until_name_entry() {
  local window=$1 limit=$2
  shift 2
  local images=() image
  for image in "$@"; do [[ -f $image ]] && images+=("$image"); done
  [[ ${#images[@]} -gt 0 ]] || fail "none of the name entry's pictures exists: $*"
  local shot=$E2E_HOME/bot.png plan="" last="" column=0 row=0 homed="" end=$((SECONDS + limit))
  local home=() steps=() to_column to_row
  for _ in $(seq 14); do home+=(Left Up); done
  BOT_MOVES=0
  while ((SECONDS < end)); do
    xwd -silent -id "$window" >"$E2E_HOME/bot.xwd" 2>/dev/null || fail "the game window is gone"
    plan=$(/usr/bin/convert "xwd:$E2E_HOME/bot.xwd" +write "$shot" -crop 480x480+0+0 +repage -scale '15x15!' \
      txt:- | awk -v moves=6 -f "$BOT_PICK")
    if [[ -z $plan || ${plan%%$'\n'*} == "$last" ]]; then
      for image in "${images[@]}"; do
        is_shown "$shot" "$image" 50 150 380 128 && return 0
      done
      last=""
      homed=""
      sleep 0.3
      continue
    fi
    last=${plan%%$'\n'*}
    steps=()
    if [[ -z $homed ]]; then
      steps=(key --delay "$BOT_KEY_DELAY" "${home[@]}")
      column=0
      row=0
      homed=1
    fi
    while read -r to_column to_row; do
      steps+=(key --delay "$BOT_KEY_DELAY")
      # Across and down in turn: fewer presses of one key in a row for SDL to take for a held key.
      while ((column != to_column || row != to_row)); do
        if ((column < to_column)); then steps+=(Right); column=$((column + 1)); fi
        if ((column > to_column)); then steps+=(Left); column=$((column - 1)); fi
        if ((row < to_row)); then steps+=(Down); row=$((row + 1)); fi
        if ((row > to_row)); then steps+=(Up); row=$((row - 1)); fi
      done
      # Time for the blocks to fall and the columns to close, most of the time.
      steps+=(space sleep 0.2)
      BOT_MOVES=$((BOT_MOVES + 1))
    done <<<"$plan"
    xdotool "${steps[@]}"
  done
  fail "no name entry within $limit s ($BOT_MOVES moves)"
}
