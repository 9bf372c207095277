#!/usr/bin/env bash
# Documents at the scale users keep, each figure beside a peer from the same run:
#   a. formatting and loading a document of ENTRIES entries (doc_io_bench), beside Python's
#      C-implemented csv.reader over the same file;
#   b. a tree of ENTRIES empty files (1,000 a directory): vemo-cli verify --new (load, walk,
#      compare; reads no file) beside find -printf, which stats every file as the walk must, and
#      the peak resident memory per entry of vemo-cli verify and of vemo-cli update (which
#      formats the new list text; the tree is unchanged, so it writes nothing). Best and worst of
#      RUNS, the runs of find and verify --new taken in turn.
#      VEMO_BENCH_BASELINE=/path/to/an/earlier/vemo-cli adds that program's runs, in turn with
#      the others, and its speed beside this one's.
#
#   bench/doc_io_bench.sh <build dir of a Release build> [ENTRIES] [RUNS]   (1000000, 3)
#
# The tree goes under /tmp and is deleted afterwards, unless VEMO_BENCH_TREE names a directory to
# keep it in (made once, reused while it holds ENTRIES files: making a million files takes minutes).
# Installs GNU time with apt-get when /usr/bin/time is missing.
set -euo pipefail
build=${1:?usage: doc_io_bench.sh <release build dir> [entries] [runs]}
entries=${2:-1000000}
runs=${3:-3}
work=$(mktemp -d /tmp/vemo_doc_io.XXXXXX)
trap 'rm -rf "$work"' EXIT
file="$work/list.sum"

echo "load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
echo "== a. a document of $entries entries"
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
rm -f "$file"

if [ ! -x /usr/bin/time ]; then
  echo "installing time ..." >&2
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq time >/dev/null
fi
cli="$build/cli/vemo-cli"
tree=${VEMO_BENCH_TREE:-$work/tree}
per_dir=1000
[ "$entries" -lt "$per_dir" ] && per_dir=$entries
dirs=$(((entries + per_dir - 1) / per_dir))
if [ "$(cat "$tree.files" 2>/dev/null)" != "$entries" ]; then
  echo "making $entries empty files in $dirs directories under $tree ..." >&2
  rm -rf "$tree"
  python3 - "$tree" "$entries" "$per_dir" <<'PY'
import os, sys
root, total, per_dir = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for n in range(total):
    if n % per_dir == 0:
        d = n // per_dir
        sub = os.path.join(root, "d%02d" % (d // 100), "e%03d" % d)  # two levels deep
        os.makedirs(sub, exist_ok=True)
    os.close(os.open(os.path.join(sub, "file%04d.dat" % (n % per_dir)), os.O_CREAT | os.O_WRONLY, 0o644))
PY
  "$cli" create -q "$tree" >/dev/null
  echo "$entries" >"$tree.files"  # beside the tree: inside, it would be a new file
fi
listed=$(($(find "$tree" -mindepth 1 | wc -l) - 1))  # less the list
echo
echo "== b. a tree of $entries empty files, $listed entries with the directories"

# Runs "$@" once and appends "wall_seconds peak_rss_kib" to the file $1.
run_once() {
  local out=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
    { [ $? = 1 ] || { cat "$work/stderr.txt" >&2; exit 1; }; }
  cat "$work/time.txt" >>"$out"
}

# Prints "best_wall worst_wall best_rss_kib worst_rss_kib" of the runs in file $1.
summary() {
  awk 'NF == 2 {
      if (!n++ || $1 < bw) bw = $1; if ($1 > ww) ww = $1
      if (n == 1 || $2 < br) br = $2; if ($2 > wr) wr = $2 }
    END {printf "%.2f %.2f %d %d\n", bw, ww, br, wr}' "$1"
}

# Rounds of find, verify --new and (VEMO_BENCH_BASELINE=/path/to/an/earlier/vemo-cli) the earlier
# program's verify --new, one of each in turn, so that each sees the same moments of a shared
# machine; then the verifies, which read every file.
baseline=${VEMO_BENCH_BASELINE:-}
find "$tree" -printf '%s %T@ %p\n' >/dev/null  # warm the metadata cache
for _ in $(seq "$runs"); do
  run_once "$work/find.txt" find "$tree" -printf '%s %T@ %p\n'
  run_once "$work/new.txt" "$cli" verify -q --new "$tree"
  if [ -n "$baseline" ]; then run_once "$work/base_new.txt" "$baseline" verify -q --new "$tree"; fi
done
for _ in $(seq "$runs"); do
  run_once "$work/verify.txt" "$cli" verify -q "$tree"
  # An update formats the new list text as the desktop program does; the tree is unchanged and
  # its list signed, so nothing is written.
  run_once "$work/update.txt" "$cli" update -q "$tree"
  if [ -n "$baseline" ]; then run_once "$work/base_verify.txt" "$baseline" verify -q "$tree"; fi
done
find_t=$(summary "$work/find.txt")
new_t=$(summary "$work/new.txt")
verify_t=$(summary "$work/verify.txt")
update_t=$(summary "$work/update.txt")
base_new_t=""
base_verify_t=""
if [ -n "$baseline" ]; then
  base_new_t=$(summary "$work/base_new.txt")
  base_verify_t=$(summary "$work/base_verify.txt")
fi
awk -v n="$listed" -v f="$find_t" -v v="$new_t" -v a="$verify_t" -v bv="$base_new_t" \
  -v ba="$base_verify_t" -v u="$update_t" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" '
  function div(x, y) { return y > 0 ? x / y : 0 }  # time(1) reads below 10 ms as 0
  function row(name, t,   p) {
    split(t, p, " ")
    printf "%-26s wall %6.2f s (worst %6.2f)  %9.0f entries/s   peak RSS %7.1f MB (worst %7.1f): %5.0f bytes/entry\n",
      name, p[1], p[2], div(n, p[1]), p[3] / 1024, p[4] / 1024, p[3] * 1024 / n }
  BEGIN {
    row("find -printf", f); row("vemo-cli verify --new", v); row("vemo-cli verify", a)
    row("vemo-cli update", u)
    split(f, fp, " "); split(v, vp, " "); split(a, ap, " "); split(u, up, " ")
    printf "verify --new entries/s (goal >= 250000): %.0f, find time / verify --new time: %.2f (best runs)\n",
      div(n, vp[1]), div(fp[1], vp[1])
    printf "verify peak RSS per entry (goal <= 400 bytes): %.0f (worst run %.0f)\n",
      ap[3] * 1024 / n, ap[4] * 1024 / n
    printf "update peak RSS per entry (with the new list text): %.0f (worst run %.0f)\n",
      up[3] * 1024 / n, up[4] * 1024 / n
    if (bv != "") {
      row("baseline verify --new", bv); row("baseline verify", ba)
      split(bv, bp, " ")
      printf "baseline verify --new entries/s: %.0f, find time / its time: %.2f; baseline time / verify --new time: %.2f (best runs), %.2f (worst runs)\n",
        div(n, bp[1]), div(fp[1], bp[1]), div(bp[1], vp[1]), div(bp[2], vp[2])
    }
    printf "load average after the runs: %s\n", load }'
