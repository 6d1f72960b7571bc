#!/usr/bin/env bash
# Prints the version the build gives Quz, read from the project line of CMakeLists.txt: the one in
# SOURCE_DIR (default: this checkout), or on standard input with "-". Scripts that look for the window
# by its title ("Quz v<version>") or check what the programs print take it from here, never a literal.
#   project_version.sh [SOURCE_DIR | -]
set -euo pipefail
source_dir=${1:-$(dirname "$0")/..}
if [[ $source_dir == - ]]; then
  lists=$(cat)
else
  lists=$(<"$source_dir/CMakeLists.txt")
fi
version=$(sed -n 's/^project(quz VERSION \([0-9][0-9.]*\)[ )].*/\1/p' <<<"$lists" | head -1)
[[ -n $version ]] || { echo "project_version.sh: no 'project(quz VERSION ...)' line" >&2; exit 1; }
echo "$version"
