#!/usr/bin/env bash
# Runs one fuzz target for a fixed time from its seed corpus, without writing into the source tree: new
# inputs go to a scratch folder, and a crashing input is kept beside the build as fuzz-<target>-crash-*.
# Prints the number of runs; fails when the target found a fault.
set -u
target=$1
seeds=$2
seconds=${3:-10}
name=$(basename "$target")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$seeds"
# Leaks of SDL's video layer are not ours (see tests/lsan.supp); the fuzzers never start it, but the
# suppressions keep the report to our own code either way.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/../lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
"$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$PWD/$name-" "$work/corpus" "$seeds" >"$work/log" 2>&1
status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
if (( status != 0 )); then
  tail -60 "$work/log"
  echo "FAIL: $name found a fault after ${runs:-?} runs (input kept as $PWD/$name-*)"
  exit 1
fi
echo "$name: ${runs:-?} runs in ${seconds} s, corpus $(ls "$work/corpus" | wc -l) new + $(ls "$seeds" | wc -l) seeds"
