#!/usr/bin/env bash
# Draws the program icon (resource 128): a 3 x 3 mosaic of tiles, the centre tile in amber.
# Run after changing the drawing; the .ico is committed so that builds need no image tools.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
colours=(
  '#1f4e79' '#2e75b6' '#1f4e79'
  '#2e75b6' '#f0a30a' '#2e75b6'
  '#1f4e79' '#2e75b6' '#9dc3e6'
)
# draw SIZE: tiles of (SIZE - 4) / 3 pixels on a transparent ground, a pixel of grout between them.
draw() {
  local size=$1 tile=$(( ($1 - 4) / 3 )) args=() i x y
  for i in "${!colours[@]}"; do
    x=$(( 1 + (i % 3) * (tile + 1) )); y=$(( 1 + (i / 3) * (tile + 1) ))
    args+=(-fill "${colours[$i]}" -draw "rectangle $x,$y $((x + tile - 1)),$((y + tile - 1))")
  done
  convert -size "${size}x${size}" xc:none "${args[@]}" "$tmp/icon$size.png"
}
for s in 16 32 48; do draw "$s"; done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" tessivar.ico
