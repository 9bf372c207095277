#!/usr/bin/env bash
# Sets up and runs every test: the clang-format check, a warnings-as-errors build and its tests,
# one quick round of every benchmark, then the same tests under AddressSanitizer with
# UndefinedBehaviorSanitizer, then the threading tests under ThreadSanitizer, then 30 seconds of
# fuzzing for each fuzz target (fuzz/run.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
jobs=$(nproc)

run_ctest() {
  ctest --test-dir "$1" --output-on-failure --no-tests=error -j "$jobs" "${@:2}"
}

echo "== clang-format check"
if ! command -v clang-format-14 >/dev/null && ! command -v clang-format >/dev/null; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang-format
fi
scripts/check_format.sh

echo "== build and test (the warnings of vemo_warnings, -Werror)"
scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMO_WERROR=ON -DVEMO_BUILD_BENCH=ON
run_ctest build

echo "== benchmarks, one quick round each"
bench/smoke.sh build

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVEMO_SANITIZE=address -DVEMO_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build-asan

echo "== ThreadSanitizer (threading tests)"
# The desktop program has no threads of its own (its documents' workers are tested below it).
scripts/setup.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DVEMO_SANITIZE=thread -DVEMO_BUILD_BENCH=OFF \
  -DVEMO_THREAD_TESTS_ONLY=ON -DVEMO_BUILD_GUI=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest build-tsan -L threads

echo "== fuzzing, 30 s per target (fuzz/run.sh SECONDS for longer runs)"
fuzz/run.sh 30 build-fuzz
