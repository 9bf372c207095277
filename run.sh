#!/usr/bin/env bash
# Sets up Vemo and runs its main job on a directory (default: the current directory).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=OFF >&2
exec "$root/build/cli/vemo-cli" "$@"
