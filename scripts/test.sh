#!/usr/bin/env bash
# Sets the machine up, then builds and runs every test: the plain build with
# both Windows stubs and their Wine end-to-end tests, the native core again
# under AddressSanitizer + UndefinedBehaviorSanitizer (with the fuzz corpora
# replayed), and under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
clang=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DROZBAL_WINDOWS=OFF)

run_suite() {  # name, cmake arguments...
  local name=$1; shift
  echo "=== $name"
  cmake -S . -B "build/$name" -G Ninja "$@" >/dev/null
  cmake --build "build/$name" -j "$jobs"
  ctest --test-dir "build/$name" -j "$jobs" --output-on-failure
}

run_suite plain
run_suite asan "${clang[@]}" -DROZBAL_SANITIZE=address,undefined
run_suite tsan "${clang[@]}" -DROZBAL_SANITIZE=thread
