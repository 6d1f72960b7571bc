#!/usr/bin/env bash
# The Windows zip's quz.exe under Wine in a real X window, unpacked as a player would (no DLL from
# anywhere else): the menu shows (its title and lit play button compared with the generated images), a
# click starts a game, clicks remove groups (the score changes) until the game ends with a name entry,
# the typed name lands in the per-user table %APPDATA%\quz\scores.vek of the Wine user, and F12 ends the
# program with status 0. Screenshots in e2e-shots/windows_*.png.
#   game_under_wine.sh ZIP   (WINEPREFIX set; run from the Windows build folder)
set -u
zip=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/xvfb.sh"
source "$here/../lib/image_match.sh"
: "${WINEPREFIX:?}"
[[ -f $zip ]] || fail "no zip at $zip (cmake --build . --target windows-zip)"
# The real window this time; sound stays silent as in every e2e test.
unset SDL_VIDEODRIVER
start_xvfb
keep_shots 'windows_*.png'
lang=fr

work=$(mktemp -d)
unzip -q "$zip" -d "$work/unpacked"
game_folder=$(ls -d "$work"/unpacked/quz-*)
data=$game_folder/data
# The DLLs must all come from the zip: Wine is given no other folder to find them in.
run_game() {
  (cd "$work/start" && exec env -u QUZ_WINDOWS_PREFIX bash "$here/../../../tools/windows/wine_run.sh" \
    "$game_folder/quz.exe" -windowed) >"$work/stdout" 2>"$work/stderr" &
  game=$!
  E2E_PIDS+=("$game")
}
stop_wine() { WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true; }
trap 'stop_wine; e2e_cleanup' EXIT

# Start the Wine folder (made on first use) before timing anything, and find the Wine user's %APPDATA%.
bash "$here/../../../tools/windows/wine_run.sh" cmd /c echo ready >/dev/null 2>&1
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | grep -v /Public/ | head -1)
[[ -n $appdata ]] || fail "no AppData\\Roaming in $WINEPREFIX"
rm -rf "$appdata/quz"

mkdir -p "$work/start"
# Nothing listens on the discard port: the score cannot be sent and waits in the outbox.
printf '[Scores]\r\nServer=127.0.0.1:9\r\nSubmit=off\r\n' >"$work/start/quz.ini"
run_game
window=$(wait_for_window 60) || fail "no game window: $(cat "$work/stderr" "$appdata/quz/stderr.txt" 2>/dev/null)"
shot() { import -display "$DISPLAY" -window "$window" "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

# The logo, then the menu; the pointer rests on the play button, which shows lit once the menu is up.
xdotool mousemove --window "$window" 320 270
menu_up=""
for _ in $(seq 90); do
  shot windows_menu
  is_shown "$shots/windows_menu.png" "$data/$lang/splay.png" 0 251 640 42 0.85 && { menu_up=1; break; }
  kill -0 "$game" 2>/dev/null || fail "the game ended before its menu: $(cat "$appdata/quz/stderr.txt" 2>/dev/null)"
  sleep 1
done
[[ -n $menu_up ]] || fail "no menu with a lit play button: $(shows "$shots/windows_menu.png" "$data/$lang/splay.png" 0 251 640 42)"
is_shown "$shots/windows_menu.png" "$data/title.png" 0 0 640 251 0.8 ||
  fail "no title in the menu: $(shows "$shots/windows_menu.png" "$data/title.png" 0 0 640 251)"

game_up=""
for _ in $(seq 10); do
  xdotool mousemove --window "$window" 320 270 click 1
  sleep 4
  shot windows_game_start
  is_shown "$shots/windows_game_start.png" "$data/$lang/right.png" 480 0 160 480 0.9 && { game_up=1; break; }
done
[[ -n $game_up ]] || fail "a click on play started no game: $(shows "$shots/windows_game_start.png" "$data/$lang/right.png" 480 0 160 480)"

board_sweep "$window"
entry_seen=""
for round in $(seq 1 60); do
  xdotool "${SWEEP[@]}"
  shot windows_game_now
  if [[ $round == 1 ]]; then
    cp "$shots/windows_game_now.png" "$shots/windows_game_board.png"
    a=$(/usr/bin/convert "$shots/windows_game_start.png" -crop 120x28+500+277 +repage -format "%#" info:)
    b=$(/usr/bin/convert "$shots/windows_game_board.png" -crop 120x28+500+277 +repage -format "%#" info:)
    [[ $a != "$b" ]] || fail "the score did not change after a sweep of clicks: no group was removed"
  fi
  if is_shown "$shots/windows_game_now.png" "$data/$lang/hiscore.png" 50 150 380 128; then
    entry_seen=1
    break
  fi
  kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$appdata/quz/stderr.txt" 2>/dev/null)"
done
[[ -n $entry_seen ]] || fail "no name entry after 60 sweeps"
cp "$shots/windows_game_now.png" "$shots/windows_name_entry.png"
xdotool type --delay 80 "Wine e2e"
sleep 0.5
press_key Return
sleep 4
shot windows_back_in_menu
press_key F12
wait_exit "$game" 20 || fail "F12 did not end the program"
[[ $EXIT_STATUS -eq 0 ]] || fail "exit status $EXIT_STATUS"

saved=$appdata/quz/scores.vek
[[ $(stat -c %s "$saved" 2>/dev/null) == 360 ]] || fail "no saved table of 360 bytes at $saved"
[[ $(head -c 32 "$saved" | tr -d '\0') == "Wine e2e" ]] || fail "rank 1 of the saved table is not the typed name"
[[ ! -e $work/start/scores.vek ]] || fail "the game wrote into its starting folder"
[[ ! -e $game_folder/scores.vek ]] || fail "the game wrote into its own folder"
# The messages of the run are in %APPDATA%\quz\stderr.txt: here the score that could not be sent.
grep -q "Score not sent" "$appdata/quz/stderr.txt" || fail "no 'Score not sent' in stderr.txt: $(cat "$appdata/quz/stderr.txt" 2>/dev/null)"
grep -q "Wine e2e" "$appdata/quz/scores.outbox" || fail "the unsent score is not in the outbox"
echo "menu, game, groups removed, name entry, F12: status 0; table in ${saved#"$WINEPREFIX"/}; shots in $shots"
rm -rf "$work"
