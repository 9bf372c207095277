#!/bin/sh
# Formatting and loading a document of 1,000,000 entries, beside Python's C-implemented csv.reader
# over the same file. Usage: bench/doc_io_bench.sh <build dir of a Release build> [entries]
set -eu
build=${1:?usage: doc_io_bench.sh <release build dir> [entries]}
entries=${2:-1000000}
file=$(mktemp /tmp/vemo_doc_io_XXXXXX.sum)
trap 'rm -f "$file"' EXIT
"$build/bench/doc_io_bench" format "$file" "$entries"
"$build/bench/doc_io_bench" load "$file"
python3 - "$file" <<'PY'
import csv, io, sys, time
start, cpu = time.perf_counter(), time.process_time()
with open(sys.argv[1], encoding="utf-8", errors="surrogateescape", newline="") as f:
    rows = sum(1 for row in csv.reader(f) if len(row) == 7)
seconds, cpu = time.perf_counter() - start, time.process_time() - cpu
print(f"Python csv.reader (peer): {rows} rows in {seconds:.3f} s: {rows / seconds:.0f} rows/s"
      f" (CPU {cpu:.3f} s: {rows / cpu:.0f}/s)")
PY
