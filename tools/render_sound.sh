#!/bin/bash
# Renders a sound (a WAV, or the tracker module, played by openmpt123) to a PNG with its waveform on top
# and its spectrogram under it, and prints its length and peak level, for looking at what the ear gets.
#   tools/render_sound.sh SOUND OUT.png
set -euo pipefail
in=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wav=$in
if [[ $in != *.wav ]]; then
  cp "$in" "$work/music.mod"
  openmpt123 --quiet --batch --no-float --force --output "$work/render.wav" "$work/music.mod" >/dev/null 2>&1
  wav=$work/render.wav
fi
sox "$wav" -n stat 2>&1 | grep -E 'Length|Maximum amplitude|Minimum amplitude|RMS +amplitude'
sox "$wav" -n remix - spectrogram -x 1200 -y 257 -t "$(basename "$in")" -o "$work/spectrum.png"
# Waveform: 1200 columns, each showing the min..max of its slice.
sox "$wav" -t dat -c 1 - 2>/dev/null | awk -v W=1200 -v H=160 '
  !/^;/ { v[n++] = $2 }
  END {
    per = n / W; if (per < 1) per = 1;
    for (x = 0; x < W; x++) {
      lo = 1; hi = -1;
      for (i = int(x * per); i < int((x + 1) * per) && i < n; i++) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i] }
      if (hi < lo) continue;
      printf "line %d,%d %d,%d\n", x, int(H/2 - hi*H/2), x, int(H/2 - lo*H/2) > "/dev/stderr";
    }
  }' 2>"$work/wave.mvg"
/usr/bin/convert -size 1200x160 xc:'#101018' -stroke '#60c0ff' -draw "$(cat "$work/wave.mvg")" "$work/wave.png"
/usr/bin/convert "$work/wave.png" "$work/spectrum.png" -background '#101018' -gravity center -append "$out"
echo "$out"
