#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging Quz need; does nothing when
# all are present. Uses sudo only when not root (a fresh system has no sudo, and root needs none).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libmikmod-dev
  libminizip-dev zlib1g-dev libpng-dev fonts-dejavu-core fonts-dejavu-extra
  libgtest-dev libgmock-dev libbenchmark-dev libsdl2-gfx-dev clang-tidy
  xvfb xauth xdotool imagemagick x11-apps x11-utils openbox openmpt123 xmp zip unzip sox bc
  # util-linux and iproute2 give the test run a loopback of its own (tests/private_loopback.sh).
  util-linux iproute2
  # llvm-14 has /usr/bin/llvm-symbolizer-14, where Debian's sanitizer runtime looks: without it no frame is
  # named, so the SDL leaks that tests/lsan.supp suppresses by name fail the sanitizer run.
  clang libclang-rt-14-dev llvm-14
  dpkg-dev file lintian desktop-file-utils appstream
  libcurl4-openssl-dev libsqlite3-dev sqlite3 libpq-dev libmicrohttpd-dev nlohmann-json3-dev libcli11-dev
  postgresql chromium curl
  # The reverse-proxy example in dist/ is checked with nginx -t; its stream block needs the stream module.
  nginx libnginx-mod-stream
)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "These Debian packages are missing and installing them needs root. Run this again as root, or" >&2
    echo "install sudo, or ask an administrator to run: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
# sudo drops the caller's environment, so the front end is set on the command itself.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
