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
  tile="$work/$(printf %03d $n).png"
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
/usr/bin/montage "$work"/*.png -tile 3x -geometry +6+6 -background '#303030' "$out"
echo "$out"
