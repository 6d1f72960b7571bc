#!/usr/bin/env bash
# Runs a Windows program under Wine without a prompt or a dialog: a private Wine folder (WINEPREFIX) made
# once per build folder and reused, Mono and Gecko never offered (nothing here needs .NET or HTML), Wine's
# own debug lines off, and the cross-built DLLs found through WINEPATH. CTest uses it to run the Windows
# test programs; the end-to-end script starts quz.exe with it.
#   QUZ_WINDOWS_PREFIX=<libraries> WINEPREFIX=<folder> wine_run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: wine_run.sh PROGRAM.exe [ARGUMENTS...]" >&2; exit 2; }
: "${WINEPREFIX:?wine_run.sh needs WINEPREFIX, a folder of its own}"
export WINEPREFIX
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Wine names Unix files in the locale's character set: under the C locale (a bare root, `env -i`) a
# non-ASCII Windows file name has no Unix name at all and every call on it fails.
if [[ $(locale charmap 2>/dev/null) != UTF-8 ]]; then
  export LC_ALL=C.UTF-8
fi
# Without QUZ_WINDOWS_PREFIX a program finds only the DLLs beside it, as on a player's Windows.
if [[ -n ${QUZ_WINDOWS_PREFIX:-} ]]; then
  runtime_dirs="Z:$QUZ_WINDOWS_PREFIX/bin;Z:/usr/x86_64-w64-mingw32/lib"
  for dir in /usr/lib/gcc/x86_64-w64-mingw32/*-posix; do runtime_dirs+=";Z:$dir"; done
  export WINEPATH="${runtime_dirs//\//\\}"
fi

wine=$(command -v wine64 || command -v wine || true)
[[ -n $wine ]] || { echo "wine_run.sh: Wine is not installed (tools/install-windows-deps.sh installs it)" >&2; exit 1; }
if [[ -x /usr/lib/wine/wine64 ]]; then
  wine=/usr/lib/wine/wine64
fi

# The first use makes the Wine folder (about half a minute); programs started at the same time wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [[ ! -f $WINEPREFIX/.quz-ready ]]; then
    rm -rf "$WINEPREFIX"
    DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w
    [[ -f $WINEPREFIX/system.reg ]] || { echo "wine_run.sh: Wine could not make $WINEPREFIX" >&2; exit 1; }
    touch "$WINEPREFIX/.quz-ready"
  fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"
