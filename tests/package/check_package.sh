#!/usr/bin/env bash
# What a packager checks: the package's name and fields, dependencies on runtime libraries only (and the
# certificate authorities https needs), a stripped program in /usr/games, the files a desktop needs, the
# replay files' type and the entry that opens them, and lintian, desktop-file-validate and appstreamcli
# with nothing to report.
#   check_package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
out=$build/package-test
root=$out/root
fail() { echo "FAIL: $*" >&2; exit 1; }
deb=$(ls "$out"/quz_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no package in $out"
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "quz_${version}_${arch}.deb" ]] || fail "package file is $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quz && $(field Version) == "$version" && $(field Section) == games ]] ||
  fail "control fields: $(dpkg-deb -f "$deb")"
depends=$(field Depends)
[[ -n $depends ]] || fail "no Depends field"
for library in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-ttf-2.0-0 libmikmod libminizip libcurl4 libc6 ca-certificates; do
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

metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
desktop=$root/usr/share/applications/$(basename "$metainfo" .metainfo.xml).desktop
replay_desktop=${desktop%.desktop}.replay.desktop
[[ $(ls "$root"/usr/share/applications/*.desktop | wc -l) -eq 2 ]] ||
  fail "desktop entries: $(ls "$root"/usr/share/applications)"
for entry in "$desktop" "$replay_desktop"; do
  desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
done
# The launcher starts the game with no file; the replay entry takes one and stays out of the menus.
grep -qx 'Exec=quz' "$desktop" && ! grep -q -e '^NoDisplay=' -e '^MimeType=' "$desktop" ||
  fail "the launcher is not a plain 'quz': $(cat "$desktop")"
grep -qx 'Exec=quz --replay %f' "$replay_desktop" && grep -qx 'NoDisplay=true' "$replay_desktop" &&
  grep -qx 'MimeType=application/x-quz-replay;' "$replay_desktop" ||
  fail "the replay entry: $(cat "$replay_desktop")"
grep -qx 'Categories=Game;LogicGame;' "$desktop" || fail "categories of $desktop"
grep -q '^Name\[fr\]=' "$desktop" && grep -q '^Comment\[fr\]=' "$desktop" || fail "no French name or comment"
appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli validate: $metainfo"
[[ $(basename "$desktop" .desktop) == $(basename "$metainfo" .metainfo.xml) ]] ||
  fail "desktop entry and metainfo names differ"
man -l "$root/usr/share/man/man6/quz.6.gz" >/dev/null 2>"$out/man.err" && [[ ! -s $out/man.err ]] ||
  fail "manual page: $(cat "$out/man.err")"
page=$(MANWIDTH=200 man -l "$root/usr/share/man/man6/quz.6.gz" 2>/dev/null)
for words in '--replay FILE' '--replay-speed=N' '$XDG_DATA_HOME/quz/replays/' 'best.quzr' 'Submit=URL'; do
  [[ $page == *"$words"* ]] || fail "the manual page does not mention $words"
done

# Replay files as a desktop sees them, through shared-mime-info and GIO: the package's type alone in a
# private database, and its desktop entries as the only applications.
mime_xml=$root/usr/share/mime/packages/quz.xml
[[ -f $mime_xml ]] || fail "usr/share/mime/packages/quz.xml is missing"
grep -q '<mediatype>application/x-quz-replay</mediatype>' "$metainfo" || fail "the metainfo does not name the replay type"
desk=$out/desktop-view
rm -rf "$desk"
mkdir -p "$desk/share/mime/packages" "$desk/share/applications" "$desk/home" "$desk/files"
# GIO only offers an entry whose program it finds: the unpacked game's folder is on the PATH.
in_desktop() {
  env -i PATH="$root/usr/games:/usr/bin:/bin" HOME="$desk/home" XDG_DATA_HOME="$desk/home" \
    XDG_CONFIG_HOME="$desk/home" XDG_DATA_DIRS="$desk/share" "$@"
}
cp "$mime_xml" "$desk/share/mime/packages/"
in_desktop update-mime-database "$desk/share/mime" >"$out/mime.log" 2>&1 && [[ ! -s $out/mime.log ]] ||
  fail "update-mime-database: $(cat "$out/mime.log")"
cp "$desktop" "$replay_desktop" "$desk/share/applications/"
in_desktop update-desktop-database "$desk/share/applications" || fail "update-desktop-database"
# A replay as the game writes it (compressed), and its bytes unpacked under a name that says nothing.
recorded=$(dirname "$0")/../replays/01-mouse-lookahead.quzr
cp "$recorded" "$desk/files/game.quzr"
perl -MCompress::Zlib -e 'binmode STDOUT; local $/; open my $in, "<:raw", $ARGV[0] or exit 1;
  my $bytes = uncompress(<$in>); defined $bytes or exit 1; print $bytes' "$recorded" >"$desk/files/plain.bin" ||
  fail "cannot unpack $recorded"
for file in game.quzr plain.bin; do
  type=$(in_desktop gio info -a standard::content-type "$desk/files/$file" | sed -n 's/^ *standard::content-type: //p')
  [[ $type == application/x-quz-replay ]] || fail "$file is seen as '$type'"
done
handler=$(in_desktop gio mime application/x-quz-replay | sed -n 's/^Default application for .*: //p')
[[ $handler == $(basename "$replay_desktop") ]] || fail "replays open with '$handler'"

# Neither an error nor a warning; informational tags are shown for the packager.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 ||
  fail "lintian: $(cat "$out/lintian.txt")"
echo "$(basename "$deb"): Depends: $depends"
echo "lintian: $(grep -c '^E:' "$out/lintian.txt") errors, $(grep -c '^W:' "$out/lintian.txt") warnings"
cat "$out/lintian.txt"
