#!/usr/bin/env bash
# A whole session in a real X window: the logo, the menu fading in, the score screen, the credits, a
# game started, paused with Escape and left with Escape again, the menu again, and the exit button. Every screen is saved to
# e2e-shots/ in the working directory (the build folder) and checked by regions; the program must end
# with status 0 and only its expected diagnostic lines.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
keep_shots {logo,menu,scores,credits,menu_back,game,menu_again}.png
out=$(mktemp -d)

"$quz" -windowed >"$out/stdout" 2>"$out/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no window with the game's caption"
opened=$(date +%s%N)

# Milliseconds since the window opened.
since_open() { echo $(( ($(date +%s%N) - opened) / 1000000 )); }
wait_until_ms() { local left=$(( $1 - $(since_open) )); (( left > 0 )) && sleep "$(bc <<<"scale=3; $left/1000")"; }

shot() {
  import -display "$DISPLAY" -window "$window" "$shots/$1.png" || fail "no screenshot $1"
  echo "$shots/$1.png"
}
# Mean brightness (0..1) and spread of a region W H X Y of a screenshot.
mean_of() { /usr/bin/convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format "%[fx:mean]" info:; }
spread_of() {
  /usr/bin/convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format "%[fx:standard_deviation]" info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# Fraction of pixels of a region that differ between two screenshots.
changed() {
  /usr/bin/convert "$shots/$1.png" "$shots/$2.png" -crop "$3x$4+$5+$6" +repage -compose difference -composite \
    -colorspace Gray -threshold 8% -format "%[fx:mean]" info:
}
click_at() {
  xdotool mousemove --window "$window" "$1" "$2"; sleep 0.15
  xdotool click 1; sleep 0.2
}

# The logo is revealed from black: about 3.5 s in, most of it shows.
wait_until_ms 3500
shot logo
above "$(mean_of logo 640 480 0 0)" 0.02 || fail "the logo screen is black"

# The intro takes about 9.1 s, then the menu fades in for 1.3 s; the pointer stays off the buttons.
xdotool mousemove --window "$window" 600 100
wait_until_ms 11500
shot menu
above "$(mean_of menu 640 251 0 0)" 0.02 || fail "no title in the menu"
above "$(spread_of menu 640 169 0 251)" 0.02 || fail "no buttons in the menu"

# Scores: nine rows of text at y 302 + 16 i over the score screen's background.
click_at 320 345
sleep 0.5
shot scores
above "$(changed menu scores 640 229 0 251)" 0.2 || fail "the score screen did not replace the buttons"
for i in 0 1 2 3 4 5 6 7 8; do
  y=$((302 + 16 * i))
  above "$(spread_of scores 460 16 140 "$y")" 0.05 || fail "score row $((i + 1)) is empty"
  above "$(spread_of scores 90 16 520 "$y")" 0.05 || fail "score row $((i + 1)) has no score"
done

# A click leaves the scores; band 4 opens the credits; Escape comes back to the buttons.
click_at 320 100
click_at 320 384
sleep 0.5
shot credits
above "$(changed scores credits 640 229 0 251)" 0.2 || fail "the credits did not replace the score screen"
press_key Escape
sleep 0.5
shot menu_back
above "$(changed credits menu_back 640 229 0 251)" 0.2 || fail "Escape did not bring the buttons back"

# Play: the menu fades out (about 1.5 s) and the game starts and fades in.
click_at 320 270
sleep 4
shot game
above "$(mean_of game 640 480 0 0)" 0.02 || fail "the game screen is black"
above "$(changed menu_back game 640 480 0 0)" 0.3 || fail "the game did not replace the menu"

# Escape pauses the game (the board hidden, the run kept); Escape again ends it with a fade-out and a new
# menu fades in.
press_key Escape
sleep 1
shot game_paused
above "$(changed game game_paused 480 480 0 0)" 0.3 || fail "Escape in play did not open the pause screen"
press_key Escape
sleep 4
shot menu_again
above "$(mean_of menu_again 640 251 0 0)" 0.02 || fail "no title in the returning menu"
above "$(changed game menu_again 640 480 0 0)" 0.3 || fail "the menu did not come back after the game"

# Exit: the menu fades out and the program ends.
click_at 320 422
wait_exit "$game" 5 || fail "the exit button did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS; stderr: $(cat "$out/stderr")"
grep -qvx -e "Screen in VRAM" -e "Screen can Flip" "$out/stdout" && fail "unexpected stdout: $(cat "$out/stdout")"
[[ -s $out/stderr ]] && fail "unexpected stderr: $(cat "$out/stderr")"
echo "logo, menu, scores, credits, game, menu, exit: status 0; screenshots in $shots"
rm -rf "$out"
