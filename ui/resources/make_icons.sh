#!/bin/sh
# Writes the application icon, the document icon and the 15 progress icons from one double-arrow
# outline, so that the last progress step stays identical to the application icon.
# Run from anywhere; the files land in icons/ beside this script.
set -eu
dir=$(cd "$(dirname "$0")" && pwd)/icons
mkdir -p "$dir"

blue='#2f6fd0'
yellow='#f5c400'
edge='#3a2f08'
# 2-unit strokes on odd coordinates land on whole pixels at 16 and 32 px.
arrow='M16 1.5 L29 13 H21 V19 H29 L16 30.5 L3 19 H11 V13 H3 Z'

# The arrow's corners, for cutting; the same shape as $arrow.
corners='16 1.5 29 13 21 13 21 19 29 19 16 30.5 3 19 11 19 11 13 3 13'

# Prints the part of the arrow at or below y = $1 as path data (one polygon cut by a line).
below() {
  echo "$corners" | awk -v level="$1" '{
    n = NF / 2
    for (i = 0; i < n; i++) { x[i] = $(2 * i + 1); y[i] = $(2 * i + 2) }
    m = 0
    for (i = 0; i < n; i++) {
      j = (i + 1) % n
      inI = y[i] >= level; inJ = y[j] >= level
      if (inI) { ox[m] = x[i]; oy[m] = y[i]; m++ }
      if (inI != inJ) {
        t = (level - y[i]) / (y[j] - y[i])
        ox[m] = x[i] + t * (x[j] - x[i]); oy[m] = level; m++
      }
    }
    d = ""
    for (i = 0; i < m; i++) d = d sprintf("%s%g %g ", i ? "L" : "M", ox[i], oy[i])
    print d "Z"
  }'
}

head() {
  printf '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
}

# step 0 is all blue; each step turns two more rows yellow from the bottom up; step 14 is all yellow.
step=0
while [ "$step" -le 14 ]; do
  out=$(printf '%s/progress_%02d.svg' "$dir" "$step")
  {
    head
    if [ "$step" -eq 0 ]; then
      printf '  <path d="%s" fill="%s"/>\n' "$arrow" "$blue"
    elif [ "$step" -eq 14 ]; then
      printf '  <path d="%s" fill="%s"/>\n' "$arrow" "$yellow"
    else
      # SVG Tiny renderers have no clipPath, so the yellow part is the outline cut at the level.
      printf '  <path d="%s" fill="%s"/>\n' "$arrow" "$blue"
      printf '  <path d="%s" fill="%s"/>\n' "$(below "$((30 - 2 * step))")" "$yellow"
    fi
    printf '  <path d="%s" fill="none" stroke="%s" stroke-width="2" stroke-linejoin="round"/>\n' \
      "$arrow" "$edge"
    printf '</svg>\n'
  } >"$out"
  step=$((step + 1))
done

cp "$dir/progress_14.svg" "$dir/vemo.svg"

# The document icon: the arrow, narrower, on a page with a folded corner.
small_arrow='M16 8 L23 15 H19 V21 H23 L16 28 L9 21 H13 V15 H9 Z'
{
  head
  printf '  <path d="M5 1 H19 L27 9 V31 H5 Z" fill="#ffffff" stroke="#505050" stroke-width="2" stroke-linejoin="round"/>\n'
  printf '  <path d="M19 1 V9 H27" fill="#e0e0e0" stroke="#505050" stroke-width="2" stroke-linejoin="round"/>\n'
  printf '  <path d="%s" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>\n' \
    "$small_arrow" "$yellow" "$edge"
  printf '</svg>\n'
} >"$dir/vemo-document.svg"
