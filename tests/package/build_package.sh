#!/usr/bin/env bash
# Makes the Debian package from the build tree into <build>/package-test/ and unpacks it into
# <build>/package-test/root, for the package checks and the installed-game tests that follow.
set -euo pipefail
build=$1
out=$build/package-test
rm -rf "$out"
mkdir -p "$out"
cd "$build"
cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
debs=("$out"/quz_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "FAIL: expected one quz_*.deb in $out" >&2; ls -l "$out" >&2; exit 1; }
dpkg-deb -x "${debs[0]}" "$out/root"
echo "$(basename "${debs[0]}"): $(stat -c %s "${debs[0]}") bytes"
