#!/usr/bin/env bash
# Draws the editor's icon: three placed blocks on a rail, on a rounded blue tile.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
  -fill '#1f5fa8' -draw 'roundrectangle 8,8 248,248 40,40' \
  -fill '#2f7fd0' -draw 'roundrectangle 20,20 236,236 30,30' \
  -stroke '#e8e8e8' -strokewidth 10 -draw 'line 28,200 228,200' -draw 'line 28,222 228,222' \
  -stroke none -fill '#9a6a3a' -draw 'rectangle 44,194 60,228' -draw 'rectangle 100,194 116,228' \
  -draw 'rectangle 156,194 172,228' -draw 'rectangle 212,194 228,228' \
  -fill '#f2c230' -draw 'rectangle 44,120 108,180' \
  -fill '#e35d3a' -draw 'rectangle 120,112 184,180' \
  -fill '#7cc46a' -draw 'rectangle 196,140 224,180' \
  -stroke '#ffffff' -strokewidth 14 -fill none \
  -draw 'polyline 64,36 192,36 64,94 192,94' \
  "$tmp/icon256.png"
for size in 16 24 32 48 256; do
  convert "$tmp/icon256.png" -resize ${size}x${size} "$tmp/icon$size.png"
done
convert "$tmp/icon16.png" "$tmp/icon24.png" "$tmp/icon32.png" "$tmp/icon48.png" \
  "$tmp/icon256.png" -depth 8 zellora.ico
