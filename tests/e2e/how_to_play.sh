#!/usr/bin/env bash
# The About screen's second page, how to play, in both languages: reached by mouse (About, then a click on
# the credits) and by keyboard (Down to About, Return, Return), each time compared with the generated page,
# and left again by a click and by Escape. Screenshots in build/e2e-shots/howto_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
start_xvfb
keep_shots 'howto_*.png'
data=$(data_folder_of "$quz")

for lang in fr en; do
  work=$(mktemp -d)
  printf '[Game]\nLang=%s\n' "$lang" >"$work/quz.ini"
  (cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
  game=$!
  E2E_PIDS+=("$game")
  window=$(wait_for_window 30) || fail "$lang: no game window"
  shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }
  click_at() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.15; xdotool click 1; sleep 0.4; }
  # The page holds no star and no pointer once the pointer is off it: nearly every pixel is the page's.
  page_shown() { is_shown "$shots/$1.png" "$data/$lang/howto.png" 0 0 600 440 0.99; }

  click_at 600 100  # skips the logo
  sleep 2
  click_at 320 384
  click_at 320 384
  xdotool mousemove --window "$window" 630 470
  sleep 0.3
  shot "howto_${lang}_mouse"
  page_shown "howto_${lang}_mouse" ||
    fail "$lang: a click on the credits did not show the page ($(shows "$shots/howto_${lang}_mouse.png" "$data/$lang/howto.png" 0 0 600 440))"
  click_at 630 470
  shot "howto_${lang}_back"
  page_shown "howto_${lang}_back" && fail "$lang: a click did not leave the page"

  xdotool mousemove --window "$window" 320 100
  sleep 0.3
  press_key Down; press_key Down; press_key Down; press_key Down; press_key Return
  sleep 0.3
  press_key Return
  xdotool mousemove --window "$window" 630 470
  sleep 0.5
  shot "howto_${lang}_keys"
  page_shown "howto_${lang}_keys" || fail "$lang: Return on the credits did not show the page"
  press_key Escape
  sleep 0.4
  shot "howto_${lang}_escape"
  page_shown "howto_${lang}_escape" && fail "$lang: Escape did not leave the page"

  press_key F12
  wait_exit "$game" 5 || fail "$lang: F12 did not end the program"
  [[ -s $work/stderr ]] && fail "$lang: unexpected stderr: $(cat "$work/stderr")"
  rm -rf "$work"
done
echo "how to play reached by mouse and by keys in fr and en; screenshots in $shots"
