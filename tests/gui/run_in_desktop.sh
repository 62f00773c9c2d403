#!/usr/bin/env bash
# Runs a GUI test binary in Wine's virtual desktop. There a modal dialog opens and closes at
# once, while under bare Xvfb Wine waits two seconds for every top-level window to be
# withdrawn. The desktop does not hand the program's exit code on, so the verdict is read
# from the test's XML report.
#
# run_in_desktop.sh SOURCE_DIR TEST.EXE REPORT.XML [gtest options...]
set -euo pipefail

src=$1
exe=$2
report=$3
shift 3
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$src" "$exe" "$report" "$@"
fi

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
rm -f "$report"
ZELLORA_WINE_TIMEOUT=${ZELLORA_WINE_TIMEOUT:-240} "$src/scripts/wine-run" \
  explorer /desktop=zellora_tests,1024x768 "$(windows_path "$exe")" \
  "--gtest_output=xml:$(windows_path "$report")" "$@" || true
if [ ! -f "$report" ]; then
  echo "the tests ended without a report"
  exit 1
fi
grep -q '<testsuites [^>]*failures="0"' "$report" && grep -q '<testsuites [^>]*errors="0"' "$report"
