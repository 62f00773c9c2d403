#!/usr/bin/env bash
# Runs a GUI test binary in a Wine prefix of its own whose screen has another DPI (LogPixels),
# as a monitor at 150 % has: the test's prefix beside the usual one, made once and kept. The
# screen is one such a monitor has, 1920 × 1080 pixels, on a display of the test's own.
#
# run_at_dpi.sh SOURCE_DIR DPI TEST.EXE [gtest options...]
set -euo pipefail

src=$1
dpi=$2
exe=$3
shift 3
base=${ZELLORA_WINEPREFIX:-$src/build/wineprefix-${ZELLORA_WINEARCH:-win32}}
export ZELLORA_WINEPREFIX=$base-dpi$dpi
if [ ! -f "$ZELLORA_WINEPREFIX/.zellora-dpi" ]; then
  # Wine reads the screen's DPI from the machine's font settings and the user's desktop.
  for key in 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    'HKCU\Control Panel\Desktop'; do
    "$src/scripts/wine-run" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  done
  WINEPREFIX=$ZELLORA_WINEPREFIX wineserver -w
  touch "$ZELLORA_WINEPREFIX/.zellora-dpi"
fi
ZELLORA_TEST_DPI=$dpi xvfb-run -a -s "-screen 0 1920x1080x24" "$src/scripts/wine-run" "$exe" "$@"
