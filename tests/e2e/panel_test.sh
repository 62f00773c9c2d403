#!/usr/bin/env bash
# Starts the real Zellora.exe under Wine on the example station and shows one entry in the
# panel (zellora_panel_driver); keeps a screenshot of the window as OUT_DIR/zellora_panel.png.
#
# panel_test.sh BIN_DIR SOURCE_DIR OUT_DIR
set -euo pipefail

bin=$1
src=$2
out=$3
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$out/e2e_panel
rm -rf "$work"
mkdir -p "$work"
cp "$bin/Zellora.exe" "$bin/rotation.dll" "$bin/zellora_panel_driver.exe" "$work/"
cp -r "$src/examples/sim" "$work/sim"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
printf '\xEF\xBB\xBF%s\\' "$(windows_path "$work/sim")" >"$work/options.cfg"

file=$work/sim/Objekte/Bahnhof/Bahnhof.fzlgrp
# Line 6 is the linden tree, the last of the station's objects.
cd "$work"
ZELLORA_WINE_TIMEOUT=180 "$src/scripts/wine-run" explorer /desktop=zellora,1024x768 \
  "$(windows_path "$work/zellora_panel_driver.exe")" \
  "$(windows_path "$work/Zellora.exe")" "$(windows_path "$file")" 6 \
  "$(windows_path "$work/zellora_panel.bmp")" "$(windows_path "$work/result.txt")" || true

if [ -f "$work/zellora_panel.bmp" ]; then
  convert "$work/zellora_panel.bmp" "$out/zellora_panel.png"
  echo "screenshot: $out/zellora_panel.png"
fi
result=$(tr -d "\r" <"$work/result.txt" 2>/dev/null || echo "the driver left no result")
echo "panel end-to-end: $result"
[ "$result" = PASS ]
cmp "$file" "$src/examples/sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
