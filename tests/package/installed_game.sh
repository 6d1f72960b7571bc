#!/usr/bin/env bash
# The game as a player gets it from the package: the unpacked /usr/games/quz, started from a folder that
# holds nothing (mode "empty") or only quz.ini with Lang=en and a scores.vek (mode "english"), finds
# its data in ../share/games/quz, shows its menu in the expected language and the score table of the
# starting folder (or the default one), and quits with F12 with status 0.
set -u
build=$1
mode=$2
source "$(dirname "$0")/../e2e/lib/xvfb.sh"
root=$build/package-test/root
quz=$root/usr/games/quz
data=$root/usr/share/games/quz/data
[[ -x $quz ]] || fail "no unpacked game at $quz"
work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
keep_shots
mkdir -p "$work/start" "$work/home"
# A player's own settings must not leak in, and the search must not find a data/ in the build tree.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
case $mode in
  empty) want=fr other=en ;;
  english)
    want=en other=fr
    printf '[Game]\nLang=en\n[Scores]\nServer=off\nSubmit=off\n' >"$work/start/quz.ini"
    # A table of nine nameless entries: the score screen's name column stays empty.
    head -c 360 /dev/zero >"$work/start/scores.vek"
    ;;
  *) fail "unknown mode $mode" ;;
esac

start_xvfb
(cd "$work/start" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 30) || fail "no game window; stderr: $(cat "$work/stderr")"
xdotool mousemove --window "$window" 600 100
# Which language's play button is on screen (at y 251): only the pixels where the French
# and English images differ (the word) are compared, so a star passing over the band counts for neither.
shot=$shots/installed_$mode.png
band=$work/band.png
/usr/bin/convert "$data/$want/play.png" "$data/$other/play.png" -alpha off -compose difference -composite \
  -colorspace gray -threshold 10% "$work/mask.png"
word=$(/usr/bin/convert "$work/mask.png" -format "%[fx:mean]" info:)
# Fraction of the word's pixels where the screenshot differs from image $1.
differs() {
  local part
  part=$(/usr/bin/convert "$band" "$1" -alpha off -compose difference -composite -colorspace gray -threshold 10% \
    "$work/mask.png" -compose multiply -composite -format "%[fx:mean]" info:)
  awk -v p="$part" -v m="$word" 'BEGIN { printf "%.3f\n", (m > 0 ? p / m : 1) }'
}
# The logo intro (about 9 s) and the menu's fade-in (1.3 s) run on the game's clock, which a loaded
# machine slows down: look until the menu has settled, for at most 60 s.
seen=""
for _ in $(seq 120); do
  sleep 0.5
  kill -0 "$game" 2>/dev/null || fail "the game ended early; stderr: $(cat "$work/stderr")"
  import -display "$DISPLAY" -window "$window" "$shot" 2>/dev/null || continue
  /usr/bin/convert "$shot" -crop "$(/usr/bin/identify -format %wx%h "$data/$want/play.png")+0+251" +repage \
    -alpha off "$band"
  near=$(differs "$data/$want/play.png")
  far=$(differs "$data/$other/play.png")
  awk -v f="$far" 'BEGIN { exit !(f < 0.25) }' && fail "the $other menu is shown; see $shot"
  if awk -v n="$near" -v f="$far" 'BEGIN { exit !(n < 0.25 && f > 0.5) }'; then
    seen=1
    break
  fi
done
[[ -n $seen ]] || fail "no $want menu within 60 s ($near of the word differs from $want, $far from $other); see $shot"

# The scores of the starting folder: the nameless table, where the default one has nine names. The
# click is repeated while the menu still shows its scores button (a click during a fade is ignored).
scores_button=$work/scores_button.png
/usr/bin/convert "$data/$want/scores.png" -alpha off "$scores_button"
/usr/bin/convert "$scores_button" -colorspace gray -threshold 60% "$work/scores_mask.png"
scores_word=$(/usr/bin/convert "$work/scores_mask.png" -format "%[fx:mean]" info:)
# The menu of five buttons (the day's board second) has the scores button's picture at y 327.
scores_top=327
# Fraction of the scores button's word that the screenshot $1 still shows.
button_left() {
  local part
  part=$(/usr/bin/convert "$1" -crop "$(/usr/bin/identify -format %wx%h "$scores_button")+0+$scores_top" +repage \
    -alpha off "$scores_button" -compose difference -composite -colorspace gray -threshold 10% -negate \
    "$work/scores_mask.png" -compose multiply -composite \
    -format "%[fx:mean]" info:)
  awk -v p="$part" -v m="$scores_word" 'BEGIN { printf "%.3f\n", (m > 0 ? p / m : 1) }'
}
scores_shot=$shots/installed_${mode}_scores.png
left=1
for _ in $(seq 5); do
  if awk -v l="$left" 'BEGIN { exit !(l > 0.7) }'; then
    xdotool mousemove --window "$window" 320 $((scores_top + 19)); sleep 0.15; xdotool click 1; sleep 0.2
    xdotool mousemove --window "$window" 600 100
  fi
  sleep 1.5
  import -display "$DISPLAY" -window "$window" "$scores_shot" || fail "no screenshot"
  left=$(button_left "$scores_shot")
  awk -v l="$left" 'BEGIN { exit !(l < 0.3) }' && break
done
awk -v l="$left" 'BEGIN { exit !(l < 0.3) }' || fail "the score screen did not open ($left); see $scores_shot"
# The glyphs are far brighter than the translucent stars that pass behind them.
names=$(/usr/bin/convert "$scores_shot" -crop 230x144+136+302 +repage -colorspace Gray \
  -threshold 75% -format "%[fx:mean]" info:)
if [[ $mode == english ]]; then
  awk -v s="$names" 'BEGIN { exit !(s < 0.005) }' || fail "names shown although scores.vek has none ($names)"
else
  awk -v s="$names" 'BEGIN { exit !(s > 0.02) }' || fail "the default table's names are missing ($names)"
fi

xdotool keydown F12
wait_exit "$game" 3 || fail "F12 did not end the game"
xdotool keyup F12
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS; stderr: $(cat "$work/stderr")"
[[ ! -s $work/stderr ]] || fail "unexpected stderr: $(cat "$work/stderr")"
[[ -z $(ls -A "$work/start" | grep -vx -e quz.ini -e scores.vek) ]] || fail "the game wrote into its starting folder: $(ls -A "$work/start")"
echo "installed game from a folder with ${mode/empty/nothing}: $want menu ($near of the word differs from $want, $far from $other), bright name pixels $names, F12, status 0"
