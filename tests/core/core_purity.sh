#!/usr/bin/env bash
# The rules core runs anywhere: its sources include nothing of SDL, MikMod, the clock, files or threads
# and use no floating point; its compile lines have no SDL include path; its library holds no writable
# global data. Usage: core_purity.sh SOURCE_DIR BUILD_DIR LIBRARY [instrumented]
set -euo pipefail
src=${1:?source folder}
build=${2:?build folder}
library=${3:?libquz_core.a}
status=0

forbidden='#[[:space:]]*include[[:space:]]*[<"](SDL[^>"]*|mikmod[^>"]*|ctime|time\.h|sys/time\.h|chrono|fstream|cstdio|stdio\.h|filesystem|unistd\.h|fcntl\.h|thread|mutex|atomic|condition_variable|future|pthread\.h|random)[>"]'
if grep -nE "$forbidden" "$src"/core/*.h "$src"/core/*.cpp; then
  echo "core/ includes a header of the window, sound, clock, files or threads (above)" >&2
  status=1
fi
# Comments may speak of them; code may not use them.
if sed -E 's#//.*$##' "$src"/core/*.h "$src"/core/*.cpp | grep -nwE 'float|double|long double'; then
  echo "core/ uses floating point (above)" >&2
  status=1
fi

database=$build/compile_commands.json
if [[ -f $database ]] && grep -F '"command"' "$database" | grep -F -- "-c $src/core/" |
  grep -iE 'sdl|mikmod' >/dev/null; then
  echo "core/ is compiled with an SDL or MikMod include path" >&2
  status=1
fi

# Writable data (initialised, zeroed, small or common) of any linkage: the core keeps no state outside
# the objects its callers own. The compiler's own reference to the exception personality is no state.
# A sanitizer or coverage build adds writable data of its own (counters, type descriptors) to every
# object: there the ordinary build's answer stands, and this check is left out.
writable=""
if [[ ${4:-} != instrumented ]]; then
  writable=$(nm -C "$library" | awk '$2 ~ /^[BbDdSsCGgVv]$/ && $3 !~ /^DW\.ref\./ {print}' || true)
fi
if [[ -n $writable ]]; then
  echo "$writable" >&2
  echo "libquz_core holds writable global data (above)" >&2
  status=1
fi
if [[ $status -eq 0 ]]; then
  if [[ ${4:-} == instrumented ]]; then
    echo "core/: no platform header, no floating point (writable data is checked in the ordinary build)"
  else
    echo "core/: no platform header, no floating point, no writable global data"
  fi
fi
exit $status
