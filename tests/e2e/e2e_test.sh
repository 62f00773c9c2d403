#!/usr/bin/env bash
# Starts the real Zellora.exe under Wine on the example station, with the example simulator
# folder in its options.cfg, and drives it from a second process (zellora_e2e_driver). The
# station exported from the editor's menu must be byte for byte what the Windows
# zellora-cli.exe writes for it. Keeps screenshots of the window, the paths dialog, the
# about box and the export dialog as OUT_DIR/zellora.png, paths.png, about.png, export.png,
# of the enlarged window as zellora_large.png and of the plan window as zellora_plan.png.
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
cp "$bin/Zellora.exe" "$bin/rotation.dll" "$bin/zellora_e2e_driver.exe" "$bin/zellora-cli.exe" \
  "$work/"
cp -r "$src/examples/sim" "$work/sim"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# The pictures show the simulator folder a user would have, C:\Ferrolino\ (the driver checks
# the paths dialog's field): in the prefix's drive C: it is the example copied above.
prefix=${ZELLORA_WINEPREFIX:-$src/build/wineprefix-${ZELLORA_WINEARCH:-win32}}
"$src/scripts/wine-run" cmd /c exit 0
ln -sfn "$work/sim" "$prefix/drive_c/Ferrolino"
root='C:\Ferrolino'
printf '\xEF\xBB\xBF%s\\' "$root" >"$work/options.cfg"

file=$work/sim/Objekte/Bahnhof/Bahnhof.fzlgrp
file_in_root="$root\\Objekte\\Bahnhof\\Bahnhof.fzlgrp"
# The station's groups, then its objects, then its two labels by their texts; equal names with
# their positions.
printf '%s\n' "Doppellampe.fzlgrp (-20.0; 0.0; 12.0)" "Doppellampe.fzlgrp (20.0; 0.0; 12.0)" \
  Einfahrsignal.fzlgrp Empfangsgebäude.fzlobj "Bahnsteig.fzlobj (0.0; 0.0; 12.0)" \
  "Bahnsteig.fzlobj (0.0; 0.0; 24.0)" Linde.fzlobj Kleinstadt "Gleis 1 – Ausgang Süd" \
  >"$work/lines.txt"

# A scene that takes the worker a few seconds, so that its export can be seen and cancelled:
# thirty placements of a group of 20000 objects.
large=$work/sim/Objekte/Gross
mkdir -p "$large" "$work/out"
{
  printf '\xEF\xBB\xBF<?xml version="1.0" encoding="UTF-8"?>\r\n<GRUPPENOBJECT>\r\n<Props FileInfo="Viele" />'
  for ((i = 0; i < 20000; i++)); do
    printf '\r\n<Object>\r\n<Props Name="Lampe%d.fzlobj" Position="%d;0;0" ZoomFaktor="1" />\r\n</Object>' "$i" "$i"
  done
  printf '\r\n</GRUPPENOBJECT>'
} >"$large/Viele.fzlgrp"
{
  printf '\xEF\xBB\xBF<?xml version="1.0" encoding="UTF-8"?>\r\n<GRUPPENOBJECT>\r\n<Props FileInfo="Gross" />'
  for ((i = 0; i < 30; i++)); do
    printf '\r\n<IObject>\r\n<Props Name="Viele.fzlgrp" Position="0;%d;0" ZoomFaktor="1" />\r\n</IObject>' "$i"
  done
  printf '\r\n</GRUPPENOBJECT>'
} >"$large/Gross.fzlgrp"

# Wine's virtual desktop draws the caption, the frame and the menu bar itself; Xvfb has no
# window manager that would.
cd "$work"
ZELLORA_WINE_TIMEOUT=180 "$src/scripts/wine-run" explorer /desktop=zellora,1024x768 \
  "$(windows_path "$work/zellora_e2e_driver.exe")" \
  "$(windows_path "$work/Zellora.exe")" "$file_in_root" \
  "$(windows_path "$work/lines.txt")" "$(windows_path "$work")" \
  "$(windows_path "$work/result.txt")" "$(windows_path "$work/out/editor.fzlgrp")" \
  "$(windows_path "$large/Gross.fzlgrp")" "$(windows_path "$work/out/gross.fzlgrp")" || true

for shot in zellora zellora_large zellora_plan paths about export; do
  if [ -f "$work/$shot.bmp" ]; then
    convert "$work/$shot.bmp" "$out/$shot.png"
    echo "screenshot: $out/$shot.png"
  fi
done
result=$(tr -d "\r" <"$work/result.txt" 2>/dev/null || echo "the driver left no result")
echo "end-to-end: $result"
[ "$result" = PASS ]
cmp "$file" "$src/examples/sim/Objekte/Bahnhof/Bahnhof.fzlgrp"

# The same station exported by the command line, into the same folder, since the names in
# an export are written relative to its folder.
"$src/scripts/wine-run" "$(windows_path "$work/zellora-cli.exe")" export \
  --root "$root" "$file_in_root" \
  "$(windows_path "$work/out/cli.fzlgrp")"
if ! cmp "$work/out/editor.fzlgrp" "$work/out/cli.fzlgrp"; then
  diff <(tr -d '\r' <"$work/out/editor.fzlgrp") <(tr -d '\r' <"$work/out/cli.fzlgrp") | head -20
  exit 1
fi
# Neither export leaves a temporary file behind, and the cancelled one leaves nothing.
leftover=$(ls "$work/out" | grep -v -x -e editor.fzlgrp -e cli.fzlgrp || true)
if [ -n "$leftover" ]; then
  echo "left in the export folder: $leftover"
  exit 1
fi
echo "export from the menu equals zellora-cli.exe export ($(wc -c <"$work/out/editor.fzlgrp") bytes)"
