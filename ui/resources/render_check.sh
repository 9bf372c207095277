#!/bin/sh
# Renders every picture at 16 and 48 px into one contact sheet for a person to look at:
# each tile shows the 16 px rendering, the same pixels magnified three times, and the 48 px one.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick. Usage: render_check.sh [sheet.png]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sheet=${1:-/tmp/vemo_pictures.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
im=/usr/bin/convert
[ -x "$im" ] || im=convert

for group in rows toolbar icons; do
  for svg in "$here/$group"/*.svg; do
    name=$(basename "$svg" .svg)
    rsvg-convert -w 16 -h 16 "$svg" -o "$work/s16.png"
    rsvg-convert -w 48 -h 48 "$svg" -o "$work/s48.png"
    "$im" "$work/s16.png" -filter point -resize 300% "$work/x3.png"
    "$im" -background '#d4d4d4' "$work/s16.png" -gravity center -extent 20x48 \
      "$work/x3.png" "$work/s48.png" +append \
      -gravity south -splice 0x12 -font DejaVu-Sans -pointsize 8 -fill black -gravity southwest \
      -annotate +1+1 "$name" -bordercolor white -border 3 "$work/$group-$name.png"
  done
done

# Eight tiles to a row, groups in order.
for group in rows toolbar icons; do ls "$work/$group"-*.png; done >"$work/list"
i=0
rowfiles=""
: >"$work/rowlist"
while read -r tile; do
  rowfiles="$rowfiles $tile"
  i=$((i + 1))
  if [ $((i % 8)) -eq 0 ]; then
    # shellcheck disable=SC2086
    "$im" $rowfiles -background white +append "$work/row$i.png"
    echo "$work/row$i.png" >>"$work/rowlist"
    rowfiles=""
  fi
done <"$work/list"
if [ -n "$rowfiles" ]; then
  # shellcheck disable=SC2086
  "$im" $rowfiles -background white +append "$work/rowlast.png"
  echo "$work/rowlast.png" >>"$work/rowlist"
fi
# shellcheck disable=SC2046
"$im" $(cat "$work/rowlist") -background white -gravity northwest -append "$sheet"
echo "$sheet"
