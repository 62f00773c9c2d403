#!/usr/bin/env bash
# Starts the real Zellora.exe under Wine on the example station, with the example simulator
# folder in its options.cfg, and drives it from a second process (zellora_e2e_driver).
# Keeps a screenshot of the window as OUT_DIR/zellora.png.
#
# e2e_test.sh BIN_DIR SOURCE_DIR OUT_DIR
set -euo pipefail

bin=$1
src=$2
out=$3
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$out/e2e
rm -rf "$work"
mkdir -p "$work"
cp "$bin/Zellora.exe" "$bin/rotation.dll" "$bin/zellora_e2e_driver.exe" "$work/"
cp -r "$src/examples/sim" "$work/sim"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
printf '\xEF\xBB\xBF%s\\' "$(windows_path "$work/sim")" >"$work/options.cfg"

file=$work/sim/Objekte/Bahnhof/Bahnhof.fzlgrp
# The station's groups, then its objects, then its two labels, which name no file.
printf '%s\n' Doppellampe.fzlgrp Doppellampe.fzlgrp Einfahrsignal.fzlgrp \
  Empfangsgebäude.fzlobj Bahnsteig.fzlobj Bahnsteig.fzlobj Linde.fzlobj "" "" \
  >"$work/lines.txt"

# Wine's virtual desktop draws the caption, the frame and the menu bar itself; Xvfb has no
# window manager that would.
cd "$work"
ZELLORA_WINE_TIMEOUT=180 "$src/scripts/wine-run" explorer /desktop=zellora,1024x768 \
  "$(windows_path "$work/zellora_e2e_driver.exe")" \
  "$(windows_path "$work/Zellora.exe")" "$(windows_path "$file")" \
  "$(windows_path "$work/lines.txt")" "$(windows_path "$work/zellora.bmp")" \
  "$(windows_path "$work/result.txt")" || true

if [ -f "$work/zellora.bmp" ]; then
  convert "$work/zellora.bmp" "$out/zellora.png"
  echo "screenshot: $out/zellora.png"
fi
result=$(tr -d "\r" <"$work/result.txt" 2>/dev/null || echo "the driver left no result")
echo "end-to-end: $result"
[ "$result" = PASS ]
cmp "$file" "$src/examples/sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
