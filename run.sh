#!/usr/bin/env bash
# Sets up Vemo and runs its main job on a directory (default: the current directory): verifies
# the tree against its checksum list when it holds one (check.sum or CRCDir.crx, or when the
# argument is a list file), otherwise creates the list. With a desktop (DISPLAY or WAYLAND_DISPLAY
# set) the desktop program vemo does it in its window; without one vemo-cli does, further
# arguments being its options, and the script exits with its status (0 unchanged, 1 differences,
# 2 failure, 130 interrupted).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
target=${1:-.}
[ $# -gt 0 ] && shift
"$root/scripts/setup.sh" "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF \
  -DVEMO_BUILD_BENCH=OFF >&2
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # A desktop is there: the desktop program verifies the list, or makes a new one for the folder
  # (its first new document takes the current directory).
  vemo=$root/build-release/ui/vemo
  if [ -f "$target" ]; then
    exec "$vemo" "$target"
  elif [ -e "$target/check.sum" ]; then
    exec "$vemo" "$target/check.sum"
  elif [ -e "$target/CRCDir.crx" ]; then
    exec "$vemo" "$target/CRCDir.crx"
  fi
  cd "$target"
  exec "$vemo"
fi
if [ -f "$target" ] || [ -e "$target/check.sum" ] || [ -e "$target/CRCDir.crx" ]; then
  command=verify
else
  command=create
fi
exec "$root/build-release/cli/vemo-cli" "$command" "$@" -- "$target"
