#!/usr/bin/env bash
# Builds the fuzz targets (clang-14's libFuzzer, every layer under ASan+UBSan) and runs each one
# for SECONDS over a working corpus seeded from fuzz/corpus/<target> and fuzz/regressions/<target>
# (inputs that once crashed: each is run first, so a fault that comes back fails at once). Prints,
# per target, the executions, the corpus size and the crashes; exits 1 when any target crashed,
# leaked or hung, keeping the input in BUILD_DIR/artifacts/.
#
#   fuzz/run.sh [SECONDS] [BUILD_DIR]     (default 30 s per target, BUILD_DIR build-fuzz)
#
# The test command runs it for 30 s per target. For a long run give more seconds; the working
# corpus in BUILD_DIR/corpus/ grows from run to run. An input found that way that is worth keeping
# in the repository: minimise with `fuzz_<target> -merge=1 NEW_DIR BUILD_DIR/corpus/<target>` and
# copy a few into fuzz/corpus/<target>; a crash goes into fuzz/regressions/<target>/ together with
# a unit test of the fault.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build=${2:-$root/build-fuzz}
targets=(list_reader entry_line registry_store command_line)

"$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DVEMO_FUZZ=ON -DVEMO_BUILD_TESTS=OFF -DVEMO_BUILD_BENCH=OFF \
  -DVEMO_BUILD_GUI=OFF

mkdir -p "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
passed=0
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  mkdir -p "$work"
  seeds=("$root/fuzz/corpus/$target")
  [ -d "$root/fuzz/regressions/$target" ] && seeds+=("$root/fuzz/regressions/$target")
  log="$build/$target.log"
  rc=0
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$work" "${seeds[@]}" \
    >"$log" 2>&1 || rc=$?
  runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  corpus=$(find "$work" -type f | wc -l)
  # libFuzzer stops at the first crash, leak or hang: one per target at most.
  printf '%-15s %10s executions  corpus %5d inputs  %s\n' "$target" "${runs:-?}" "$corpus" \
    "$([ "$rc" = 0 ] && echo "0 crashes" || echo "1 crash (exit $rc)")"
  if [ "$rc" = 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    grep -E "ERROR|SUMMARY|Test unit written|#[0-9]+ .*vemo" "$log" | head -20 >&2 || true
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" = 0 ]
