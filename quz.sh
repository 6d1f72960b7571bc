#!/usr/bin/env bash
# The front door on a bare Debian 12: installs what building Quz needs (make, the compiler, CMake and the
# libraries; with sudo when not root), then runs the same make targets as everyone else.
#   ./quz.sh run [-windowed]   build the game only and start it
#   ./quz.sh check             build everything and run every test
#   ./quz.sh package           build the Debian packages (build/quz_<version>_<arch>.deb and quz-server_<version>_<arch>.deb)
#   ./quz.sh windows           build the Windows zip (build-windows/quz-<version>-windows-x64.zip)
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  echo "usage: ./quz.sh run [-windowed] | check | package | windows" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
command=$1
shift
case $command in
  run | check | package | windows) ;;
  *) usage ;;
esac
[[ $command == run || $# -eq 0 ]] || usage

bash tools/install-deps.sh
[[ $command != windows ]] || bash tools/install-windows-deps.sh
if [[ $command == run ]]; then
  exec make run ARGS="$*"
fi
exec make "$command"
