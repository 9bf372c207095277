#!/usr/bin/env bash
# Scanner and checksum-worker throughput beside find and cat over the same data, all page-cached.
#   bench/scan_bench.sh [BUILD_DIR]   (default: build-bench, configured in Release here)
# Generates a tree of 100,000 files in 1,000 directories and a 1 GiB file under /tmp and deletes
# them afterwards. With VEMO_BENCH_QUICK=1 (the test command's smoke run) it takes BUILD_DIR as
# built, 100 files in 10 directories, a 1 MiB file and one round: figures then mean nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
dirs=1000 big_mib=1024 big_label="1 GiB" rounds=3
if [ "${VEMO_BENCH_QUICK:-0}" = 1 ]; then
  dirs=10 big_mib=1 big_label="1 MiB" rounds=1
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF \
    -DVEMO_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target scan_bench >/dev/null
fi
bench="$build/bench/scan_bench"

work=$(mktemp -d /tmp/vemo_scan_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
big="$work/big.bin"

echo "generating $((dirs * 100)) files in $dirs directories and a $big_label file" \
  "under $work ..." >&2
python3 - "$tree" "$dirs" <<'EOF'
import os, sys
root = sys.argv[1]
block = os.urandom(1 << 16)
for d in range(int(sys.argv[2])):
    sub = os.path.join(root, "d%03d" % (d // 10), "e%d" % (d % 10))  # two levels deep
    os.makedirs(sub, exist_ok=True)
    for f in range(100):
        n = (d * 100 + f) * 2654435761 % 8192  # 0..8 KiB, about 4 KiB on average
        with open(os.path.join(sub, "file%03d.dat" % f), "wb") as out:
            out.write(block[:n])
EOF
head -c $((big_mib << 20)) /dev/urandom >"$big"

best_of() {  # prints the best wall time in seconds of $rounds runs of "$@"
  local best=""
  for _ in $(seq "$rounds"); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@"
    t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 ${best:-1e9}" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}')
  done
  echo "$best"
}

# Warm the page cache for everything.
find "$tree" -printf '%s %T@ %m\n' >/dev/null
find "$tree" -type f -exec cat {} + >/dev/null
cat "$big" >/dev/null

items=$(find "$tree" -mindepth 1 | wc -l)
find_s=$(best_of sh -c "find '$tree' -printf '%s %T@ %m\n' >/dev/null")
find_rate=$(awk -v n="$items" -v s="$find_s" 'BEGIN {printf "%.0f", n / s}')
scan_line=$("$bench" scan "$tree")
scan_rate=$(echo "$scan_line" | sed -E 's/.*= ([0-9]+) records\/s.*/\1/')
echo "find -printf: $items items in ${find_s} s = $find_rate items/s"
echo "$scan_line"
awk -v a="$scan_rate" -v b="$find_rate" 'BEGIN {printf "scan ratio (scanner / find): %.2f\n", a / b}'

tree_bytes=$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
cat_tree_s=$(best_of sh -c "find '$tree' -type f -exec cat {} + >/dev/null")
cat_tree_rate=$(awk -v n="$tree_bytes" -v s="$cat_tree_s" 'BEGIN {printf "%.1f", n / s / 1e6}')
tree_line=$("$bench" checksum "$tree")
tree_rate=$(echo "$tree_line" | sed -E 's/.*= ([0-9.]+) MB\/s.*/\1/')
echo "cat over the tree: $tree_bytes bytes in ${cat_tree_s} s = $cat_tree_rate MB/s"
echo "$tree_line"
awk -v a="$tree_rate" -v b="$cat_tree_rate" \
  'BEGIN {printf "tree checksum ratio (worker / cat): %.2f\n", a / b}'

big_bytes=$(stat -c %s "$big")
cat_big_s=$(best_of sh -c "cat '$big' >/dev/null")
cat_big_rate=$(awk -v n="$big_bytes" -v s="$cat_big_s" 'BEGIN {printf "%.1f", n / s / 1e6}')
big_line=$("$bench" checksum "$big")
big_rate=$(echo "$big_line" | sed -E 's/.*= ([0-9.]+) MB\/s.*/\1/')
echo "cat of the $big_label file: $big_bytes bytes in ${cat_big_s} s = $cat_big_rate MB/s"
echo "$big_line"
awk -v a="$big_rate" -v b="$cat_big_rate" -v l="$big_label" \
  'BEGIN {printf "%s checksum ratio (worker / cat): %.2f\n", l, a / b}'
