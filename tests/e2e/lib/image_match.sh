# Shared by the e2e scripts that check a screen against the images the game draws on it.
# Needs lib/xvfb.sh sourced first (its private home folder holds the scratch images).

E2E_MATCH_DIR=$E2E_HOME/match
mkdir -p "$E2E_MATCH_DIR"

# Fraction (0..1) of the image's non-black pixels (black is its colour key) that the screenshot shows
# unchanged at (x, y), over a w by h region: 1 when the image is on screen there.
shows() {
  local png=$1 image=$2 x=$3 y=$4 w=$5 h=$6 m=$E2E_MATCH_DIR
  /usr/bin/convert "$png" -crop "${w}x${h}+${x}+${y}" +repage -alpha off "$m/crop.png"
  /usr/bin/convert "$image" -crop "${w}x${h}+0+0" +repage -alpha off "$m/ref.png"
  /usr/bin/convert "$m/ref.png" -fill white +opaque black -colorspace gray "$m/mask.png"
  local differ masked
  differ=$(/usr/bin/convert "$m/crop.png" "$m/ref.png" -compose difference -composite -colorspace gray \
    -threshold 4% "$m/mask.png" -compose multiply -composite -format "%[fx:mean]" info:)
  masked=$(/usr/bin/convert "$m/mask.png" -format "%[fx:mean]" info:)
  awk -v d="$differ" -v m="$masked" 'BEGIN { if (m <= 0) print 0; else printf "%.3f\n", 1 - d / m }'
}

# is_shown PNG IMAGE X Y W H [FRACTION]: the image shows there (the panel's numbers differ from its image).
is_shown() { awk -v f="$(shows "$1" "$2" "$3" "$4" "$5" "$6")" -v need="${7:-0.97}" 'BEGIN { exit !(f >= need) }'; }
