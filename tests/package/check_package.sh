#!/usr/bin/env bash
# What a packager checks: the package's name and fields, dependencies on runtime libraries only, a
# stripped program in /usr/games, the files a desktop needs, and lintian, desktop-file-validate and
# appstreamcli with nothing to report as an error.
set -uo pipefail
build=$1
out=$build/package-test
root=$out/root
fail() { echo "FAIL: $*" >&2; exit 1; }
deb=$(ls "$out"/quz_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no package in $out"
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "quz_1.1_${arch}.deb" ]] || fail "package file is $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quz && $(field Version) == 1.1 && $(field Section) == games ]] ||
  fail "control fields: $(dpkg-deb -f "$deb")"
depends=$(field Depends)
[[ -n $depends ]] || fail "no Depends field"
for library in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-ttf-2.0-0 libmikmod libminizip libc6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ $depends == *libsdl1.2* || $depends == *libsdl-image1.2* || $depends == *libsdl-ttf2.0* ]] &&
  fail "Depends names an SDL 1.2 library: $depends"
[[ $depends == *-dev* || $depends == *gtest* || $depends == *benchmark* || $depends == *xvfb* ]] &&
  fail "Depends names build or test packages: $depends"

file -b "$root/usr/games/quz" | grep -q 'ELF.*, stripped' || fail "usr/games/quz is not a stripped program"
for path in usr/share/games/quz/data/mouse.png usr/share/games/quz/data/sound/1.zik \
  usr/share/games/quz/data/en/play.png usr/share/man/man6/quz.6.gz usr/share/doc/quz/copyright \
  usr/share/doc/quz/changelog.gz; do
  [[ -f $root/$path ]] || fail "$path is missing"
done
[[ ! -e $root/usr/share/games/quz/data/.stamp ]] || fail "the build stamp was installed"
for size in 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/quz.png
  [[ $(/usr/bin/identify -format "%wx%h %[channels]" "$icon" 2>/dev/null) == "${size}x${size} srgba"* ]] ||
    fail "icon $size: $(/usr/bin/identify "$icon" 2>&1)"
done

desktop=$(ls "$root"/usr/share/applications/*.desktop)
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
grep -qx 'Categories=Game;LogicGame;' "$desktop" || fail "categories of $desktop"
grep -q '^Name\[fr\]=' "$desktop" && grep -q '^Comment\[fr\]=' "$desktop" || fail "no French name or comment"
appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate: $metainfo"
[[ $(basename "$desktop" .desktop) == $(basename "$metainfo" .metainfo.xml) ]] ||
  fail "desktop entry and metainfo names differ"
man -l "$root/usr/share/man/man6/quz.6.gz" >/dev/null 2>"$out/man.err" && [[ ! -s $out/man.err ]] ||
  fail "manual page: $(cat "$out/man.err")"

# lintian exits non-zero on errors only with --fail-on; warnings are shown for the packager.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 ||
  fail "lintian: $(cat "$out/lintian.txt")"
echo "$(basename "$deb"): Depends: $depends"
echo "lintian: $(grep -c '^E:' "$out/lintian.txt") errors, $(grep -c '^W:' "$out/lintian.txt") warnings"
cat "$out/lintian.txt"
