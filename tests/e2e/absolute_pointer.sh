#!/usr/bin/env bash
# A pointer that reports absolute positions (a tablet, a touch screen, a virtual machine's or remote
# desktop's pointer; xdotool under Xvfb moves it the same way) in full screen on a 1920x1080 display with
# a window manager: moved to the four corners and the centre of the picture, the drawn pointer is where it
# points. Then F9 to a window, and a click on PLAY starts a game there. Screenshots in
# build/e2e-shots/pointer_*.png.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/image_match.sh"
XVFB_SCREEN=1920x1080 start_xvfb
start_window_manager
keep_shots 'pointer_*.png'
work=$(mktemp -d)
data=$(data_folder_of "$quz")
C=/usr/bin/convert
(cd "$work" && exec "$quz") >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 30) || fail "no game window"
# The picture is scaled by 2.25 to the display's height and centred: 240 black columns either side.
to_screen() { awk -v x="$1" -v y="$2" 'BEGIN { printf "%d %d\n", 240 + x * 2.25 + 1, y * 2.25 + 1 }'; }
move_to() { xdotool mousemove $(to_screen "$1" "$2"); sleep 0.4; }
picture() {
  import -display "$DISPLAY" -window root "$work/root.png" 2>/dev/null || fail "screenshot"
  $C "$work/root.png" -crop 1440x1080+240+0 +repage -resize '640x480!' "$shots/$1.png"
}
# Where the picture differs from the how-to-play page, which nothing but the pointer covers (the scaling's
# own small differences taken out): the drawn pointer's box, its top-left corner as "x y", its area.
pointer_box() {
  $C "$shots/$1.png" "$data/fr/howto.png" -compose difference -composite -colorspace gray -threshold 25% \
    -morphology Open Square:1 -format '%@' info:
}
drawn_pointer() { pointer_box "$1" | sed -n 's/^[0-9]*x[0-9]*+\([0-9]*\)+\([0-9]*\)$/\1 \2/p'; }
drawn_pointer_size() { pointer_box "$1" | awk -F'[x+]' '{ print $1 * $2 }'; }

# The logo intro and the menu's fade-in; then by keys, which do not depend on the pointer: About, then how
# to play, a page with nothing moving on it.
sleep 14
xdotool windowfocus --sync "$window"
# Taps (a held arrow repeats after 250 ms, which a loaded machine can stretch a slow press to).
for key in Down Down Down Down Return Return; do
  xdotool key "$key"
  sleep 0.3
done
sleep 0.5
picture pointer_full_page
[[ $(drawn_pointer pointer_full_page | wc -w) == 2 ]] || fail "no how-to-play page to point over"
(( $(drawn_pointer_size pointer_full_page) < 40 * 40 )) || fail "not the how-to-play page alone"
for target in "4 4" "628 4" "4 468" "628 468" "320 240" "4 4"; do
  read -r x y <<<"$target"
  move_to "$x" "$y"
  move_to "$x" "$y"
  name=pointer_full_${x}_$y
  picture "$name"
  read -r px py <<<"$(drawn_pointer "$name")"
  [[ -n ${px:-} ]] || fail "no pointer drawn for ($x, $y)"
  (( px >= x - 3 && px <= x + 3 && py >= y - 3 && py <= y + 3 )) ||
    fail "the pointer moved to ($x, $y) is drawn at ($px, $py)"
done

# Back to the buttons, F9 to a window, and a click on PLAY in the window.
press_key Escape
press_key F9
sleep 2
window=$(wait_for_window 5) || fail "no window after F9"
[[ $(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p') == 640x480 ]] || fail "F9 gave no window"
sleep 1.5
xdotool mousemove --window "$window" 320 270
sleep 0.4
xdotool click 1
sleep 4
import -display "$DISPLAY" -window "$window" "$shots/pointer_window_game.png" 2>/dev/null || fail "screenshot"
is_shown "$shots/pointer_window_game.png" "$data/fr/right.png" 480 0 160 480 0.9 ||
  fail "a click on PLAY in the window did not start a game"
press_key F12
wait_exit "$game" 5 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"
echo "full screen: the drawn pointer follows an absolute pointer to the corners and the centre; F9, then PLAY in a window"
rm -rf "$work"
