#!/usr/bin/env bash
# The test command (`make check`): every test of the native build, then the unit and fuzz tests under
# ASan + UBSan, then (unless QUZ_WINDOWS=0) the Windows build's tests under Wine.
#
# The sanitizer build and the Windows cross-build are made at the lowest priority while the native tests
# run: those tests spend most of their time in end-to-end runs that go one at a time and leave a core
# idle, and a build at nice 19 fills it without taking time from the timing-sensitive tests. On two
# cores this takes about a third off the whole run.
#
#   tools/check.sh BUILD ASAN_BUILD WINDOWS_BUILD JOBS   (make check passes them)
set -uo pipefail
build=${1:?usage: tools/check.sh BUILD ASAN_BUILD WINDOWS_BUILD JOBS}
asan_build=${2:?}
windows_build=${3:?}
jobs=${4:?}
cd "$(dirname "$0")/.."
windows=1
[[ ${QUZ_WINDOWS:-1} == 0 ]] && windows=0

make --no-print-directory build BUILD="$build" JOBS="$jobs" || exit 1

logs=$build/check-logs
mkdir -p "$logs"
asan_log=$logs/asan-build.log
windows_log=$logs/windows-build.log
: >"$asan_log"
: >"$windows_log"
echo "Building the sanitizer build$([[ $windows == 1 ]] && echo " and the Windows build") beside the tests" \
  "(logs: $asan_log$([[ $windows == 1 ]] && echo ", $windows_log"))"
(
  nice -n 19 make --no-print-directory asan-build ASAN_BUILD="$asan_build" JOBS="$jobs" >"$asan_log" 2>&1 ||
    exit 1
  if [[ $windows == 1 ]]; then
    # Not `make windows`: that re-runs the native configure step while the native tests use that folder.
    { nice -n 19 bash tools/install-windows-deps.sh &&
      nice -n 19 bash tools/windows/build.sh "$build" "$windows_build" "$jobs"; } >"$windows_log" 2>&1 || exit 2
  fi
) &
builder=$!
# A stopped check leaves no build running behind it.
kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill "$1" 2>/dev/null
}
trap 'kill_tree $builder' EXIT
trap 'exit 130' INT TERM

make --no-print-directory test BUILD="$build" JOBS="$jobs"
test_status=$?

wait $builder
build_status=$?
trap - EXIT
case $build_status in
  0) ;;
  1) tail -40 "$asan_log"; echo "the sanitizer build failed (whole log: $asan_log)" >&2 ;;
  2) tail -40 "$windows_log"; echo "the Windows build failed (whole log: $windows_log)" >&2 ;;
  *) echo "the background builds ended with status $build_status" >&2 ;;
esac
status=0
[[ $test_status -eq 0 && $build_status -eq 0 ]] || status=1

# The remaining tests run even when the native ones failed, so one run shows every failure.
if [[ $build_status -ne 1 ]]; then
  make --no-print-directory asan ASAN_BUILD="$asan_build" JOBS="$jobs" || status=1
fi
if [[ $windows == 1 && $build_status -eq 0 ]]; then
  (cd "$windows_build" && ctest --output-on-failure -j "$jobs") || status=1
fi
if [[ $status -eq 0 ]]; then
  echo "check: every test passed"
else
  echo "check: some tests failed (above)" >&2
fi
exit $status
