#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quz need; does nothing when all
# are present. Uses sudo only when not root (a fresh container has no sudo).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libmikmod-dev
  libminizip-dev zlib1g-dev libpng-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev libsdl-gfx1.2-dev clang-tidy
  xvfb xauth xdotool imagemagick x11-apps x11-utils openbox openmpt123 xmp zip unzip sox bc
  clang libclang-rt-14-dev
  libsqlite3-dev libpq-dev libcpp-httplib-dev nlohmann-json3-dev libcli11-dev
  postgresql chromium curl
)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
