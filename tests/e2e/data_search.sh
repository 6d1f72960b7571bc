#!/usr/bin/env bash
# Without a window: "--help" and "--version" answer at once, and a game with no data anywhere names
# every folder it tried in one error and ends with status 1 before opening a window. A stray data/
# folder in the starting folder is not mistaken for the game's.
set -u
quz=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

version=$(bash "$(dirname "$0")/../../tools/project_version.sh")
[[ $("$quz" --version) == "Quz $version" ]] || fail "--version printed '$("$quz" --version)'"
help=$("$quz" --help) || fail "--help ended with status $?"
for word in -windowed --help --version quz.ini F12; do
  [[ $help == *"$word"* ]] || fail "--help does not mention $word"
done

mkdir -p "$out/prefix/games" "$out/start/data"
cp "$quz" "$out/prefix/games/quz"
cd "$out/start"
timeout 20 "$out/prefix/games/quz" -windowed >"$out/stdout" 2>"$out/stderr"
status=$?
[[ $status -eq 1 ]] || fail "status $status without data; stderr: $(cat "$out/stderr")"
[[ ! -s $out/stdout ]] || fail "the game went on to open a window: $(cat "$out/stdout")"
[[ $(wc -l <"$out/stderr") -eq 1 ]] || fail "more than one error line: $(cat "$out/stderr")"
for tried in "$out/start/data" "$out/prefix/games/data" "$out/prefix/share/games/quz/data"; do
  grep -qF "$tried" "$out/stderr" || fail "'$tried' is not named in: $(cat "$out/stderr")"
done
echo "no data: status 1, one line naming every folder tried"
