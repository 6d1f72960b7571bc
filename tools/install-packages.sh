#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet; does nothing when
# all are. Uses sudo only when not root (a fresh system has no sudo, and root needs none). Shared by
# tools/install-deps.sh and tools/install-windows-deps.sh.
set -euo pipefail
packages=("$@")
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
