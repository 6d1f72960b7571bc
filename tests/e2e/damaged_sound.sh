#!/usr/bin/env bash
# In a real X window, with a copy of the data whose bip.wav is cut to its first 60 bytes: the menu comes
# up, Play loads the game's sounds, and the damaged one ends the program through the error report
# ("Couldn't Load Sample: data/sound/bip.wav", its dialog, status 1) instead of a crash in the mixer.
set -u
quz=$1
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
keep_shots damaged_sound_dialog.png
data=$(data_folder_of "$quz")
work=$(mktemp -d)
cp -r "$data" "$work/data"
head -c 60 "$data/sound/bip.wav" >"$work/data/sound/bip.wav"
# Without its logo the program skips the intro and goes straight to the menu.
rm -f "$work/data/logo.png"
(cd "$work" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
E2E_PIDS+=("$game")
window=$(wait_for_window 10) || fail "no game window"

# The menu's fade-in (1.3 s), then the play button; the game loads when the fade-out (1.5 s) is over.
sleep 2
xdotool mousemove --window "$window" 320 270 click 1
dialog=""
for _ in $(seq 100); do
  # The message box is a bare top-level window that xdotool's search does not list.
  dialog=$(xwininfo -root -tree 2>/dev/null | awk '/"Error": / { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+]/) { print $i; exit } }')
  [[ -n $dialog ]] && break
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
if [[ -n $dialog ]]; then
  # The report waits for its dialog to be dismissed before it ends the program: press its OK button,
  # centred near the bottom of the box (its geometry reads WxH+X+Y).
  sleep 0.5
  import -display "$DISPLAY" -window root "$shots/damaged_sound_dialog.png" 2>/dev/null
  IFS='x+' read -r w h x y <<<"$dialog"
  xdotool mousemove $((x + w / 2)) $((y + h - 39))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
fi
wait_exit "$game" 10 || fail "the program did not end after Play; stderr: $(cat "$work/stderr")"
grep -q "Couldn't Load Sample: data/sound/bip.wav" "$work/stderr" ||
  fail "no sample error; stderr: $(cat "$work/stderr")"
(( EXIT_STATUS == 1 )) || fail "exit status $EXIT_STATUS (a signal if above 128); stderr: $(cat "$work/stderr")"
echo "damaged bip.wav: '$(grep -m1 "Couldn't Load Sample" "$work/stderr")', status $EXIT_STATUS, dialog ${dialog:+shown}"
rm -rf "$work"
