#!/usr/bin/env bash
# The real binary with its data missing or damaged: no data folder anywhere is one error naming the
# folders looked in, status 1, before any window; a menu image that cannot be read is "Cannot Load
# <path>", status 1 (a menu without its title cannot be used); a missing logo only skips the intro.
# The dummy video driver keeps the error dialog away, so no display is needed.
set -u
quz=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset SDL_NO_SIGNAL_HANDLERS
data=$(dirname "$quz")/data
[[ -d $data ]] || data=$PWD/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A copy of the program in a folder of its own, started from an empty folder: no data/ anywhere.
mkdir -p "$work/bin" "$work/empty"
cp "$quz" "$work/bin/quz"
(cd "$work/empty" && exec timeout -s KILL 20 "$work/bin/quz" -windowed) >"$work/stdout" 2>"$work/stderr"
status=$?
(( status == 1 )) || fail "no data: status $status; stderr: $(cat "$work/stderr")"
grep -q "$work/empty" "$work/stderr" && grep -q "$work/bin" "$work/stderr" ||
  fail "no data: the folders looked in are not named; stderr: $(cat "$work/stderr")"
grep -q "Screen" "$work/stdout" && fail "no data: the window was opened first"
echo "no data: status 1, '$(head -1 "$work/stderr")'"

# A cut title image.
mkdir -p "$work/game"
cp -r "$data" "$work/game/data"
head -c 100 "$data/title.png" >"$work/game/data/title.png"
rm -f "$work/game/data/logo.png"
(cd "$work/game" && exec timeout -s KILL 20 "$quz" -windowed) >"$work/stdout" 2>"$work/stderr"
status=$?
(( status == 1 )) || fail "cut title.png: status $status; stderr: $(cat "$work/stderr")"
grep -q "Cannot Load data/title.png" "$work/stderr" || fail "cut title.png: stderr: $(cat "$work/stderr")"
echo "cut title.png: status 1, '$(grep -m1 "Cannot Load" "$work/stderr")'"

# Without its logo the program reports it, skips the intro and runs the menu until told to stop.
cp "$data/title.png" "$work/game/data/title.png"
(cd "$work/game" && exec "$quz" -windowed) >"$work/stdout" 2>"$work/stderr" &
game=$!
sleep 2
kill -0 "$game" 2>/dev/null || fail "no logo: the program ended; stderr: $(cat "$work/stderr")"
grep -q "^file not found : data/logo.png" "$work/stderr" || fail "no logo: stderr: $(cat "$work/stderr")"
kill -TERM "$game"
wait "$game"
status=$?
(( status == 0 )) || fail "no logo: status $status after SIGTERM; stderr: $(cat "$work/stderr")"
echo "no logo: intro skipped, menu ran, status 0 on SIGTERM"
