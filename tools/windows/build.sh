#!/usr/bin/env bash
# `make windows`: the cross-built libraries (from the cache when there), then quz.exe, its Windows tests
# and the zip in the Windows build folder. data/ and the icons come from the native build folder, whose
# generator has run. Prints how long each part took.
#   build.sh NATIVE_BUILD WINDOWS_BUILD [JOBS]
# QUZ_WINDOWS_PREFIX, when set, names libraries built already (a developer's own) instead of the cache.
set -euo pipefail
[[ $# -ge 2 ]] || { echo "usage: build.sh NATIVE_BUILD WINDOWS_BUILD [JOBS]" >&2; exit 2; }
cd "$(dirname "$0")/../.."
native=$(cd "$1" && pwd)
windows=$2
jobs=${3:-2}

started=$SECONDS
prefix=${QUZ_WINDOWS_PREFIX:-$(QUZ_WINDOWS_JOBS=$jobs bash tools/windows/build-libs.sh)}
libraries=$((SECONDS - started))

started=$SECONDS
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DQUZ_WINDOWS_PREFIX="$prefix" -DQUZ_HOST_BUILD_DIR="$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
cmake --build "$windows" -j "$jobs"
cmake --build "$windows" --target windows-zip
game=$((SECONDS - started))
echo "Windows build: libraries ${libraries} s (${prefix}), game and tests ${game} s"
