#!/usr/bin/env bash
# The Windows build's tools that run on the build machine: the deb-src entries derived from an apt
# configuration (both source formats, only the release's own suites, keys and options kept, disabled
# and foreign entries left out), and the icon file packed from the generated desktop icons.
#   windows_tooling.sh BUILD_DIR
set -u
build=$1
tools=$(cd "$(dirname "$0")/../../tools/windows" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/apt/sources.list.d"
cat >"$work/apt/sources.list" <<'LIST'
# a comment
deb http://mirror.example/debian bookworm main contrib # trailing comment
deb [arch=amd64 signed-by=/usr/share/keyrings/x.gpg] http://mirror.example/debian bookworm-updates main
deb-src http://mirror.example/debian bookworm main
deb http://mirror.example/debian trixie main
LIST
cat >"$work/apt/sources.list.d/vendor.list" <<'LIST'
deb https://vendor.example/apt cloud-sdk-bookworm main
LIST
cat >"$work/apt/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

# the security archive
Types: deb deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main non-free-firmware
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NlOxo
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Components: main
Enabled: no
SOURCES
cat >"$work/apt/sources.list.d/node.sources" <<'SOURCES'
Types: deb
URIs: https://deb.nodesource.example/node_20.x
Suites: nodistro
Components: main
SOURCES

derived=$(APT_ETC=$work/apt OS_CODENAME=bookworm bash "$tools/fetch-sources.sh" --print-sources) ||
  fail "no entries derived"
expected=$(cat <<'EXPECTED'
deb-src http://mirror.example/debian bookworm main contrib
deb-src [arch=amd64 signed-by=/usr/share/keyrings/x.gpg] http://mirror.example/debian bookworm-updates main
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main non-free-firmware
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NlOxo
 -----END PGP PUBLIC KEY BLOCK-----
EXPECTED
)
[[ $derived == "$expected" ]] || fail "derived entries differ:
$(diff <(echo "$expected") <(echo "$derived"))"

mkdir -p "$work/none/sources.list.d"
echo "deb https://vendor.example/apt cloud-sdk-bookworm main" >"$work/none/sources.list"
APT_ETC=$work/none OS_CODENAME=bookworm bash "$tools/fetch-sources.sh" --print-sources >/dev/null 2>"$work/err" &&
  fail "a configuration with no entry of the release was accepted"
grep -q "no 'bookworm' entry" "$work/err" || fail "unclear message: $(cat "$work/err")"

icons=$build/icons/hicolor
pngs=()
for size in 16 32 48 256; do pngs+=("$icons/${size}x$size/apps/quz.png"); done
bash "$tools/png_to_ico.sh" "$work/quz.ico" "${pngs[@]}" || fail "png_to_ico failed"
sizes=$(/usr/bin/identify -format '%wx%h ' "$work/quz.ico") || fail "the icon file does not read back"
[[ $sizes == "16x16 32x32 48x48 256x256 " ]] || fail "icon sizes: $sizes"
# Each image comes back pixel for pixel.
/usr/bin/convert "$work/quz.ico[3]" "$work/back.png"
[[ $(/usr/bin/compare -metric AE "$work/back.png" "${pngs[3]}" null: 2>&1) == 0 ]] || fail "the 256-pixel image changed"
bash "$tools/png_to_ico.sh" "$work/bad.ico" "$tools/png_to_ico.sh" 2>/dev/null && fail "a file that is no PNG was packed"
echo "deb-src entries and icon file as expected"
