#!/usr/bin/env bash
# Opens a replay file as a player's file manager would, on a machine that has only the game's package:
# in a throwaway Debian 12 root (debootstrap --variant=minbase, tools/lib/bare_root.sh) it installs what a
# desktop has for opening files (xdg-utils, GIO's gio, shared-mime-info, desktop-file-utils) and an X
# server (Xvfb), then the game's .deb with apt, which must pull in every library the package depends on,
# and opens a recorded game from a player's Downloads folder three ways: `gio open` (what GTK file
# managers call), `xdg-open` in a GNOME session (which hands it to gio) and `xdg-open` with no desktop
# named (xdg-utils' own lookup). Each must start `quz --replay FILE` with its window; the first is
# watched to the replay's end, where the score on screen must be the one quz-verify re-plays from the
# file. Needs root and the Debian archive; not part of the ordinary test run (`make open-replay-root`).
#
#   tools/open_replay_root.sh [--dir DIR] [--keep] GAME_DEB QUZ_VERIFY
#
# DIR (default: a new folder under /var/tmp) receives the root, the logs, the screenshots, times.txt and
# proof.txt. Everything mounted is unmounted at the end, also on failure; the root is removed unless
# --keep is given.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
dir=""
keep=0
args=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --dir) dir=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[[ ${#args[@]} -eq 2 ]] || { echo "usage: $0 [--dir DIR] [--keep] GAME_DEB QUZ_VERIFY" >&2; exit 2; }
deb=$(readlink -f "${args[0]}")
verify=$(readlink -f "${args[1]}")
[[ -f $deb && -x $verify ]] || { echo "no package at $deb or no quz-verify at $verify" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "open_replay_root.sh needs root (debootstrap, chroot and mounts)." >&2; exit 1; }
version=$(bash "$here/tools/project_version.sh" "$here")
# The shortest of the recorded test games (about two minutes), so the replay can be watched to its end.
recorded=$here/tests/replays/21-window-closed.quzr
expected=$("$verify" -q "$recorded") || { echo "quz-verify refuses $recorded: $expected" >&2; exit 1; }
score=$(sed -n 's/.* OK score \(-\?[0-9]*\) .*/\1/p' <<<"$expected")
ticks=$(sed -n 's/.* ticks \([0-9]*\) .*/\1/p' <<<"$expected")

[[ -n $dir ]] || dir=$(mktemp -d /var/tmp/quz-open-replay.XXXXXX)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
source "$here/tools/lib/bare_root.sh"
proof=$dir/proof.txt
: >"$proof"
fail() { echo "FAIL: $*" | tee -a "$proof" >&2; exit 1; }
prove() { echo "$*" | tee -a "$proof"; }
prove "package: $(basename "$deb"); replay: $(basename "$recorded") ($expected)"
make_bare_root

log "the desktop's tools for opening files, and an X server"
start=$(date +%s)
desktop=(xdg-utils libglib2.0-bin shared-mime-info desktop-file-utils xvfb)
in_root apt-get update -qq >"$dir/apt-desktop.log" 2>&1
# As a desktop has them: with what they recommend (xdg-utils' own MIME lookup comes that way).
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${desktop[@]}" >>"$dir/apt-desktop.log" 2>&1 ||
  { tail -20 "$dir/apt-desktop.log"; exit 1; }
note_time "desktop tools (${desktop[*]}, with their recommends)" $(($(date +%s) - start))

log "the game's package, by apt from the file"
start=$(date +%s)
cp "$deb" "$root/tmp/"
# Without recommends: what the game needs must be in its Depends.
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "/tmp/$(basename "$deb")" \
  >"$dir/apt-game.log" 2>&1 || { tail -20 "$dir/apt-game.log"; exit 1; }
note_time "apt install ./$(basename "$deb")" $(($(date +%s) - start))
prove "apt pulled in for the game: $(sed -n '/^The following NEW packages/,/^[0-9]* upgraded/p' "$dir/apt-game.log" |
  sed '1d;$d' | tr -s ' \n' ' ')"
prove "installed: $(in_root dpkg-query -W -f='${Package} ${Version}, Depends: ${Depends}' quz)"
# The triggers of shared-mime-info and desktop-file-utils ran for the package's files.
grep -q 'application/x-quz-replay:\*\.quzr' "$root/usr/share/mime/globs2" ||
  fail "the MIME database does not know *.quzr"
grep -q '^application/x-quz-replay=.*replay\.desktop' "$root/usr/share/applications/mimeinfo.cache" ||
  fail "no desktop entry is registered for application/x-quz-replay"
prove "MIME database: $(grep x-quz-replay "$root/usr/share/mime/globs2" | tr '\n' ' ')"
prove "mimeinfo.cache: $(grep x-quz-replay "$root/usr/share/applications/mimeinfo.cache")"

# A player with a replay somebody sent, and no score server (a replay never sends, but the game's
# defaults would name one).
in_root useradd --create-home --shell /bin/bash player
home=$root/home/player
mkdir -p "$home/Downloads" "$home/.config/quz"
cp "$recorded" "$home/Downloads/game.quzr"
printf '[Scores]\nServer=off\nSubmit=off\n' >"$home/.config/quz/quz.ini"
in_root chown -R player:player /home/player

# An X server at a display number free on this machine (its abstract socket is shared with the root), at
# the game's own size, so a screenshot is the game's picture pixel for pixel.
display=""
for n in $(seq 140 199); do
  if [[ ! -e /tmp/.X$n-lock ]] && ! grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix; then
    display=:$n
    break
  fi
done
[[ -n $display ]] || fail "no free display number"
(in_root Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >"$dir/xvfb.log" 2>&1) &
started+=("$!")
for _ in $(seq 100); do
  [[ -e $root/tmp/.X11-unix/X${display#:} ]] && break
  sleep 0.1
done
[[ -e $root/tmp/.X11-unix/X${display#:} ]] || fail "Xvfb did not start: $(cat "$dir/xvfb.log")"

# Runs a command as the player in a desktop session's environment (the PATH /etc/profile gives a user,
# /usr/games included), plus the variables given before the command.
as_player() {
  in_root runuser -u player -- env HOME=/home/player USER=player LOGNAME=player SHELL=/bin/bash \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games DISPLAY="$display" LANG=C.UTF-8 "$@"
}
# The pid of the game running inside the root, if any.
game_pid() {
  local proc
  for proc in /proc/[0-9]*; do
    [[ $(readlink "$proc/root" 2>/dev/null) == "$root" && $(readlink "$proc/exe" 2>/dev/null) == */usr/games/quz ]] &&
      { echo "${proc#/proc/}"; return 0; }
  done
  return 1
}
shot() { DISPLAY=$display import -window "$window" "$dir/$1" 2>/dev/null || fail "no screenshot $1"; }

# open_replay NAME [VAR=VALUE...] OPENER...: opens the file, then proves the game shows it: its command
# line, its window's title, a screenshot. Leaves the game running, its pid in `game`, its window in
# `window`. The opener runs in the background: gio returns at once, xdg-open of no desktop waits for the
# program it started.
open_replay() {
  local name=$1 pid="" opened
  shift
  window=""
  log "opening the replay with: $*"
  opened=$(date +%s.%N)
  (as_player "$@" /home/player/Downloads/game.quzr >"$dir/$name.log" 2>&1; echo "$* ended with status $?" \
    >>"$dir/$name.status") &
  for _ in $(seq 300); do
    pid=$(game_pid) && break
    sleep 0.1
  done
  [[ -n $pid ]] || fail "$name: no game started; its output: $(cat "$dir/$name.log")"
  local command_line
  command_line=$(tr '\0' ' ' <"/proc/$pid/cmdline")
  # GIO starts "quz" from the PATH, xdg-utils names the program it found there.
  [[ ${command_line#/usr/games/} == "quz --replay /home/player/Downloads/game.quzr " ]] ||
    fail "$name: the game was started as '$command_line'"
  for _ in $(seq 300); do
    window=$(DISPLAY=$display xdotool search --name "Quz v$version" 2>/dev/null | head -1) && [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]] || fail "$name: no window titled Quz v$version"
  local seconds
  seconds=$(awk -v a="$opened" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  note_time "$name: from the open to the game's window" "$seconds"
  sleep 5
  shot "$name.png"
  prove "$name: pid $pid, command line '$command_line', window '$(DISPLAY=$display xdotool getwindowname "$window")'," \
    "window after ${seconds} s, screenshot $dir/$name.png"
  game=$pid
}

# The score on a screenshot: each of the panel's six digits is one of numbers.png's (20 by 28 each), as
# the replay e2e test reads it.
E2E_HOME=$dir
source "$here/tests/e2e/lib/image_match.sh"
shows_score() {
  local png=$1 digits d i
  digits=$(printf '%06d' "$2")
  for i in 0 1 2 3 4 5; do
    d=${digits:i:1}
    /usr/bin/convert "$root/usr/share/games/quz/data/numbers.png" -crop "20x28+$((d * 20))+0" +repage \
      "$E2E_MATCH_DIR/digit.png"
    is_shown "$png" "$E2E_MATCH_DIR/digit.png" $((500 + 20 * i)) 277 20 28 0.9 || return 1
  done
}

stop_game() {  # SIGTERM quits the game at once
  kill -TERM "$1" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  fail "the game did not quit on SIGTERM"
}

# 1. What a GTK file manager does, watched to the replay's end.
open_replay gio-open gio open
start=$(date +%s)
limit=$((ticks / 60 + 90))
while kill -0 "$game" 2>/dev/null; do
  (($(date +%s) - start < limit)) || fail "the replay did not end within $limit s"
  if grep -q '^Replay over' "$dir/gio-open.log" && [[ ! -e $dir/gio-open-end.png ]]; then
    sleep 0.5
    shot gio-open-end.png
  fi
  sleep 0.5
done
grep -q '^Replay over' "$dir/gio-open.log" || fail "the game ended before the replay's end: $(cat "$dir/gio-open.log")"
[[ -e $dir/gio-open-end.png ]] || fail "no screenshot of the replay's end"
shows_score "$dir/gio-open-end.png" "$score" || fail "the score on $dir/gio-open-end.png is not $score"
note_time "gio-open: from the window to the replay's end and the game's exit" $(($(date +%s) - start))
prove "gio-open: '$(grep '^Replay over' "$dir/gio-open.log")'; the game quit by itself; the screen's score" \
  "is $score, as quz-verify re-plays it ($dir/gio-open-end.png)"

# 2. xdg-open on a GNOME desktop, which hands the file to gio.
open_replay xdg-open-gnome XDG_CURRENT_DESKTOP=GNOME xdg-open
stop_game "$game"

# 3. xdg-open with no desktop named: xdg-utils finds the type and the entry itself.
open_replay xdg-open-plain xdg-open
stop_game "$game"

sleep 1
prove "openers: $(cat "$dir"/*.status | tr '\n' ';')"
prove "the replay file opened in the game three ways; other lines of the game and the openers: $(cat "$dir"/*open*.log |
  grep -v '^Replay over' | sort -u | tr '\n' ' ')"
log "all done"
cat "$times"
