#!/usr/bin/env bash
# Installs what the Windows build needs on Debian 12: the MinGW-w64 cross-compiler (the posix thread
# model, for std::thread), Debian's MinGW zlib, Wine to run the Windows tests, and the tools that fetch
# and unpack Debian source packages. Does nothing when all are present; sudo only when not root.
# --list prints the packages instead (tools/install-deps.sh installs them with its own).
set -euo pipefail
packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 dpkg-dev xz-utils zip unzip cmake make
)
if [[ ${1:-} == --list ]]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing for the Windows build: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "These Debian packages are missing and installing them needs root. Run this again as root, or" >&2
    echo "install sudo, or ask an administrator to run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
