#!/usr/bin/env bash
# What pairing moved files costs vemo-cli: the verify of a tree where 100,000 files moved, with the
# pairing and without it (--no-moves), beside find reading the same tree, all page-cached.
#   bench/move_pairing_bench.sh [BUILD_DIR] [ROUNDS]   (BUILD_DIR as built, with vemo-cli; default:
#                                 build-bench, configured in Release here; 5 rounds, best of each)
# Generates 100,000 files of 16 bytes to 4 KiB in 1,000 directories under /tmp, lists them, then
# moves every file d<i>/f<j> to e<j>/g<i>: each is a move of its own (no directory moves as a
# whole), so all 100,000 go through the pairing. Deletes the tree afterwards. With
# VEMO_BENCH_QUICK=1 (the test command's smoke run): 2,000 files and one round, figures that mean
# nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
rounds=${2:-5}
dirs=1000
[ "${VEMO_BENCH_QUICK:-0}" = 1 ] && dirs=20 rounds=1
if [ -z "$build" ]; then  # a build of its own; a given one is taken as built, never reconfigured
  build=$root/build-bench
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF \
    -DVEMO_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target vemo-cli >/dev/null
fi
cli="$build/cli/vemo-cli"
files=$((dirs * 100))

work=$(mktemp -d /tmp/vemo_move_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
export XDG_CONFIG_HOME="$work/config"  # the default tolerances, nothing of the user's

echo "generating $files files in $dirs directories under $work ..." >&2
python3 - "$tree" "$dirs" <<'EOF'
import os, sys
root, dirs = sys.argv[1], int(sys.argv[2])
for i in range(dirs):
    sub = os.path.join(root, "d%04d" % i)
    os.makedirs(sub)
    for j in range(100):
        n = i * 100 + j
        line = ("file %d of the moving tree\n" % n).encode()
        with open(os.path.join(sub, "f%03d.txt" % j), "wb") as out:
            out.write(line * (1 + n * 2654435761 % 4096 // len(line)))  # 16 B to 4 KiB, unique
EOF
"$cli" create --quiet --no-progress "$tree" >/dev/null
python3 - "$tree" "$dirs" <<'EOF'
import os, sys
root, dirs = sys.argv[1], int(sys.argv[2])
for j in range(100):
    os.makedirs(os.path.join(root, "e%03d" % j))
for i in range(dirs):
    for j in range(100):
        os.rename(os.path.join(root, "d%04d" % i, "f%03d.txt" % j),
                  os.path.join(root, "e%03d" % j, "g%04d.txt" % i))
    os.rmdir(os.path.join(root, "d%04d" % i))
EOF

# The best wall time and the best CPU time (user + system, all threads) of $rounds runs of "$@",
# as "wall cpu" in seconds. The exit status of the command is ignored (verify says 1: moved).
best_of() {
  local best_wall="" best_cpu="" line
  for _ in $(seq "$rounds"); do
    line=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1 || true; } 2>&1 )
    best_wall=$(echo "$line ${best_wall:-1e9}" | awk '{print ($1 < $4 ? $1 : $4)}')
    best_cpu=$(echo "$line ${best_cpu:-1e9}" | awk '{c = $2 + $3; print (c < $4 ? c : $4)}')
  done
  echo "$best_wall $best_cpu"
}

# Warm the page cache and check that every file is reported moved.
find "$tree" -type f -exec cat {} + >/dev/null
summary=$("$cli" verify --quiet --no-progress "$tree" || true)
echo "$summary"
case $summary in
  *"files 0 unchanged, 0 changed, 0 damaged?, $files moved, 0 new, 0 missing, 0 errors"*) ;;
  *) echo "move_pairing_bench: expected $files moved files" >&2; exit 1 ;;
esac

read -r find_wall find_cpu < <(best_of find "$tree" -printf '%s %T@ %m\n')
read -r plain_wall plain_cpu < <(best_of "$cli" verify --quiet --no-progress --no-moves "$tree")
read -r paired_wall paired_cpu < <(best_of "$cli" verify --quiet --no-progress "$tree")

echo "best of $rounds rounds, $files files moved; wall s / CPU s:"
printf '  find -printf over the tree:       %6.3f / %6.3f\n' "$find_wall" "$find_cpu"
printf '  verify --no-moves (no pairing):   %6.3f / %6.3f\n' "$plain_wall" "$plain_cpu"
printf '  verify (with the pairing):        %6.3f / %6.3f\n' "$paired_wall" "$paired_cpu"
awk -v n="$files" -v pw="$plain_wall" -v pc="$plain_cpu" -v w="$paired_wall" -v c="$paired_cpu" \
  -v fw="$find_wall" 'BEGIN {
    printf "pairing %d moved files: %+.3f s wall (%+.1f %% of the verify, %.2f times find), " \
           "%+.3f s CPU (%+.2f us per file)\n", n, w - pw, 100 * (w - pw) / pw, (w - pw) / fw,
           c - pc, 1e6 * (c - pc) / n
  }'
