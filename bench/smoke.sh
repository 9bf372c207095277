#!/usr/bin/env bash
# One quick round of every benchmark and benchmark script on tiny inputs, so that they keep
# building and running; the figures mean nothing. The test command runs it on its main build.
#   bench/smoke.sh BUILD_DIR   (a build with VEMO_BUILD_BENCH=ON, already built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: bench/smoke.sh BUILD_DIR}" && pwd)
bench="$build/bench"
work=$(mktemp -d /tmp/vemo_bench_smoke.XXXXXX)
trap 'rm -rf "$work"' EXIT

run() {  # runs one benchmark quietly; shows its output only when it fails
  local name=$1 start=$SECONDS
  shift
  if "$@" >"$work/out.txt" 2>&1; then
    echo "bench smoke: $name ok ($((SECONDS - start)) s)"
  else
    echo "bench smoke: $name FAILED: $*" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
}

if ! compgen -G "$bench/*_bench" >/dev/null; then
  echo "bench smoke: no benchmark programs in $bench (configure with -DVEMO_BUILD_BENCH=ON)" >&2
  exit 1
fi
# Every benchmark program is listed here; one without a line fails the run.
for program in "$bench"/*_bench; do
  case $(basename "$program") in
    crc_bench | doc_cycle_bench | doc_io_bench | entry_records_bench | key_map_bench) ;;
    scan_bench | list_view_bench) ;;
    *)
      echo "bench smoke: $(basename "$program") has no smoke run in bench/smoke.sh" >&2
      exit 1
      ;;
  esac
done

run crc_bench "$bench/crc_bench" 0.005
run doc_cycle_bench "$bench/doc_cycle_bench" 300 1024 "$work"
run entry_records_bench "$bench/entry_records_bench" 2000
run key_map_bench "$bench/key_map_bench" 2000
# Built only with the desktop program.
if [[ -x "$bench/list_view_bench" ]]; then
  run list_view_bench "$bench/list_view_bench" 3000 200
fi
run doc_io_bench.sh "$root/bench/doc_io_bench.sh" "$build" 2000
export VEMO_BENCH_QUICK=1
run scan_bench.sh "$root/bench/scan_bench.sh" "$build"
run move_pairing_bench.sh "$root/bench/move_pairing_bench.sh" "$build"
run speed_bench.sh "$root/bench/speed_bench.sh" 1 "$build"
