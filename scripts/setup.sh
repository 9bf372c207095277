#!/usr/bin/env bash
# Installs the Debian packages Vemo builds with (when missing) and configures and builds one
# build tree. Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build directory}
shift

packages=(g++ cmake make pkg-config libgtest-dev libgmock-dev python3 qt6-base-dev qt6-svg-dev
  libgl-dev xvfb xauth imagemagick ccache clang-format)
# The fuzz build (fuzz/run.sh) alone needs clang and its libFuzzer.
[[ " $* " == *" -DVEMO_FUZZ=ON "* ]] && packages+=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

jobs=$(nproc)
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j "$jobs"
