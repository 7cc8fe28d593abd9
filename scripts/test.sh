#!/usr/bin/env bash
# Sets the machine up, then builds and runs every test: the plain build with
# both Windows stubs and their Wine end-to-end tests, the native core again
# under AddressSanitizer + UndefinedBehaviorSanitizer (with the fuzz corpora
# replayed), and under ThreadSanitizer. Every suite runs even when one
# before it failed; a summary at the end counts each suite's tests and says
# why any were skipped. Exits non-zero when any suite failed.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1

jobs=$(nproc)
clang=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DROZBAL_WINDOWS=OFF)
suites=()
failed=0

run_suite() {  # name, cmake arguments...
  local name=$1; shift
  local report=build/$name/ctest-report.xml
  suites+=("$name")
  echo "=== $name"
  rm -f "$report"
  if cmake -S . -B "build/$name" -G Ninja "$@" >/dev/null && cmake --build "build/$name" -j "$jobs"; then
    ctest --test-dir "build/$name" -j "$jobs" --output-on-failure --output-junit "$PWD/$report" ||
      failed=1
  else
    failed=1
  fi
}

# summarize NAME: the suite's counts from CTest's JUnit report, added to
# the totals, then each distinct reason its skipped tests gave (their
# "skipped: ..." lines) with how many gave it. Skipped means exit code 77;
# a test CTest did not run for any other reason (its fixture failed)
# counts as failed.
totals=(0 0 0)
summarize() {
  local report=build/$1/ctest-report.xml tests passed skipped failures
  if [ ! -f "$report" ]; then
    echo "$1: not built"
    return
  fi
  tests=$(grep -c '<testcase ' "$report")
  passed=$(grep -c '<testcase .*status="run"' "$report")
  skipped=$(grep -c '<skipped message="SKIP_RETURN_CODE=77"' "$report")
  failures=$((tests - passed - skipped))
  echo "$1: $passed passed, $failures failed, $skipped skipped"
  grep -oE '(^|>)skipped: [^<]*' "$report" | sed 's/^>//' | sort | uniq -c |
    sed 's/^ *\([0-9]*\) skipped: /  \1 skipped: /'
  totals=($((totals[0] + passed)) $((totals[1] + failures)) $((totals[2] + skipped)))
}

run_suite plain
run_suite asan "${clang[@]}" -DROZBAL_SANITIZE=address,undefined
run_suite tsan "${clang[@]}" -DROZBAL_SANITIZE=thread

echo "=== summary"
for name in "${suites[@]}"; do
  summarize "$name"
done
echo "total: ${totals[0]} passed, ${totals[1]} failed, ${totals[2]} skipped"
exit $failed
