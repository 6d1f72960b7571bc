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
exec bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
