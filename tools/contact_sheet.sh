#!/bin/bash
# Composes every generated image of a data folder on one PNG, for looking at the art in one go.
# Images the game draws with colour key 0 are shown with their pure black made transparent over a
# checkerboard, so what vanishes in the game shows as checks here. Small strips are shown twice as big.
#   tools/contact_sheet.sh DATA_DIR OUT.png
set -euo pipefail
data=$1 out=$2
im=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
keyed='^(mouse|font|numbers|smallnums|theme1/(r|g|b|sr|sg|sb)|bonus/.*|[a-z]+/(gameover|hiscore|perfect|loselevel|wonlevel|wongame|bonus1000|bonus500|bonus2x|bonusAddLine|bonuslife|5000))\.png$'
n=0
while IFS= read -r rel; do
  n=$((n + 1))
  tile="$work/$(printf %03d $((n + 1))).png"
  w=$(/usr/bin/identify -format %w "$data/$rel") h=$(/usr/bin/identify -format %h "$data/$rel")
  scale=100
  if [ "$h" -le 32 ]; then scale=200; fi
  if [[ $rel =~ $keyed ]]; then
    $im -size "${w}x${h}" pattern:checkerboard -fill '#203040' -colorize 70% \
        \( "$data/$rel" -transparent black \) -composite -resize "${scale}%" -filter point "$tile"
  else
    $im "$data/$rel" -resize "${scale}%" "$tile"
  fi
  $im "$tile" -background '#303030' -fill white -pointsize 12 label:"$rel ${w}x${h}" -gravity West -append "$tile"
done < <(cd "$data" && find . -name '*.png' | sed 's|^\./||' | sort)
# A mock game screen first: the board with blocks, the panel with numbers where the game draws them.
digit() {  # digit x y [small]: adds one digit to the mock screen
  local w=20 h=28 img=$data/numbers.png
  if [ "${4:-}" = small ]; then w=8 h=7 img=$data/smallnums.png; fi
  args+=( \( "$img" -crop "${w}x${h}+$(($1 * w))+0" +repage -transparent black \) -geometry "+$2+$3" -composite )
}
args=("$data/theme1/back.png" -background black -extent 640x480 "$data/fr/right.png" -geometry +480+0 -composite)
for c in $(seq 0 14); do
  for r in $(seq 4 14); do
    v=$(( (c * 7 + r * 13 + c * r) % 3 )); name=(r g b); strip=theme1
    if [ $((c * 15 + r)) -eq 100 ]; then strip=bonus; fi
    lit=""; if [ $c -ge 3 ] && [ $c -le 4 ] && [ $r -ge 8 ] && [ $r -le 10 ]; then lit=s; fi
    args+=( \( "$data/$strip/$lit${name[$v]}.png" -crop 32x32+$(( (c + r) % 20 * 32 ))+0 +repage -transparent black \) -geometry +$((c * 32))+$((r * 32)) -composite )
  done
done
for item in "0 544 122" "3 564 122" "0 544 195" "7 564 195" "0 500 277" "1 520 277" "2 540 277" "8 560 277" "5 580 277" "0 600 277" "8 550 337"; do
  read -r d x y <<<"$item"; digit "$d" "$x" "$y"
done
for item in "1 602 264" "2 610 264" "5 618 264"; do
  read -r d x y <<<"$item"; digit "$d" "$x" "$y" small
done
args+=( \( "$data/fr/wonlevel.png" -transparent black \) -geometry +50+150 -composite \( "$data/fr/perfect.png" -transparent black \) -geometry +112+280 -composite \( "$data/mouse.png" -transparent black \) -geometry +200+60 -composite )
$im "${args[@]}" "$work/000.png"
$im "$work/000.png" -background '#303030' -fill white -pointsize 12 label:"mock game screen" -gravity West -append "$work/000.png"
# And a mock menu: title, buttons (the first one lit), footer, as the menu stacks them.
$im "$data/title.png" "$data/fr/splay.png" "$data/fr/scores.png" "$data/fr/about.png" "$data/fr/exit.png" \
    "$data/fr/copyright.png" -append -background '#303030' -fill white -pointsize 12 label:"mock menu" \
    -gravity West -append "$work/001.png"
/usr/bin/montage "$work"/*.png -tile 3x -geometry +6+6 -background '#303030' "$out"
echo "$out"
