#!/usr/bin/env bash
# Checksum speed beside the hardware and beside peers, all in one run, with the ratios:
#   a. both CRCs over a 64 KiB buffer, per kernel (crc_bench), against memcpy and a plain sum;
#   b. the checksum worker alone and vemo-cli create over a page-cached 1 GiB file, against cat
#      and 7z h -scrcCRC32;
#   c. vemo-cli create over 100,000 files of 0 to 8 KiB in 1,000 directories (scan, checksum,
#      format and save), against 7z h -scrcCRC32 -r over the same tree;
#   d. the same three over the tree and the 1 GiB file with a cold page cache: each run starts
#      after `sync; echo 3 > /proc/sys/vm/drop_caches` (as root; skipped with a note elsewhere),
#      against cat of the same files and 7z, as a user's first run from a disk sees them.
#
#   bench/speed_bench.sh [RUNS] [BUILD_DIR]   (default 5 runs; build-speed-bench, Release)
#
# Every figure is the best of RUNS, by wall time and by CPU time (user + system), with the worst
# beside it; a ratio is given for the best runs and for the worst runs. On a shared machine CPU
# time tells the program's own cost; wall time also counts the time other processes took the
# cores. Times are taken to the microsecond (the page-cached 1 GiB file takes tens of
# milliseconds), and the programs of one group run in turn, one run of each per round, so that a
# change of the machine's load reaches them alike. Data goes under /tmp and is deleted
# afterwards. Installs p7zip-full with apt-get when 7z is missing.
#
# VEMO_BENCH_BASELINE=PATH names another vemo-cli (an earlier build, for an A/B comparison): its
# create runs in turn with this build's in b, c and d, and its rows and ratios are printed too.
#
# With VEMO_BENCH_QUICK=1 (the test command's smoke run) it takes BUILD_DIR as built and runs on
# a 1 MiB file and 1,000 files in 10 directories: figures then mean nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
build=${2:-$root/build-speed-bench}
kernel_seconds=0.6 big_mib=1024 big_label="1 GiB" dirs=1000
quick=${VEMO_BENCH_QUICK:-0}
[ "$quick" = 1 ] && kernel_seconds=0.01 big_mib=1 big_label="1 MiB" dirs=10

if ! command -v 7z >/dev/null; then
  echo "installing p7zip-full ..." >&2
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq p7zip-full >/dev/null
fi
if [ "$quick" != 1 ]; then
  mkdir -p "$build"
  { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF \
    -DVEMO_BUILD_BENCH=ON && cmake --build "$build" -j2 --target crc_bench scan_bench vemo-cli; } \
    >"$build/speed_bench_build.log" 2>&1 || { cat "$build/speed_bench_build.log" >&2; exit 1; }
fi
cli="$build/cli/vemo-cli"
baseline=${VEMO_BENCH_BASELINE:-}
if [ -n "$baseline" ] && [ ! -x "$baseline" ]; then
  echo "VEMO_BENCH_BASELINE: $baseline is no program" >&2
  exit 1
fi

work=$(mktemp -d /tmp/vemo_speed_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
bigdir="$work/big"
big="$bigdir/big.bin"

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "$baseline" ] && echo "baseline: $baseline"
echo

# --- a. kernels ---------------------------------------------------------------------------------
echo "== a. CRC kernels, both CRCs over one 64 KiB buffer (bytes per CPU-second)"
"$build/bench/crc_bench" "$kernel_seconds" | tee "$work/crc.txt"
awk '/^CCrc Update/ {printf "kernel ratio (active kernel, both CRCs / goal 20 GB/s): %.2f\n", $(NF - 1) / 20}' \
  "$work/crc.txt"
echo

# Whether the page cache can be dropped here (root, and a writable drop_caches); the quick run
# goes through the cold rows without dropping it.
can_drop=0
if [ "$quick" != 1 ] && [ "$(id -u)" = 0 ] && sync && echo 3 2>/dev/null >/proc/sys/vm/drop_caches
then
  can_drop=1
fi

# measure CMD...: times the commands in turn, RUNS rounds of one run of each, and prints one line
# "best_wall worst_wall best_cpu worst_cpu" (seconds) per command, in their order. Each command is
# one string of words split at blanks (paths here hold none); its output is discarded. With
# CLEAN_DIR set, removes check.sum from it before each run; with COLD=1, drops the page cache
# before each run, after one round that is not counted: the first program to read after a drop
# that follows a group's heavy reading pays for the kernel's memory clean-up (1.4 s of CPU
# seen), whichever program it is.
cat >"$work/timed.py" <<'EOF'
import os, sys, time
runs, commands = int(sys.argv[1]), [c.split() for c in sys.argv[2:]]
clean = os.environ.get("CLEAN_DIR")
cold = os.environ.get("COLD") == "1" and os.environ.get("CAN_DROP") == "1"
errors = os.environ["ERRORS_FILE"]
times = [[] for _ in commands]
warmup = 1 if cold else 0
for turn in range(warmup + runs):
    for i, cmd in enumerate(commands):
        if clean and os.path.exists(os.path.join(clean, "check.sum")):
            os.unlink(os.path.join(clean, "check.sum"))
        if cold:
            os.sync()
            with open("/proc/sys/vm/drop_caches", "w") as f:
                f.write("3")
        start = time.perf_counter()
        pid = os.posix_spawnp(cmd[0], cmd, os.environ, file_actions=[
            (os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0),
            (os.POSIX_SPAWN_OPEN, 2, errors, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)])
        _, status, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - start
        if status != 0:
            sys.stderr.write(open(errors).read())
            sys.exit("failed: " + " ".join(cmd))
        if turn >= warmup:
            times[i].append((wall, usage.ru_utime + usage.ru_stime))
for t in times:
    walls, cpus = [w for w, _ in t], [c for _, c in t]
    print("%.6f %.6f %.6f %.6f" % (min(walls), max(walls), min(cpus), max(cpus)))
EOF
measure() {
  CAN_DROP=$can_drop ERRORS_FILE="$work/stderr.txt" python3 "$work/timed.py" "$runs" "$@"
}

# A time of 0 (nothing measured) gives the ratio 0.
awk_div='function div(x, y) { return y > 0 ? x / y : 0 }'

# Prints one row: name, bytes, "best_wall worst_wall best_cpu worst_cpu".
row() {
  local name=$1 bytes=$2
  read -r bw ww bc wc <<<"$3"
  awk -v n="$name" -v b="$bytes" -v bw="$bw" -v ww="$ww" -v bc="$bc" -v wc="$wc" "$awk_div"'
    BEGIN {
    printf "%-34s wall %7.3f s (worst %7.3f) %8.1f MB/s   CPU %7.3f s (worst %7.3f) %8.1f MB/s\n",
      n, bw, ww, div(b, bw) / 1e6, bc, wc, div(b, bc) / 1e6 }'
}

# label, "times of A", "times of B": A's time over B's (B's rate over A's), for the best runs of
# each and for the worst runs of each.
ratio() {
  read -r aw aww ac acw <<<"$2"
  read -r bw bww bc bcw <<<"$3"
  awk -v l="$1" -v aw="$aw" -v aww="$aww" -v ac="$ac" -v acw="$acw" -v bw="$bw" -v bww="$bww" \
    -v bc="$bc" -v bcw="$bcw" "$awk_div"'BEGIN {
    printf "%-58s by wall %5.2f (worst %5.2f)   by CPU %5.2f (worst %5.2f)\n", l, div(aw, bw),
      div(aww, bww), div(ac, bc), div(acw, bcw) }'
}

# The better (faster by wall time) of two peers' times.
better() {
  read -r aw _ <<<"$1"
  read -r bw _ <<<"$2"
  if awk -v a="$aw" -v b="$bw" 'BEGIN {exit !(a <= b)}'; then echo "$1"; else echo "$2"; fi
}

# measure_creates DIR PEER...: vemo-cli create of DIR, then the baseline's (when given), then the
# peers, in turn; sets create_t, base_t and peer_t (an array, one line per peer).
measure_creates() {
  local dir=$1
  shift
  local commands=("$cli create -q $dir")
  [ -n "$baseline" ] && commands+=("$baseline create -q $dir")
  local results
  results=$(CLEAN_DIR="$dir" measure "${commands[@]}" "$@")
  rm -f "$dir/check.sum"
  create_t=$(sed -n 1p <<<"$results")
  local first_peer=2
  base_t=""
  if [ -n "$baseline" ]; then
    base_t=$(sed -n 2p <<<"$results")
    first_peer=3
  fi
  mapfile -t peer_t < <(tail -n +"$first_peer" <<<"$results")
}

# create_rows LABEL PEER_TIMES GOAL: the ratios of this build's create and the baseline's to the
# peer (peer time over create time: the create's speed over the peer's).
create_rows() {
  local label=$1 peer=$2 goal=$3
  ratio "$label (goal $goal)" "$peer" "$create_t"
  [ -n "$baseline" ] && ratio "$label, baseline" "$peer" "$base_t"
  return 0
}

# --- b. one page-cached 1 GiB file --------------------------------------------------------------
echo "== b. one page-cached $big_label file"
mkdir -p "$bigdir"
head -c $((big_mib << 20)) /dev/urandom >"$big"
cat "$big" >/dev/null
big_bytes=$(stat -c %s "$big")
worker_w=1e9 worker_ww=0 worker_c=1e9 worker_wc=0
for _ in $(seq "$runs"); do  # the worker alone, timed inside scan_bench (best of its 3 rounds)
  line=$("$build/bench/scan_bench" checksum "$big")
  w=$(echo "$line" | sed -E 's/.* in ([0-9.]+) s = .*/\1/')
  c=$(echo "$line" | sed -E 's/.*CPU ([0-9.]+) s.*/\1/')
  read -r worker_w worker_ww worker_c worker_wc <<<"$(awk -v w="$w" -v c="$c" -v a="$worker_w" \
    -v b="$worker_ww" -v d="$worker_c" -v e="$worker_wc" \
    'BEGIN {print (w < a ? w : a), (w > b ? w : b), (c < d ? c : d), (c > e ? c : e)}')"
done
worker_t="$worker_w $worker_ww $worker_c $worker_wc"
measure_creates "$bigdir" "cat $big" "7z h -scrcCRC32 $big"
cat_t=${peer_t[0]} sevenz_t=${peer_t[1]}
row "checksum worker (both CRCs)" "$big_bytes" "$worker_t"
row "vemo-cli create DIR (scan..save)" "$big_bytes" "$create_t"
[ -n "$baseline" ] && row "baseline vemo-cli create DIR" "$big_bytes" "$base_t"
row "cat FILE > /dev/null" "$big_bytes" "$cat_t"
row "7z h -scrcCRC32 FILE" "$big_bytes" "$sevenz_t"
ratio "$big_label: worker rate / cat rate" "$cat_t" "$worker_t"
create_rows "$big_label: create rate / cat rate" "$cat_t" ">= 0.9"
create_rows "$big_label: create rate / 7z rate" "$sevenz_t" ">= 3"
echo

# --- c. 100,000 small files ---------------------------------------------------------------------
echo "== c. $((dirs * 100)) files of 0 to 8 KiB in $dirs directories"
python3 - "$tree" "$dirs" <<'EOF'
import os, sys
root = sys.argv[1]
block = os.urandom(8192)
for d in range(int(sys.argv[2])):
    sub = os.path.join(root, "d%03d" % (d // 10), "e%d" % (d % 10))  # two levels deep
    os.makedirs(sub, exist_ok=True)
    for f in range(100):
        n = (d * 100 + f) * 2654435761 % 8193  # 0..8192 bytes, about 4 KiB on average
        with open(os.path.join(sub, "file%03d.dat" % f), "wb") as out:
            out.write(block[:n])
EOF
sync  # written back: a run must not share the disk with the writeback of the tree
find "$tree" -printf '%s %T@\n' >/dev/null  # warm the page cache: metadata and contents
find "$tree" -type f -exec cat {} + >/dev/null
tree_bytes=$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
measure_creates "$tree" "7z h -scrcCRC32 -r $tree"
sevenz_tree_t=${peer_t[0]}
row "vemo-cli create (scan..save)" "$tree_bytes" "$create_t"
[ -n "$baseline" ] && row "baseline vemo-cli create" "$tree_bytes" "$base_t"
row "7z h -scrcCRC32 -r DIR" "$tree_bytes" "$sevenz_tree_t"
create_rows "tree: 7z time / vemo-cli create time" "$sevenz_tree_t" ">= 2"
echo

# --- d. cold page cache -------------------------------------------------------------------------
echo "== d. cold page cache: the tree of c and the $big_label file of b, each run after a drop"
if [ "$quick" = 1 ]; then
  echo "(quick run: the page cache is not dropped)"
elif [ "$can_drop" != 1 ]; then
  echo "skipped: the page cache cannot be dropped here (needs root and /proc/sys/vm/drop_caches)"
  exit 0
fi
COLD=1 measure_creates "$tree" "find $tree -type f -exec cat {} +" "7z h -scrcCRC32 -r $tree"
cold_cat_t=${peer_t[0]} cold_sevenz_t=${peer_t[1]}
row "tree: vemo-cli create" "$tree_bytes" "$create_t"
[ -n "$baseline" ] && row "tree: baseline vemo-cli create" "$tree_bytes" "$base_t"
row "tree: find -exec cat {} +" "$tree_bytes" "$cold_cat_t"
row "tree: 7z h -scrcCRC32 -r DIR" "$tree_bytes" "$cold_sevenz_t"
create_rows "cold tree: create rate / the better peer's" \
  "$(better "$cold_cat_t" "$cold_sevenz_t")" ">= 1"
COLD=1 measure_creates "$bigdir" "cat $big" "7z h -scrcCRC32 $big"
cold_big_cat_t=${peer_t[0]} cold_big_sevenz_t=${peer_t[1]}
row "$big_label: vemo-cli create DIR" "$big_bytes" "$create_t"
[ -n "$baseline" ] && row "$big_label: baseline vemo-cli create" "$big_bytes" "$base_t"
row "$big_label: cat FILE" "$big_bytes" "$cold_big_cat_t"
row "$big_label: 7z h -scrcCRC32 FILE" "$big_bytes" "$cold_big_sevenz_t"
create_rows "cold $big_label: create rate / the better peer's" \
  "$(better "$cold_big_cat_t" "$cold_big_sevenz_t")" ">= 1"
