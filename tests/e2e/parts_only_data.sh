#!/usr/bin/env bash
# A data folder that holds only the files the game cannot do without (no pause picture, no icon, no
# how-to-play pages) still plays: a game starts, clicks remove groups, P pauses with the board hidden
# behind a plain cover, and the only word on stderr is the one line about the pause picture. Then a
# language with its pictures but no text file (Lang=xx): "language file not found", and its own menu.
# Then, with a window manager, the window loses the focus (the game pauses) and one click on it resumes.
# Screenshots in build/e2e-shots/parts_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
start_xvfb
start_window_manager
keep_shots 'parts_*.png'
work=$(mktemp -d)
data=$(data_folder_of "$quz")
cp -r "$data" "$work/data"
rm -f "$work"/data/*/pause.png "$work"/data/*/howto*.png "$work/data/icon.bmp" "$work/data/.stamp"
# Lang=xx: the English pictures under another name, and no text_xx.txt.
cp -r "$work/data/en" "$work/data/xx"

start_game() {
  (cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
  game=$!
  E2E_PIDS+=("$game")
  window=$(wait_for_window 30) || fail "no game window: $(cat "$work/stderr")"
}
shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }
# How much of the board area is one colour (0..1): the plain cover is, a board of blocks is not.
plain_share() {
  /usr/bin/convert "$shots/$1.png" -crop 480x480+0+0 +repage -fill black -fuzz 3% \
    -opaque "$(/usr/bin/convert "$shots/$1.png" -format '%[pixel:p{5,5}]' info:)" -fill white +opaque black \
    -colorspace gray -negate -format '%[fx:mean]' info:
}
quit_game() {
  press_key F12
  wait_exit "$game" 5 || fail "F12 did not end the program"
  [[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS: $(cat "$work/stderr")"
}

printf '[Game]\nLang=fr\n' >"$work/quz.ini"
start_game
xdotool mousemove --window "$window" 600 100 click 1  # skips the logo
sleep 2
xdotool mousemove --window "$window" 320 270 click 1
sleep 3
shot parts_game
is_shown "$shots/parts_game.png" "$work/data/fr/right.png" 480 0 160 480 0.9 || fail "no game from the plain data folder: $(cat "$work/stderr")"
for cell in $(seq 0 14); do
  xdotool mousemove --window "$window" $((cell * 32 + 16)) 464 click 1 sleep 0.05
done
press_key p
sleep 0.5
shot parts_paused
share=$(plain_share parts_paused)
awk -v s="$share" 'BEGIN { exit !(s > 0.9) }' || fail "the board shows while paused (plain share $share)"
press_key p
sleep 0.5
shot parts_resumed
share=$(plain_share parts_resumed)
awk -v s="$share" 'BEGIN { exit !(s < 0.5) }' || fail "P did not bring the board back (plain share $share)"
quit_game
expected="data/fr/howto.png not found: the About screen shows the credits only
data/fr/pause.png not found: the pause screen is drawn without it"
[[ $(cat "$work/stderr") == "$expected" ]] || fail "stderr is not one line for each missing picture: $(cat "$work/stderr")"

# Lang=xx: pictures, no text file.
printf '[Game]\nLang=xx\n' >"$work/quz.ini"
start_game
sleep 11
shot parts_xx_menu
# Stars pass over the buttons: the words of the four buttons must be closer to xx's (English) than to fr's.
differs_from() {
  local lang=$1 total=0 i name top n
  for i in 0 1 2 3; do
    # The five-button menu: play, the day's board, scores, about, exit, 38 pixels each from y 251.
    name=(play scores about exit)
    top=(251 327 365 403)
    /usr/bin/convert "$shots/parts_xx_menu.png" -crop "640x38+0+${top[$i]}" +repage "$E2E_MATCH_DIR/band.png"
    /usr/bin/convert "$work/data/$lang/${name[$i]}.png" -crop 640x38+0+0 +repage "$E2E_MATCH_DIR/ref.png"
    n=$(compare -metric AE -fuzz 8% "$E2E_MATCH_DIR/band.png" "$E2E_MATCH_DIR/ref.png" null: 2>&1)
    total=$((total + ${n%.*}))
  done
  echo "$total"
}
xx=$(differs_from xx)
fr=$(differs_from fr)
((xx * 10 < fr * 9)) || fail "not the xx menu (pixels unlike xx's buttons $xx, unlike fr's $fr)"
grep -qx "language file not found" "$work/stderr" || fail "no 'language file not found': $(cat "$work/stderr")"
grep -q "not available" "$work/stderr" && fail "xx was refused: $(cat "$work/stderr")"

# The focus: another window takes it (the game pauses), then one click on the game resumes it.
xdotool mousemove --window "$window" 320 270 click 1
sleep 3
open_other_window 100x100+650+450 || fail "no second window to take the focus"
xdotool windowfocus "$OTHER_WINDOW"
sleep 0.7
shot parts_focus_lost
share=$(plain_share parts_focus_lost)
awk -v s="$share" 'BEGIN { exit !(s > 0.9) }' || fail "losing the focus did not pause (plain share $share)"
xdotool mousemove --window "$window" 600 100 click 1
sleep 0.7
shot parts_focus_click
share=$(plain_share parts_focus_click)
awk -v s="$share" 'BEGIN { exit !(s < 0.5) }' || fail "one click on the window did not resume (plain share $share)"
quit_game
echo "plain data folder played and paused; Lang=xx menu without its text file; one click resumed after a focus loss"
rm -rf "$work"
