#!/usr/bin/env bash
# Packs the zip a Windows player downloads: one folder holding quz.exe, every DLL it needs that Windows
# does not have (found by following the imports of the program and of each DLL taken), data/, README.txt,
# the game's licence and, under licenses/, the licence of each library inside.
#   make_zip.sh WINDOWS_BUILD LIBRARIES_PREFIX SOURCE_FOLDER VERSION
set -euo pipefail
[[ $# -eq 4 ]] || { echo "usage: make_zip.sh WINDOWS_BUILD LIBRARIES_PREFIX SOURCE_FOLDER VERSION" >&2; exit 2; }
build=$(cd "$1" && pwd)
prefix=$2
source=$3
version=$4
triplet=x86_64-w64-mingw32
name=quz-$version-windows-x64
stage=$build/zip/quz-$version
zip=$build/$name.zip

search=("$prefix/bin" "/usr/$triplet/lib" /usr/lib/gcc/$triplet/*-posix)
rm -rf "$build/zip"
mkdir -p "$stage/licenses"
cp "$build/quz.exe" "$stage/"
"$triplet-strip" "$stage/quz.exe"

# The Debian source version each library was built from, as the library cache recorded it.
declare -A built=()
while read -r source_package; do
  built[${source_package%%_*}]=${source_package#*_}
done < <(sed -n '/^built from:/,$p' "$prefix/VERSIONS" 2>/dev/null | sed 1d)
built[libz-mingw-w64]=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || echo unknown)
gcc_version=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-base 2>/dev/null || echo unknown)
built[gcc-mingw-w64]=${gcc_version%%-*}
built[mingw-w64]=$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev 2>/dev/null || echo unknown)

# Each library inside the zip, by the name of its licence file under licenses/: the copyright file it
# comes from and how the index names it.
declare -A copyright_of=(
  [SDL2]=$prefix/share/licenses/SDL2/copyright
  [SDL2_image]=$prefix/share/licenses/SDL2_image/copyright
  [libpng]=$prefix/share/licenses/libpng/copyright
  [zlib]=$prefix/share/licenses/zlib/copyright
  [libmikmod]=$prefix/share/licenses/libmikmod/copyright
  [libcurl]=$prefix/share/licenses/curl/copyright
  [minizip]=$prefix/share/licenses/minizip/copyright
  [mingw-w64]=/usr/share/doc/mingw-w64-x86-64-dev/copyright
  [gcc-runtime]=/usr/share/doc/gcc-mingw-w64-base/copyright
)
declare -A title_of=(
  [SDL2]="SDL2 ${built[libsdl2]:-}"
  [SDL2_image]="SDL2_image ${built[libsdl2-image]:-}"
  [libpng]="libpng ${built[libpng1.6]:-}"
  [zlib]="zlib ${built[libz-mingw-w64]}"
  [libmikmod]="MikMod ${built[libmikmod]:-}"
  [libcurl]="curl ${built[curl]:-} (Windows' own TLS)"
  [minizip]="minizip ${built[minizip]:-}"
  [mingw-w64]="MinGW-w64 runtime ${built[mingw-w64]}"
  [gcc-runtime]="GCC runtime ${built[gcc-mingw-w64]} (libstdc++, libgcc, libssp)"
)
# The licences inside each file the zip holds; a DLL not listed here stops the packing, so no library is
# ever shipped without its licence. quz.exe carries zlib, minizip, the compiler's runtime and the MinGW
# start-up code inside it (linked statically); SDL2_image.dll carries libpng and zlib.
licences_in() {
  case ${1,,} in
    quz.exe) echo "minizip zlib gcc-runtime mingw-w64" ;;
    sdl2.dll) echo "SDL2" ;;
    sdl2_image.dll) echo "SDL2_image libpng zlib" ;;
    libmikmod*.dll) echo "libmikmod" ;;
    libcurl*.dll) echo "libcurl" ;;
    libwinpthread-1.dll) echo "mingw-w64" ;;
    libstdc++-6.dll | libgcc_s_seh-1.dll | libssp-0.dll) echo "gcc-runtime" ;;
    *) return 1 ;;
  esac
}
index=$build/zip/libraries.txt
# index_line FILE: the file's line of the index and its licence texts copied into licenses/.
index_line() {
  local file=$1 licences licence first=1
  [[ $file == quz.exe ]] && first=0
  licences=$(licences_in "$file") || { echo "make_zip: no licence known for $file" >&2; exit 1; }
  for licence in $licences; do
    [[ -f ${copyright_of[$licence]} ]] || { echo "make_zip: no licence text at ${copyright_of[$licence]}" >&2; exit 1; }
    cp "${copyright_of[$licence]}" "$stage/licenses/$licence.txt"
    printf '  %-20s %-48s %s\n' "$([[ $first -eq 1 ]] && echo "$file")" "${title_of[$licence]}" \
      "licenses\\$licence.txt" >>"$index"
    first=0
  done
}
: >"$index"

declare -A seen=()
queue=("$stage/quz.exe")
printf '  %-20s %-48s %s\n' quz.exe "Quz $version, the game" LICENSE.txt >>"$index"
index_line quz.exe
while [[ ${#queue[@]} -gt 0 ]]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $("$triplet-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    key=${dll,,}
    [[ -z ${seen[$key]:-} ]] || continue
    seen[$key]=1
    found=
    for dir in "${search[@]}"; do
      if [[ -f $dir/$dll ]]; then
        found=$dir/$dll
        break
      fi
    done
    # Anything not built or shipped by the compiler is Windows' own (KERNEL32, USER32, msvcrt...).
    [[ -n $found ]] || continue
    cp "$found" "$stage/"
    "$triplet-strip" --strip-unneeded "$stage/$dll"
    index_line "$dll"
    queue+=("$stage/$dll")
  done
done
# Debian's copyright files give the full text of the common licences (the GNU GPL and LGPL, Apache...)
# by a path on a Debian system, which a Windows player does not have: those texts go in licenses/common/.
mkdir -p "$stage/licenses/common"
for common in $(grep -oh '/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]' "$stage"/licenses/*.txt | sort -u); do
  [[ -f $common ]] || { echo "make_zip: $common, named by a licence, is not on this machine" >&2; exit 1; }
  cp -L "$common" "$stage/licenses/common/${common##*/}.txt"
done
printf '  %-20s %-48s %s\n' "" "the full texts those files refer to" "licenses\\common\\" >>"$index"

cp -r "$build/data" "$stage/data"
rm -f "$stage/data/.stamp"
# Notepad of older Windows shows a text file whole only with CR LF line ends. README.txt's list of the
# libraries inside is the index made above.
sed -e "s/@VERSION@/$version/g" -e "/@LIBRARIES@/{r $index" -e 'd}' "$source/dist/windows/README.txt" |
  sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' "$source/dist/copyright" >"$stage/LICENSE.txt"
for text in "$stage"/licenses/*.txt "$stage"/licenses/common/*.txt; do
  sed -i 's/\r*$/\r/' "$text"
done
rm -f "$index"

rm -f "$zip"
# Fixed times (the last commit's; zip cannot hold times before 1980) and order: the same sources give the
# same zip.
stamp=$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 1767225600)
find "$build/zip" -exec touch -h -d "@$stamp" {} +
(cd "$build/zip" && find "quz-$version" -print | LC_ALL=C sort | zip -q -X -9 "$zip" -@)
echo "$zip: $(stat -c %s "$zip") bytes, $(unzip -Z1 "$zip" | grep -c -v '/$') files"
