#!/usr/bin/env bash
# The Windows zip as a player and a licence reader open it: one folder named for the version, quz.exe and
# its DLLs, each listed in README.txt with the licence texts of the libraries inside it, every such text
# in licenses/, and every common licence those texts name (a path on a Debian system) in licenses/common/;
# README.txt says how to start the game and where it keeps its files, in CR LF lines for Notepad.
#   windows_zip.sh ZIP VERSION
set -uo pipefail
zip=$1
version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ $(basename "$zip") == "quz-$version-windows-x64.zip" && -f $zip ]] || fail "no zip at $zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work" || fail "unzip $zip"
[[ $(ls "$work") == "quz-$version" ]] || fail "the zip's top folder is $(ls "$work")"
top=$work/quz-$version
readme=$top/README.txt
[[ -f $top/quz.exe && -f $top/LICENSE.txt && -f $readme ]] || fail "quz.exe, LICENSE.txt or README.txt is missing"
! grep -q $'[^\r]$' "$readme" || fail "README.txt has lines without CR LF"
text=$(tr -d '\r' <"$readme")
[[ $text != *@*@* ]] || fail "README.txt keeps a placeholder: $(grep -o '@[A-Z]*@' <<<"$text" | head -1)"
[[ $(head -1 <<<"$text") == "Quz $version for Windows" ]] || fail "README.txt's title: $(head -1 <<<"$text")"
for words in 'double-click' 'quz.exe -windowed' '%APPDATA%\quz\scores.vek' '%APPDATA%\quz\replays\' \
  '%APPDATA%\quz\quz.ini' 'reads quz.ini and scores.vek from the folder it' 'never writes'; do
  [[ $text == *"$words"* ]] || fail "README.txt does not say '$words'"
done

# The index: the lines after "Each file and the libraries in it:", a file name opening a group.
index=$(sed -n '/Each file and the libraries in it:/,$p' <<<"$text" | sed 1d)
listed=$(awk '$1 ~ /\.(exe|dll)$/ { print $1 }' <<<"$index" | sort -u)
shipped=$(cd "$top" && ls *.exe *.dll | sort)
[[ $listed == "$shipped" ]] || fail "README.txt lists $(echo $listed) but the zip holds $(echo $shipped)"
grep -q '^ *quz\.exe .* LICENSE\.txt$' <<<"$index" || fail "README.txt does not give the game's own licence"
named=$(grep -o 'licenses\\[A-Za-z0-9_.+-]*\.txt' <<<"$index" | sed 's/^licenses\\//' | sort -u)
[[ -n $named ]] || fail "README.txt names no licence file"
for licence in $named; do
  [[ -s $top/licenses/$licence ]] || fail "README.txt names licenses\\$licence, which the zip lacks"
done
[[ $(cd "$top/licenses" && ls *.txt | sort) == "$named" ]] ||
  fail "licenses/ holds $(cd "$top/licenses" && echo *.txt) but README.txt names $(echo $named)"
common=$(cat "$top"/licenses/*.txt | tr -d '\r' | grep -o '/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]' | sort -u)
for path in $common; do
  [[ -s $top/licenses/common/${path##*/}.txt ]] || fail "a licence names $path; licenses/common/${path##*/}.txt is missing"
done
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$top"/licenses/common/LGPL-2*.txt ||
  fail "MikMod's licence, the GNU LGPL, is not there in full"
echo "$(basename "$zip"): $(wc -l <<<"$shipped") programs and DLLs, $(wc -w <<<"$named") licence files, $(wc -w <<<"$common") common licences"
