#!/usr/bin/env bash
# Sets up Vemo and runs its main job on a directory (default: the current directory): verifies
# the tree against its checksum list when it holds one (check.sum or CRCDir.crx, or when the
# argument is a list file), otherwise creates the list. Further arguments are vemo-cli options.
# Exits with vemo-cli's status (0 unchanged, 1 differences, 2 failure, 130 interrupted).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
target=${1:-.}
[ $# -gt 0 ] && shift
"$root/scripts/setup.sh" "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF \
  -DVEMO_BUILD_BENCH=OFF >&2
if [ -f "$target" ] || [ -e "$target/check.sum" ] || [ -e "$target/CRCDir.crx" ]; then
  command=verify
else
  command=create
fi
exec "$root/build-release/cli/vemo-cli" "$command" "$@" -- "$target"
