# A throwaway Debian 12 root for the scripts that try Quz as a new machine would (tools/fresh_root.sh,
# tools/open_replay_root.sh): `debootstrap --variant=minbase` from this machine's archive, with /proc,
# /sys, /dev and a private /dev/shm mounted inside. Source it with `dir` (the folder that receives the
# root, the logs and times.txt; it must exist) and `keep` (1: the root stays after the run) set, then call
# make_bare_root. On exit, whatever was started (pids in `started`) or still runs inside the root is
# killed, everything mounted is unmounted, also on failure, and the root is removed unless kept.

root=$dir/root
times=$dir/times.txt
: >"$times"
mounted=()
started=()

log() { echo "$(date +%H:%M:%S) $*" | tee -a "$dir/progress.log"; }
note_time() { echo "$1: $2 s" | tee -a "$times"; }

bare_root_cleanup() {
  local status=$?
  set +e
  # Waited for, so that the shell does not report each one killed.
  for pid in "${started[@]}"; do
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  # Whatever still runs inside the root was started by the script (the game, Xvfb, a build).
  for proc in /proc/[0-9]*; do
    [[ $(readlink "$proc/root" 2>/dev/null) == "$root" ]] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  sleep 1
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  if [[ $keep -eq 0 && -d $root ]] && ! grep -q " $root/" /proc/mounts; then
    rm -rf "$root"
  fi
  log "finished with status $status; logs and times in $dir"
  exit "$status"
}
trap bare_root_cleanup EXIT
trap 'exit 130' INT TERM

mount_into() {  # mount_into TARGET ARGS...: mounts and remembers it for the cleanup
  local target=$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}

in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

make_bare_root() {
  if ! command -v debootstrap >/dev/null; then
    apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends debootstrap
  fi
  # The archive this machine uses, so the root sees the same Debian 12.
  local mirror start
  mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  mirror=${mirror:-http://deb.debian.org/debian}

  log "debootstrap --variant=minbase bookworm from $mirror into $root"
  start=$(date +%s)
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$dir/debootstrap.log" 2>&1 ||
    { tail -20 "$dir/debootstrap.log"; exit 1; }
  note_time debootstrap $(($(date +%s) - start))

  cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
SOURCES
  # Apt's own settings of this machine (a caching archive may serve Release files past their date).
  local conf
  for conf in /etc/apt/apt.conf.d/99artifact-registry; do
    [[ -f $conf ]] && cp "$conf" "$root/etc/apt/apt.conf.d/"
  done
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount_into "$root/proc" -t proc proc
  mount_into "$root/sys" -t sysfs sysfs
  # Private, so that what is mounted below the root's /dev never shows through in this machine's /dev.
  mount_into "$root/dev" --bind /dev
  mount --make-private "$root/dev"
  mount_into "$root/dev/pts" --bind /dev/pts
  mount --make-private "$root/dev/pts"
  mount_into "$root/dev/shm" -t tmpfs tmpfs
}
