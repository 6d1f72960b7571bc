#!/usr/bin/env bash
# Packs square PNG images into one Windows icon file (.ico), each image stored as PNG, which Windows
# reads since Vista: the generated desktop icons become the program's icon resource unchanged.
#   png_to_ico.sh OUT.ico IMAGE.png...
set -euo pipefail
[[ $# -ge 2 ]] || { echo "usage: png_to_ico.sh OUT.ico IMAGE.png..." >&2; exit 2; }
out=$1
shift
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
be32_at() { od -An -tu1 -j "$2" -N4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
{
  printf '\x00\x00\x01\x00'
  le16 $#
  offset=$((6 + 16 * $#))
  for image in "$@"; do
    [[ $(od -An -c -j1 -N3 "$image" | tr -d ' ') == PNG ]] || { echo "png_to_ico: $image is no PNG" >&2; exit 1; }
    width=$(be32_at "$image" 16)
    height=$(be32_at "$image" 20)
    ((width <= 256 && height <= 256)) || { echo "png_to_ico: $image is larger than 256 pixels" >&2; exit 1; }
    size=$(stat -c %s "$image")
    # A 256-pixel side is written as 0; 32 bits a pixel, one plane.
    printf "\\x$(printf %02x $((width & 255)))\\x$(printf %02x $((height & 255)))\\x00\\x00"
    le16 1
    le16 32
    le32 "$size"
    le32 "$offset"
    offset=$((offset + size))
  done
  cat "$@"
} >"$out.tmp"
mv "$out.tmp" "$out"
