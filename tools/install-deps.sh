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
  # The package check sees replay files as a desktop does: shared-mime-info's database and GIO (gio).
  shared-mime-info libglib2.0-bin
  libcurl4-openssl-dev libsqlite3-dev sqlite3 libpq-dev libmicrohttpd-dev nlohmann-json3-dev libcli11-dev
  postgresql chromium curl
  # The reverse-proxy example in dist/ is checked with nginx -t; its stream block needs the stream module.
  nginx libnginx-mod-stream
)
# The Windows build and its tests under Wine are part of the test command unless QUZ_WINDOWS=0: one
# apt run installs both sets.
if [[ ${QUZ_WINDOWS:-1} != 0 ]]; then
  mapfile -t windows_packages < <(bash "$(dirname "$0")/install-windows-deps.sh" --list)
  packages+=("${windows_packages[@]}")
fi
exec bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
