#!/usr/bin/env bash
# In a real X window on a 1920x1080 screen with a window manager: F9 turns the game board into a full
# screen that shows the same picture as the window, scaled to the display's height with its aspect kept
# and centred between black bars. Screenshots in build/e2e-shots/full_screen_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
XVFB_SCREEN=1920x1080 start_xvfb
start_window_manager
keep_shots 'full_screen_*.png'
work=$(mktemp -d)
C=/usr/bin/convert
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window"
geometry() { xdotool getwindowgeometry "$(wait_for_window 2)" | sed -n 's/.*Geometry: //p'; }

# rmse A B REGION: root-mean-square difference (0..1) of one region of two 640x480 pictures.
rmse() {
  $C "$1" -crop "$3" +repage "$work/a.png"
  $C "$2" -crop "$3" +repage "$work/b.png"
  /usr/bin/compare -metric RMSE "$work/a.png" "$work/b.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}
below() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v < limit) }'; }

# Logo intro and the menu's fade-in, then the play button. The pointer waits in the panel's bottom
# corner, clear of the board (where it would mark a group) and of the parts compared.
sleep 11
xdotool mousemove --window "$window" 320 270 click 1
sleep 4
xdotool mousemove --window "$window" 636 476
sleep 0.5
[[ $(geometry) == 640x480 ]] || fail "the window is $(geometry)"
import -display "$DISPLAY" -window "$window" "$shots/full_screen_windowed.png" 2>/dev/null || fail "screenshot"

# F9 is read as held state, so one press may toggle more than once: press until the screen is full.
for _ in 1 2 3 4 5 6; do
  xdotool keydown F9; sleep 0.05; xdotool keyup F9
  sleep 1.5
  [[ $(geometry) == 1920x1080 ]] && break
done
[[ $(geometry) == 1920x1080 ]] || fail "F9 gave no full screen: the window is $(geometry)"
xdotool mousemove 1911 1076
sleep 0.5
import -display "$DISPLAY" -window root "$shots/full_screen_full.png" 2>/dev/null || fail "screenshot"
kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"

# 480 lines of picture over 1080: a scale of 2.25, so 1440 columns with 240 black ones either side.
full=$shots/full_screen_full.png
for bar in 236x1080+0+0 236x1080+1684+0; do
  mean=$($C "$full" -crop "$bar" +repage -format "%[fx:mean]" info:)
  below "$mean" 0.01 || fail "the bar at $bar is not black (mean $mean)"
done
$C "$full" -crop 1440x1080+240+0 +repage -resize '640x480!' "$work/scaled.png"
# The panel's fixed parts (the logo and colours, the level label, the legend) pixel by pixel; its
# numbers change with time and are left out. A picture a few pixels off or with its colours swapped
# scores above 0.2; the scaling alone about 0.03.
windowed=$shots/full_screen_windowed.png
for region in 160x112+480+0 160x30+480+160 160x85+480+385; do
  d=$(rmse "$windowed" "$work/scaled.png" "$region")
  below "$d" 0.08 || fail "the panel at $region differs from the window's (RMSE $d)"
done
# The board's blocks shimmer: a glint passing over a block moves its mean colour by more than the scaling
# does (4 cells of 225 by a 10% measure, once). So each cell is compared by the colour it mostly is,
# which a white glint leaves alone: the same blocks in the same places.
cell_colours() {
  $C "$1" -crop 480x480+0+0 +repage -scale 15x15 -depth 8 txt:- |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
    awk '{ printf "%s", ($1 >= $2 && $1 >= $3) ? "r" : ($2 >= $3 ? "g" : "b") }'
}
window_cells=$(cell_colours "$windowed")
full_cells=$(cell_colours "$work/scaled.png")
(( ${#window_cells} == 225 )) || fail "the board has ${#window_cells} cells, not 225"
cells=$(awk -v a="$window_cells" -v b="$full_cells" \
  'BEGIN { for (i = 1; i <= length(a); i++) n += substr(a, i, 1) != substr(b, i, 1); print n }')
(( cells <= 2 )) || fail "$cells of the board's 225 cells differ from the window's"

press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"
echo "full screen 1920x1080: black bars, panel and board match the window; shots in $shots"
rm -rf "$work"
