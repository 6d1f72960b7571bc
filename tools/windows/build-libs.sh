#!/usr/bin/env bash
# Cross-builds the libraries quz.exe and its Windows tests link (SDL2, SDL2_image with libpng, MikMod,
# minizip, GoogleTest, libcurl on Schannel) from Debian's source packages, once: the result is kept in a
# cache folder outside the clone, keyed by the source versions, the compiler and this recipe, so a second
# run, or another clone on the same machine, reuses it. Prints the folder the libraries are in (the
# prefix to give CMake as QUZ_WINDOWS_PREFIX) on standard output; the build's progress goes to stderr.
#   QUZ_WINDOWS_CACHE   cache folder (default /var/cache/quz-windows, else ~/.cache/quz-windows)
#   QUZ_WINDOWS_JOBS    parallel compile jobs (default 2: the build machine is shared)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
triplet=x86_64-w64-mingw32
sysroot=/usr/$triplet
jobs=${QUZ_WINDOWS_JOBS:-2}

log() { echo "windows libs: $*" >&2; }

# Debian binary packages whose source packages are built here. zlib itself comes prebuilt for MinGW from
# Debian (libz-mingw-w64-dev) and is linked statically.
binaries=(libsdl2-dev libsdl2-image-dev libpng-dev libmikmod-dev libminizip-dev libgtest-dev
  libcurl4-openssl-dev)

# Source name and version of each, as the machine's apt knows them ("Source: name (version)" when a
# binary's version differs from its source's).
declare -A source_versions=()
for binary in "${binaries[@]}"; do
  record=$(apt-cache show --no-all-versions "$binary" 2>/dev/null) || true
  version=$(sed -n 's/^Version: //p' <<<"$record" | head -1)
  source_field=$(sed -n 's/^Source: //p' <<<"$record" | head -1)
  [[ -n $version ]] || { log "apt knows no package $binary (run apt-get update)"; exit 1; }
  name=${source_field%% *}
  [[ -n $name ]] || name=$binary
  if [[ $source_field == *"("*")"* ]]; then
    version=${source_field#*(}
    version=${version%)}
  fi
  source_versions[$name]=$version
done
zlib_version=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null) || {
  log "libz-mingw-w64-dev is not installed (tools/install-windows-deps.sh installs it)"
  exit 1
}
compiler_version=$($triplet-gcc-posix -dumpfullversion)

identity=$(
  for name in $(printf '%s\n' "${!source_versions[@]}" | sort); do echo "$name=${source_versions[$name]}"; done
  echo "libz-mingw-w64=$zlib_version"
  echo "gcc-mingw-w64-posix=$compiler_version"
  echo "recipe=$(cat "$0" "$repo/cmake/mingw-w64-x86_64.cmake" | sha256sum | cut -c1-16)"
)
key=$(sha256sum <<<"$identity" | cut -c1-16)

cache=${QUZ_WINDOWS_CACHE:-}
if [[ -z $cache ]]; then
  cache=/var/cache/quz-windows
  if ! mkdir -p "$cache" 2>/dev/null || [[ ! -w $cache ]]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/quz-windows
  fi
fi
mkdir -p "$cache"
prefix=$cache/$key

# One build at a time per cache: a second run waits for the first and then finds the result.
exec 9>"$cache/.lock"
flock 9
if [[ -f $prefix/.complete ]]; then
  log "cached in $prefix"
  echo "$prefix"
  exit 0
fi

started=$SECONDS
log "building into $prefix:"
sed 's/^/  /' <<<"$identity" >&2
# Holding the lock, any work folder is what an interrupted build left.
rm -rf "$prefix" "$cache"/work-*
work=$cache/work-$key
mkdir -p "$work/src" "$prefix/bin" "$prefix/lib/pkgconfig" "$prefix/include" "$prefix/share/licenses"
specs=()
for name in "${!source_versions[@]}"; do specs+=("$name=${source_versions[$name]}"); done
bash "$here/fetch-sources.sh" "$work/src" "${specs[@]}" >&2

source_dir() { # NAME: the unpacked folder of one source package
  local dir
  dir=$(ls -d "$work/src/${1}_"*/ | head -1)
  echo "${dir%/}"
}
licence() { # NAME FOLDER: keep the package's copyright file, which the zip carries
  mkdir -p "$prefix/share/licenses/$1"
  cp "$2/debian/copyright" "$prefix/share/licenses/$1/copyright"
}
quiet() { # runs a build step, showing its output only when it fails
  local step_log=$work/step.log
  if ! nice -n 10 "$@" >"$step_log" 2>&1; then
    tail -60 "$step_log" >&2
    log "failed: $*"
    exit 1
  fi
}
cmake_build() { # NAME SOURCE_FOLDER CMAKE_OPTIONS...: configure, build and install one CMake project
  local name=$1 source=$2
  shift 2
  local timer=$SECONDS
  log "$name"
  quiet cmake -S "$source" -B "$work/build-$name" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DQUZ_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@"
  quiet cmake --build "$work/build-$name" -j "$jobs"
  quiet cmake --install "$work/build-$name"
  log "$name: $((SECONDS - timer)) s"
}

static_zlib=$sysroot/lib/libz.a
zlib_options=(-DZLIB_LIBRARY="$static_zlib" -DZLIB_INCLUDE_DIR="$sysroot/include")
# pkg-config finds this zlib before the sysroot's, whose -lz would pick the import library of a DLL.
cat >"$prefix/lib/pkgconfig/zlib.pc" <<PC
Name: zlib
Description: zlib compression library (Debian's MinGW build, linked statically)
Version: ${zlib_version%%+*}
Libs: $static_zlib
Cflags: -I$sysroot/include
PC
mkdir -p "$prefix/share/licenses/zlib"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$prefix/share/licenses/zlib/copyright"

png=$(source_dir libpng1.6)
cmake_build libpng "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON "${zlib_options[@]}"
licence libpng "$png"

sdl=$(source_dir libsdl2)
cmake_build SDL2 "$sdl" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_UNINSTALL=ON
licence SDL2 "$sdl"

image=$(source_dir libsdl2-image)
cmake_build SDL2_image "$image" -DBUILD_SHARED_LIBS=ON -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
  -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_BACKEND_STB=OFF -DSDL2IMAGE_BACKEND_WIC=OFF \
  -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_AVIF=OFF \
  -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
  -DPNG_PNG_INCLUDE_DIR="$prefix/include" -DPNG_LIBRARY="$prefix/lib/libpng16.a" "${zlib_options[@]}"
licence SDL2_image "$image"

# MikMod is under the LGPL: it ships as its own DLL, which a player may replace. The game mixes through
# SDL's audio, so MikMod needs none of its own Windows output drivers.
mikmod=$(source_dir libmikmod)
cmake_build libmikmod "$mikmod" -DENABLE_SHARED=ON -DENABLE_STATIC=OFF -DENABLE_DOC=OFF \
  -DENABLE_SDL=OFF -DENABLE_OPENAL=OFF -DENABLE_DSOUND=OFF -DENABLE_XAUDIO2=OFF -DENABLE_WINMM=OFF
# Its install rule names no folder for a DLL, so the DLL is taken from the build.
cp "$work/build-libmikmod/libmikmod.dll" "$prefix/bin/"
licence libmikmod "$mikmod"

# minizip has no build system of its own here: the unzip side and its file layer are all the game uses.
minizip=$(source_dir minizip)
log minizip
for unit in unzip ioapi iowin32; do
  quiet "$triplet-gcc-posix" -O2 -I"$sysroot/include" -c "$minizip/$unit.c" -o "$work/minizip-$unit.o"
done
quiet "$triplet-gcc-ar-posix" rcs "$prefix/lib/libminizip.a" "$work"/minizip-*.o
mkdir -p "$prefix/include/minizip"
cp "$minizip"/{unzip,ioapi,iowin32,zip,crypt}.h "$prefix/include/minizip/"
cat >"$prefix/lib/pkgconfig/minizip.pc" <<PC
prefix=$prefix
Name: minizip
Description: zip archive access (unzip side)
Version: ${source_versions[minizip]%%-*}
Requires: zlib
Libs: -L\${prefix}/lib -lminizip
Cflags: -I\${prefix}/include/minizip
PC
licence minizip "$minizip"

gtest=$(source_dir googletest)
cmake_build googletest "$gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -DBUILD_SHARED_LIBS=OFF
licence googletest "$gtest"

# Windows' own TLS (Schannel) and certificate store: nothing to ship or keep up to date for https.
curl=$(source_dir curl)
cmake_build curl "$curl" -DBUILD_SHARED_LIBS=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_ZLIB=OFF \
  -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DCURL_USE_LIBPSL=OFF -DENABLE_UNICODE=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
licence curl "$curl"

{
  echo "$identity"
  echo "built from:"
  for dir in "$work/src"/*/; do basename "$dir"; done
} >"$prefix/VERSIONS"
rm -rf "$work"
touch "$prefix/.complete"
log "done in $((SECONDS - started)) s"
echo "$prefix"
