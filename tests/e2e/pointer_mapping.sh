#!/usr/bin/env bash
# The drawn pointer is where the device points, wherever the window shows the 640x480 picture: in a
# window resized by the window manager (the picture scaled, black bars beside it) and in full screen on a
# 1920x1080 display. An absolute pointer (xdotool moves it as a tablet or a remote desktop would) goes to
# the four corners and the centre of the picture over the pause screen, which holds still, and each
# screenshot, scaled back to 640x480, shows the pointer there; then a click on PLAY, in a resized window
# and after F9 back from full screen, starts a game. Screenshots in build/e2e-shots/pointer_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
XVFB_SCREEN=1920x1080 start_xvfb
start_window_manager
keep_shots 'pointer_*.png'
work=$(mktemp -d)
data=$(data_folder_of "$quz")
lang=fr
C=/usr/bin/convert

start_game() {
  (cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
  game=$!
  E2E_PIDS+=("$game")
  window=$(wait_for_window 10) || fail "no game window"
}
size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
# to_window X Y: the window point that shows picture point (X, Y), for the window's size now.
to_window() {
  awk -v g="$(size)" -v x="$1" -v y="$2" 'BEGIN {
    split(g, wh, "x"); s = wh[1] / 640; if (wh[2] / 480 < s) s = wh[2] / 480
    printf "%d %d\n", (wh[1] - 640 * s) / 2 + (x + 0.5) * s, (wh[2] - 480 * s) / 2 + (y + 0.5) * s }'
}
point_at() { local p; p=$(to_window "$1" "$2"); xdotool mousemove --window "$window" ${p% *} ${p#* }; }
click_at() { point_at "$1" "$2"; sleep 0.3; xdotool click 1; }
# picture SHOT OUT: the window's screenshot with its bars cut off, scaled back to 640x480.
picture() {
  awk -v g="$(size)" 'BEGIN {
    split(g, wh, "x"); s = wh[1] / 640; if (wh[2] / 480 < s) s = wh[2] / 480
    printf "%dx%d+%d+%d\n", 640 * s, 480 * s, (wh[1] - 640 * s) / 2, (wh[2] - 480 * s) / 2 }' >"$work/crop"
  $C "$1" -crop "$(cat "$work/crop")" +repage -resize '640x480!' "$2"
}
shot() {
  kill -0 "$game" 2>/dev/null || fail "the game ended before screenshot $1: $(cat "$work/stderr")"
  timeout 20 import -display "$DISPLAY" -window "$window" "$work/raw.png" 2>/dev/null || fail "screenshot $1"
  picture "$work/raw.png" "$shots/$1.png"
}

# check_pointer MODE: the pointer at each corner and the centre, found by its difference from a
# screenshot with the pointer elsewhere; its top-left corner must be within 4 pixels of the point.
check_pointer() {
  local mode=$1 x y
  point_at 200 330
  sleep 0.5
  shot "pointer_${mode}_reference"
  for target in "4 4" "606 4" "4 446" "606 446" "320 240"; do
    x=${target% *} y=${target#* }
    point_at "$x" "$y"
    sleep 0.5
    shot "pointer_${mode}_${x}_${y}"
    local x0=$((x > 16 ? x - 16 : 0)) y0=$((y > 16 ? y - 16 : 0)) box
    box=$($C "$shots/pointer_${mode}_${x}_${y}.png" "$shots/pointer_${mode}_reference.png" \
      -compose difference -composite -crop "64x64+$x0+$y0" +repage -colorspace gray -threshold 20% \
      -format '%@' info:)
    # %@ is the bounding box of what differs, WxH+X+Y inside the 64x64 crop.
    local bx by
    bx=$(sed 's/.*x[0-9]*+\([0-9]*\)+.*/\1/' <<<"$box")
    by=$(sed 's/.*+\([0-9]*\)$/\1/' <<<"$box")
    [[ $box != 0x0* && $box != 64x64+0+0 ]] || fail "$mode: no pointer drawn near ($x, $y) (box $box)"
    (( ${bx:-99} + x0 - x <= 4 && x - x0 - ${bx:-99} <= 4 && ${by:-99} + y0 - y <= 4 && y - y0 - ${by:-99} <= 4 )) ||
      fail "$mode: the pointer for ($x, $y) is drawn at ($((bx + x0)), $((by + y0)))"
  done
  echo "$mode: the pointer is drawn where it points at the corners and the centre"
}

start_game
sleep 11
# The window manager resizes the window: 1280x720 shows the picture at 1.5 times, bars left and right.
xdotool windowsize "$window" 1280 720
sleep 1
[[ $(size) == 1280x720 ]] || fail "the window is $(size), not 1280x720"
shot pointer_resized_menu
is_shown "$shots/pointer_resized_menu.png" "$data/title.png" 0 0 640 240 0.8 ||
  fail "the resized window does not show the menu: $(shows "$shots/pointer_resized_menu.png" "$data/title.png" 0 0 640 240)"
click_at 320 270
sleep 4
shot pointer_resized_game
is_shown "$shots/pointer_resized_game.png" "$data/$lang/right.png" 480 0 160 60 0.8 ||
  fail "a click on PLAY in the resized window started no game"
press_key p
sleep 0.5
check_pointer resized

# Full screen: the same points on a 1920x1080 display, then back to a window, where PLAY still works.
for _ in 1 2 3 4 5 6; do
  press_key F9
  sleep 1.5
  [[ $(size) == 1920x1080 ]] && break
done
[[ $(size) == 1920x1080 ]] || fail "F9 gave no full screen: the window is $(size)"
check_pointer full
press_key Escape
sleep 3
for _ in 1 2 3 4 5 6; do
  press_key F9
  sleep 1.5
  [[ $(size) != 1920x1080 ]] && break
done
[[ $(size) != 1920x1080 ]] || fail "F9 did not leave the full screen"
shot pointer_back_menu
click_at 320 270
sleep 4
shot pointer_back_game
is_shown "$shots/pointer_back_game.png" "$data/$lang/right.png" 480 0 160 60 0.8 ||
  fail "after F9 back to a window, a click on PLAY started no game"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"
echo "pointer mapped in a resized window and in full screen; shots in $shots"
rm -rf "$work"
