#!/usr/bin/env bash
# Builds the desktop program and saves a picture of its main window with two lists open, on a
# sample tree that shows every category (unchanged, changed, new, missing, error), into
# docs/screenshots/main_window.png. Usage: scripts/gui_screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-screenshots}
cmake -S "$root" -B "$build" -DVEMO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target vemo-cli vemo_screenshot >&2

work=$(mktemp -d)
trap 'chmod -R u+rwX "$work"; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

# First tree: every category. The list is made, then the tree changes under it.
tree=$work/photos
mkdir -p "$tree/2023/summer" "$tree/2023/winter" "$tree/2024" "$tree/empty"
for i in 1 2 3 4 5 6; do head -c $((i * 70000)) /dev/urandom >"$tree/2023/summer/img_00$i.jpg"; done
for i in 1 2 3; do head -c $((i * 50000)) /dev/urandom >"$tree/2023/winter/img_10$i.jpg"; done
echo "trip notes" >"$tree/2024/notes.txt"
head -c 200000 /dev/urandom >"$tree/2024/video.mp4"
head -c 4000 /dev/urandom >"$tree/2024/scan.unreadable"
"$build/cli/vemo-cli" create -- "$tree" >/dev/null
head -c 70000 /dev/urandom >"$tree/2023/summer/img_001.jpg"  # changed contents
echo "more notes, longer now" >"$tree/2024/notes.txt"          # changed size
rm "$tree/2023/winter/img_102.jpg"                             # missing
head -c 123456 /dev/urandom >"$tree/2024/new_photo.jpg"        # new
preload=()
if [ "$(id -u)" = 0 ]; then
  # Permission bits stop nothing for root: a preloaded library refuses the read instead.
  cc -shared -fPIC -o "$work/unreadable_preload.so" "$root/tools/unreadable_preload.c" -ldl
  preload=(env "LD_PRELOAD=$work/unreadable_preload.so")
else
  chmod 000 "$tree/2024/scan.unreadable"
fi

# Second tree: a new list, nothing saved yet.
second=$work/music
mkdir -p "$second/albums/one" "$second/albums/two"
for i in 1 2 3 4; do head -c $((i * 30000)) /dev/urandom >"$second/albums/one/track_0$i.flac"; done
head -c 90000 /dev/urandom >"$second/albums/two/track_01.flac"

mkdir -p "$root/docs/screenshots"
out=$root/docs/screenshots/main_window.png
"${preload[@]}" "$build/ui/vemo_screenshot" "$out" "$tree/check.sum" "$second/check.sum"
echo "$out"
