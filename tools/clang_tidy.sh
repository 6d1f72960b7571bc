#!/usr/bin/env bash
# clang-tidy over our sources in the compile database (the rooms, the score server and the asset
# generator), in parallel; any warning fails. Tests and benchmarks are left out: the analyzer spends about 40 s on each
# GoogleTest file here, more than all the rooms together, and Google Benchmark's `for (auto _ : state)`
# loop reads to it as a dead store. Usage: tools/clang_tidy.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: tools/clang_tidy.sh BUILD_DIR}
src=$(cd "$(dirname "$0")/.." && pwd)
jobs=${QUZ_TIDY_JOBS:-$(nproc)}
database=$build/compile_commands.json
if ! command -v clang-tidy >/dev/null; then
  echo "clang-tidy is not installed: run tools/install-deps.sh" >&2
  exit 1
fi
if [[ ! -f $database ]]; then
  echo "no $database: configure the build first" >&2
  exit 1
fi
files=$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sort -u |
  grep -E "^$src/(core|replay|app|game|gfx|audio|res|net|platform|server|tools)/" || true)
if [[ -z $files ]]; then
  echo "no sources of ours in $database" >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# One file per call keeps the parallel runs balanced; --quiet drops the counts of suppressed warnings.
echo "$files" | xargs -P "$jobs" -n 1 clang-tidy -p "$build" --quiet --warnings-as-errors='*' >"$log" 2>&1 ||
  status=$?
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter' \
  "$log" || true
count=$(echo "$files" | wc -l)
if [[ $status -ne 0 ]]; then
  echo "clang-tidy: findings in the files above ($count files checked)" >&2
  exit 1
fi
echo "clang-tidy: $count files clean"
