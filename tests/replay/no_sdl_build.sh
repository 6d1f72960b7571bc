#!/usr/bin/env bash
# quz-verify and the replay room are compiled with no SDL or MikMod include path and link neither: the
# score server and a player's shell can run them where no window library is installed.
# Usage: no_sdl_build.sh SOURCE_DIR BUILD_DIR QUZ_VERIFY
set -euo pipefail
src=${1:?source folder}
build=${2:?build folder}
verify=${3:?quz-verify}
status=0
lines=$(grep -F '"command"' "$build/compile_commands.json" | grep -E -- "-c $src/(replay|tools/verify)/" || true)
[[ -n $lines ]] || { echo "no compile line of replay/ or tools/verify/ in $build/compile_commands.json" >&2; exit 1; }
if grep -iE 'sdl|mikmod' <<<"$lines" >/dev/null; then
  echo "replay/ or tools/verify/ is compiled with an SDL or MikMod include path" >&2
  status=1
fi
if ldd "$verify" | grep -iE 'sdl|mikmod'; then
  echo "quz-verify links a window or sound library (above)" >&2
  status=1
fi
[[ $status -eq 0 ]] && echo "replay/ and quz-verify: no SDL or MikMod include path, no such library linked"
exit $status
