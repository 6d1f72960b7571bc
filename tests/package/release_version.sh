#!/usr/bin/env bash
# A release shows one version: the one CMake gives the build. This compares it with every other place that
# states it: the project line the scripts read, both Debian packages (file names, control fields, the
# changelog and manual pages they carry, the metainfo), what the built and the packaged programs print for
# --version, the game's window title, the manual pages and changelog of the source tree, and the file
# names the README gives.
#   release_version.sh BUILD_DIR VERSION QUZ QUZ_SCORED QUZ_VERIFY
set -uo pipefail
build=$1
version=$2
quz=$3
scored=$4
verify=$5
source=$(cd "$(dirname "$0")/../.." && pwd)
out=$build/package-test
arch=$(dpkg --print-architecture)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
wrong=0
# check WHAT FOUND: FOUND must be the version.
check() {
  if [[ $2 == "$version" ]]; then
    printf '  %-58s %s\n' "$1" "$2"
  else
    printf '  %-58s %s   <- not %s\n' "$1" "${2:-(nothing)}" "$version"
    wrong=1
  fi
}
# The version in a manual page's title line: its fourth field, "Quz 1.2" or "quz 1.2".
page_version() { sed -n '1s/^\.TH [^ ]* [0-9] "[^"]*" "[^ ]* \([^"]*\)".*/\1/p' "$1"; }
# The first (newest) release of a metainfo file.
release_version() { sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$1" | head -1; }
# The version of a program's --version line, the word after the program's name.
printed_version() { "$@" --version 2>&1 | sed -n '1s/^[^ ]* \([^ ]*\).*/\1/p'; }

echo "version $version (CMake):"
check "CMakeLists.txt as the scripts read it" "$(bash "$source/tools/project_version.sh" "$source")"
check "dist/changelog" "$(dpkg-parsechangelog -l "$source/dist/changelog" -S Version)"
check "dist/quz.6" "$(page_version "$source/dist/quz.6")"
check "server/quz-scored.8" "$(page_version "$source/server/quz-scored.8")"
check "tools/verify/quz-verify.1" "$(page_version "$source/tools/verify/quz-verify.1")"
check "dist/quz.metainfo.xml.in, newest release" "$(release_version "$source/dist/quz.metainfo.xml.in")"
check "quz --version" "$(printed_version "$quz")"
check "quz's window title" "$(grep -ao -- '-=-  Quz v[0-9][0-9.]*' "$quz" | head -1 | sed 's/.* v//; s/\.$//')"
check "quz-scored --version" "$(printed_version "$scored")"
check "quz-verify --version" "$(printed_version "$verify")"

unpacked=$out/release-root
rm -rf "$unpacked"
for package in quz quz-server; do
  deb=$out/${package}_${version}_${arch}.deb
  if [[ ! -f $deb ]]; then
    check "$package package file" "$(cd "$out" && ls ${package}_*.deb 2>/dev/null | tr '\n' ' ')"
    continue
  fi
  check "$(basename "$deb"): Version" "$(dpkg-deb -f "$deb" Version)"
  dpkg-deb -x "$deb" "$unpacked"
  gunzip -c "$unpacked/usr/share/doc/$package/changelog.gz" >"$out/release-changelog"
  check "$package: /usr/share/doc/$package/changelog.gz" "$(dpkg-parsechangelog -l "$out/release-changelog" -S Version)"
done
for page in man6/quz.6 man8/quz-scored.8 man1/quz-verify.1; do
  if [[ -f $unpacked/usr/share/man/$page.gz ]]; then
    gunzip -c "$unpacked/usr/share/man/$page.gz" >"$out/release-page"
    check "packaged /usr/share/man/$page.gz" "$(page_version "$out/release-page")"
  else
    check "packaged /usr/share/man/$page.gz" ""
  fi
done
check "packaged metainfo, newest release" "$(release_version "$(ls "$unpacked"/usr/share/metainfo/*.metainfo.xml)")"
check "packaged /usr/games/quz --version" "$(printed_version "$unpacked/usr/games/quz")"
check "packaged /usr/sbin/quz-scored --version" "$(printed_version "$unpacked/usr/sbin/quz-scored")"
check "packaged /usr/bin/quz-verify --version" "$(printed_version "$unpacked/usr/bin/quz-verify")"

# File names the README gives a reader: the packages and the Windows zip.
while read -r name; do
  check "README.md: $name" "$(sed -E 's/^quz(-server)?[_-]([0-9][0-9.]*[0-9])[_-].*/\2/' <<<"$name")"
done < <(grep -oE 'quz(-server)?(_[0-9][0-9.]*[0-9]_|-[0-9][0-9.]*[0-9]-windows)[^` ]*' "$source/README.md" | sort -u)

rm -rf "$unpacked" "$out/release-changelog" "$out/release-page"
[[ $wrong -eq 0 ]] || { echo "FAIL: the version differs where marked" >&2; exit 1; }
echo "one version everywhere: $version"
