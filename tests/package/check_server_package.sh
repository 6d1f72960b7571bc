#!/usr/bin/env bash
# The score server's package, as a packager and an operator check it: its fields, dependencies on runtime
# libraries only, a stripped program in /usr/sbin that starts from the unpacked tree, quz-verify in
# /usr/bin, a systemd unit that systemd-analyze accepts, the manual pages and docs, and lintian with
# neither an error nor a warning.
#   check_server_package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
out=$build/package-test
fail() { echo "FAIL: $*" >&2; exit 1; }
deb=$(ls "$out"/quz-server_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no quz-server package in $out"
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "quz-server_${version}_${arch}.deb" ]] || fail "package file is $(basename "$deb")"
root=$out/server-root
rm -rf "$root"
dpkg-deb -x "$deb" "$root"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == quz-server && $(field Version) == "$version" ]] || fail "control fields: $(dpkg-deb -f "$deb")"
depends=$(field Depends)
for library in libsqlite3 libpq5 libmicrohttpd12 libc6 libstdc++6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
for unwanted in -dev gtest benchmark libsdl libmikmod postgresql, chromium; do
  [[ $depends == *"$unwanted"* ]] && fail "Depends names $unwanted: $depends"
done

program=$root/usr/sbin/quz-scored
file -b "$program" | grep -q 'ELF.*, stripped' || fail "usr/sbin/quz-scored is not a stripped program"
# Read the whole help first: grep -q stops at its match, and under pipefail the writer's SIGPIPE fails it.
help=$("$program" --help) && [[ $help == *--rate-limit* ]] || fail "the installed program does not answer --help"
verify=$root/usr/bin/quz-verify
file -b "$verify" | grep -q 'ELF.*, stripped' || fail "usr/bin/quz-verify is not a stripped program"
verified=$("$verify" -q "$(dirname "$0")/../replays/01-mouse-lookahead.quzr") && [[ $verified == *": OK score "* ]] ||
  fail "the installed quz-verify does not confirm a recorded game: $verified"
for path in usr/lib/systemd/system/quz-scored.service usr/share/man/man8/quz-scored.8.gz \
  usr/share/doc/quz-server/copyright usr/share/doc/quz-server/changelog.gz etc/default/quz-scored \
  usr/share/doc/quz-server/examples/quz-scored.nginx.conf usr/share/man/man1/quz-verify.1.gz; do
  [[ -f $root/$path ]] || fail "$path is missing"
done
[[ -z $(find "$root" -path '*games/quz*' -print -quit) ]] || fail "the server package holds the game's files"
for page in man8/quz-scored.8.gz man1/quz-verify.1.gz; do
  man -l "$root/usr/share/man/$page" >/dev/null 2>"$out/server-man.err" && [[ ! -s $out/server-man.err ]] ||
    fail "manual page $page: $(cat "$out/server-man.err")"
done

# systemd-analyze wants the program where the unit says: point a copy of the unit at the unpacked one.
unit=$root/usr/lib/systemd/system/quz-scored.service
grep -q '^ExecStart=/usr/sbin/quz-scored ' "$unit" || fail "the unit does not start /usr/sbin/quz-scored"
if command -v systemd-analyze >/dev/null; then
  sed "s|^ExecStart=/usr/sbin/quz-scored|ExecStart=$program|; /^Documentation=/d" "$unit" >"$out/quz-scored.service"
  systemd-analyze verify "$out/quz-scored.service" >"$out/systemd-analyze.txt" 2>&1 ||
    fail "systemd-analyze: $(cat "$out/systemd-analyze.txt")"
  # The server faces the internet: its sandbox is part of the package.
  systemd-analyze security --offline=true --threshold=15 "$out/quz-scored.service" >"$out/security.txt" 2>&1 ||
    fail "exposure above 1.5: $(grep -E 'Overall|✗' "$out/security.txt")"
  echo "$(grep 'Overall exposure' "$out/security.txt")"
fi
# The packaged options keep both ports on loopback, and stay the operator's across upgrades.
grep -q '^QUZ_SCORED_OPTIONS="--bind 127.0.0.1 --http-bind 127.0.0.1"' "$root/etc/default/quz-scored" ||
  fail "the defaults file does not keep the ports on loopback: $(cat "$root/etc/default/quz-scored")"
dpkg-deb -I "$deb" conffiles | grep -qx /etc/default/quz-scored || fail "/etc/default/quz-scored is not a conffile"

lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$out/server-lintian.txt" 2>&1 ||
  fail "lintian: $(cat "$out/server-lintian.txt")"
echo "$(basename "$deb"): Depends: $depends"
echo "lintian: $(grep -c '^E:' "$out/server-lintian.txt") errors, $(grep -c '^W:' "$out/server-lintian.txt") warnings"
cat "$out/server-lintian.txt"
