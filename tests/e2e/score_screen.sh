#!/usr/bin/env bash
# The score screen in both languages, reached by keyboard only: a key skips the logo intro (the menu must
# be up within a few seconds instead of after nine), Down three times lights the scores button and Return opens
# it. Two screenshots half a swing apart (build/e2e-shots/scores_<lang>_a.png and _b.png) must show the
# backdrop, rows that sway, and a bottom line and score column that keep clear of the screen's edges and
# the table's frame.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
keep_shots 'scores_fr_*.png' 'scores_en_*.png' skipped_fr.png skipped_en.png
data=$(readlink -f "$(data_folder_of "$quz")")

# Fraction (0..1) of the reference image's pixels that the screenshot shows unchanged at (x, y), over a
# w by h region of both (the reference is cropped from sx, sy).
shows() {
  local png=$1 image=$2 x=$3 y=$4 w=$5 h=$6 sx=${7:-0} sy=${8:-0}
  /usr/bin/convert "$png" -crop "${w}x${h}+${x}+${y}" +repage -alpha off "$work/crop.png"
  /usr/bin/convert "$image" -crop "${w}x${h}+${sx}+${sy}" +repage -alpha off "$work/ref.png"
  /usr/bin/convert "$work/crop.png" "$work/ref.png" -compose difference -composite -colorspace gray \
    -threshold 4% -format "%[fx:1-mean]" info:
}
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
# Pixels of a region W H X Y that are the bitmap font's ink (red at full strength: the rising stars are
# translucent and stay well below it over this dark backdrop), and pixels of the table's blue frame.
ink_in() { /usr/bin/convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -fx "r >= 0.94 ? 1 : 0" -format "%[fx:round(mean*w*h)]" info:; }
frame_in() {
  /usr/bin/convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -fx "b >= 0.9 && r <= 0.55 ? 1 : 0" \
    -format "%[fx:round(mean*w*h)]" info:
}

for lang in fr en; do
  work=$(mktemp -d)
  printf '[Game]\nLang=%s\n[Scores]\nServer=off\nSubmit=off\n' "$lang" >"$work/quz.ini"
  ln -s "$data" "$work/data"
  (cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
  game=$!
  E2E_PIDS+=("$game")
  window=$(wait_for_window 30) || fail "$lang: no game window within 30 s: $(cat "$work/stderr")"
  shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

  # The logo is on its way in; a key ends it and the menu fades in (1.3 s).
  sleep 1.5
  press_key space
  sleep 2.5
  shot "skipped_$lang"
  f=$(shows "$shots/skipped_$lang.png" "$data/title.png" 0 0 640 251)
  at_least "$f" 0.6 || fail "$lang: no menu 4 s after the start although a key skipped the logo ($f)"

  press_key Down
  press_key Down
  press_key Down
  press_key Return
  sleep 0.6
  shot "scores_${lang}_a"
  sleep 0.9  # the rows' phase moves a radian every 300 ms: this is half a swing on
  shot "scores_${lang}_b"
  f=$(shows "$shots/scores_${lang}_a.png" "$data/$lang/bottom.png" 0 251 640 229)
  at_least "$f" 0.5 || fail "$lang: the keyboard did not open the score screen ($f)"
  f=$(shows "$shots/scores_${lang}_a.png" "$shots/scores_${lang}_b.png" 0 430 640 16 0 430)
  at_least 0.99 "$f" || fail "$lang: row 9 does not sway"

  # In both screenshots the bottom line (y 456) keeps six cells clear at both ends, and eight pixels
  # clear of the window's bottom edge, and no score
  # reaches the ten columns right of where row 9 can sway to (x 614), where the frame must not be either.
  for phase in a b; do
    name=scores_${lang}_$phase
    (( $(ink_in "$name" 72 16 0 456) == 0 )) || fail "$lang: the bottom line reaches the left edge ($name)"
    (( $(ink_in "$name" 72 16 568 456) == 0 )) || fail "$lang: the bottom line reaches the right edge ($name)"
    (( $(ink_in "$name" 640 8 0 472) == 0 )) || fail "$lang: the bottom line is within 8 pixels of the bottom ($name)"
    (( $(ink_in "$name" 10 150 616 300) == 0 )) || fail "$lang: a score runs past x 616 ($name)"
    (( $(frame_in "$name" 10 150 616 300) == 0 )) || fail "$lang: the frame is within 10 pixels of the scores ($name)"
  done

  press_key F12
  wait_exit "$game" 5 || fail "$lang: F12 did not end the program"
  [[ -s $work/stderr ]] && fail "$lang: unexpected stderr: $(cat "$work/stderr")"
  rm -rf "$work"
done
echo "score screen by keyboard in fr and en: backdrop, sway and margins; screenshots in $shots"
