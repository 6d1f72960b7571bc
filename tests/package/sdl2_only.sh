#!/usr/bin/env bash
# The game stands on SDL2 itself: no program of the build links an SDL 1.2 library (or a 1.2 layer over
# SDL2), and no object was compiled against an SDL 1.2 header. Reads the dynamic section of every program
# and module the build made and the header lists the compiler wrote beside each object.
#   sdl2_only.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: sdl2_only.sh BUILD_DIR}")
fail() { echo "FAIL: $*" >&2; exit 1; }
# The 1.2 libraries' sonames: the compatibility layer and the real one share libSDL-1.2.so.0.
old_libraries='libSDL-1\.2\.so|libSDL_image-1\.2\.so|libSDL_ttf-2\.0\.so|libSDL_gfx\.so|libSDL_mixer-1\.2\.so'

[[ -x $build/quz ]] || fail "no program at $build/quz"
needed=$(readelf -d "$build/quz" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for library in libSDL2-2.0.so.0 libSDL2_image-2.0.so.0; do
  grep -qx "$library" <<<"$needed" || fail "quz does not link $library: $(tr '\n' ' ' <<<"$needed")"
done

checked=0
while IFS= read -r -d '' file; do
  head -c 4 "$file" 2>/dev/null | grep -q 'ELF' || continue
  checked=$((checked + 1))
  old=$(readelf -d "$file" 2>/dev/null | grep '(NEEDED)' | grep -E "$old_libraries")
  [[ -z $old ]] || fail "${file#"$build"/} links SDL 1.2: $old"
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so' \) -not -path '*/CMakeFiles/*' -print0)
(( checked >= 10 )) || fail "only $checked programs found under $build: is it built?"

# Every header each object read, as the compiler listed it; SDL 1.2 keeps its headers in include/SDL/.
depfiles=$(find "$build" -name '*.o.d' | wc -l)
(( depfiles >= 50 )) || fail "only $depfiles header lists under $build"
old_headers=$(find "$build" -name '*.o.d' -print0 | xargs -0 grep -lE '/include/SDL/|SDL_gfxPrimitives\.h' |
  head -5)
[[ -z $old_headers ]] || fail "compiled against SDL 1.2 headers: $old_headers"
grep -q -- '-I/usr/include/SDL\( \|"\)' "$build/compile_commands.json" && fail "an SDL 1.2 include path is set"
echo "SDL2 only: $checked programs and modules, $depfiles objects' headers checked"
