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

# Which package's licence a DLL comes under; a DLL not listed here stops the packing, so no library
# is ever shipped without its licence.
licence_of() {
  case ${1,,} in
    sdl2.dll) echo "$prefix/share/licenses/SDL2/copyright" ;;
    sdl2_image.dll) echo "$prefix/share/licenses/SDL2_image/copyright" ;;
    libmikmod*.dll) echo "$prefix/share/licenses/libmikmod/copyright" ;;
    libcurl*.dll) echo "$prefix/share/licenses/curl/copyright" ;;
    libwinpthread-1.dll) echo "/usr/share/doc/mingw-w64-x86-64-dev/copyright" ;;
    libstdc++-6.dll | libgcc_s_seh-1.dll | libssp-0.dll) echo "/usr/share/doc/gcc-mingw-w64-base/copyright" ;;
    *) return 1 ;;
  esac
}

declare -A seen=()
queue=("$stage/quz.exe")
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
    licence=$(licence_of "$dll") || { echo "make_zip: no licence known for $dll" >&2; exit 1; }
    cp "$found" "$stage/"
    "$triplet-strip" --strip-unneeded "$stage/$dll"
    cp "$licence" "$stage/licenses/${dll%.dll}.txt"
    queue+=("$stage/$dll")
  done
done
# Linked into the DLLs or the program rather than shipped beside them.
for library in libpng zlib minizip; do
  cp "$prefix/share/licenses/$library/copyright" "$stage/licenses/$library.txt"
done

cp -r "$build/data" "$stage/data"
rm -f "$stage/data/.stamp"
# Notepad of older Windows shows a text file whole only with CR LF line ends.
sed 's/$/\r/' "$source/dist/windows/README.txt" | sed "s/@VERSION@/$version/g" >"$stage/README.txt"
sed 's/$/\r/' "$source/dist/copyright" >"$stage/LICENSE.txt"
for text in "$stage"/licenses/*.txt; do
  sed -i 's/\r*$/\r/' "$text"
done

rm -f "$zip"
# Fixed times (the last commit's; zip cannot hold times before 1980) and order: the same sources give the
# same zip.
stamp=$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 1767225600)
find "$build/zip" -exec touch -h -d "@$stamp" {} +
(cd "$build/zip" && find "quz-$version" -print | LC_ALL=C sort | zip -q -X -9 "$zip" -@)
echo "$zip: $(stat -c %s "$zip") bytes, $(unzip -Z1 "$zip" | grep -c -v '/$') files"
