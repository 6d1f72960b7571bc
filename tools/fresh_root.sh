#!/usr/bin/env bash
# Tries the README's commands as a new player would, in a throwaway Debian 12 root made by
# `debootstrap --variant=minbase` with only git (and sudo, for the player's account) added:
#   1. as a user with sudo, a fresh clone's `./quz.sh run -windowed` installs what is missing, builds the
#      game and opens its window on an Xvfb started inside the root; F12 must end it with status 0;
#   2. as root, another fresh clone's `./quz.sh check` runs every test.
# Needs root and the Debian archive; not part of the ordinary test run (`make fresh-root`).
#
#   tools/fresh_root.sh [--dir DIR] [--branch BRANCH] [--keep] [--skip-check]
#
# DIR (default: a new folder under /var/tmp) receives the root, the logs and times.txt. Everything
# mounted is unmounted at the end, also on failure; the root is removed unless --keep is given.
set -euo pipefail

here=$(dirname "$0")/..
# The repository itself (its .git folder), which a worktree's .git file only points to.
repo=$(git -C "$here" rev-parse --path-format=absolute --git-common-dir)
branch=$(git -C "$here" rev-parse --abbrev-ref HEAD)
dir=""
keep=0
skip_check=0
while [[ $# -gt 0 ]]; do
  case $1 in
    --dir) dir=$2; shift 2 ;;
    --branch) branch=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --skip-check) skip_check=1; shift ;;
    *) echo "usage: $0 [--dir DIR] [--branch BRANCH] [--keep] [--skip-check]" >&2; exit 2 ;;
  esac
done
# The version of the branch under test: its window is found by its title, "Quz v<version>".
version=$(git -C "$repo" show "$branch:CMakeLists.txt" | bash "$here/tools/project_version.sh" -)
[[ $(id -u) -eq 0 ]] || { echo "fresh_root.sh needs root (debootstrap, chroot and mounts)." >&2; exit 1; }

[[ -n $dir ]] || dir=$(mktemp -d /var/tmp/quz-fresh-root.XXXXXX)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
source "$here/tools/lib/bare_root.sh"
make_bare_root
mount_into "$root/src" --bind "$repo"
mount -o remount,bind,ro "$root/src"

log "installing git and sudo, and a player account that may use sudo"
start=$(date +%s)
in_root apt-get update -qq >"$dir/apt-git.log" 2>&1
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git sudo \
  >>"$dir/apt-git.log" 2>&1 || { tail -20 "$dir/apt-git.log"; exit 1; }
in_root useradd --create-home --shell /bin/bash player
echo "player ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/player"
chmod 440 "$root/etc/sudoers.d/player"
note_time "git and sudo" $(($(date +%s) - start))
# The repository belongs to another user than the clones' owners.
in_root git config --system safe.directory '*'

# 1. The run command, as the player, timed from the clone to the game's window.
log "player: git clone --branch $branch, then ./quz.sh run -windowed"
start=$(date +%s)
in_root su - player -c "git clone -q --branch '$branch' /src quz"
(in_root su - player -c "cd quz && DISPLAY=:42 ./quz.sh run -windowed" >"$dir/run.log" 2>&1) &
runner=$!
started+=("$runner")
# The set-up installs Xvfb long before the game is built: start it as soon as it is there.
xvfb=""
window=""
deadline=$(($(date +%s) + 3600))
while [[ -z $window ]]; do
  kill -0 "$runner" 2>/dev/null || { tail -30 "$dir/run.log"; echo "the run command ended before a window" >&2; exit 1; }
  (($(date +%s) < deadline)) || { echo "no game window within an hour" >&2; exit 1; }
  if [[ -z $xvfb && -x $root/usr/bin/Xvfb ]]; then
    sleep 2  # let dpkg finish unpacking Xvfb's libraries
    (in_root Xvfb :42 -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1) &
    xvfb=$!
    started+=("$xvfb")
  fi
  if [[ -n $xvfb && -x $root/usr/bin/xdotool ]]; then
    window=$(in_root env DISPLAY=:42 xdotool search --name "Quz v$version" 2>/dev/null | head -1 || true)
  fi
  [[ -n $window ]] || sleep 1
done
note_time "clone to game window (./quz.sh run, bare root)" $(($(date +%s) - start))
sleep 12  # the logo intro and the menu's fade-in
in_root env DISPLAY=:42 import -window "$window" /tmp/menu.png && cp "$root/tmp/menu.png" "$dir/menu.png" ||
  log "no screenshot"
in_root env DISPLAY=:42 xdotool keydown F12
sleep 0.3
in_root env DISPLAY=:42 xdotool keyup F12
for _ in $(seq 100); do kill -0 "$runner" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$runner" 2>/dev/null; then
  echo "F12 did not end the game" >&2
  exit 1
fi
wait "$runner" && status=0 || status=$?
[[ $status -eq 0 ]] || { tail -30 "$dir/run.log"; echo "the run command ended with status $status" >&2; exit 1; }
log "the game's window appeared (screenshot $dir/menu.png) and F12 ended it with status 0"
kill -9 "$xvfb" 2>/dev/null || true

# 2. The test command, as root, in its own fresh clone.
if [[ $skip_check -eq 0 ]]; then
  log "root: git clone --branch $branch, then ./quz.sh check"
  start=$(date +%s)
  in_root git clone -q --branch "$branch" /src /root/quz
  in_root bash -c "cd /root/quz && ./quz.sh check" >"$dir/check.log" 2>&1 ||
    { tail -60 "$dir/check.log"; echo "./quz.sh check failed in the fresh root" >&2; exit 1; }
  note_time "clone to end of ./quz.sh check (root)" $(($(date +%s) - start))
  grep -E 'tests passed|Total Test time' "$dir/check.log" | tee -a "$dir/progress.log"
fi
log "all done"
cat "$times"
