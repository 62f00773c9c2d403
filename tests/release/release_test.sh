#!/usr/bin/env bash
# The release as a Windows user gets it, under Wine in a fresh prefix on a virtual display:
# the installer installs silently, puts every file, the shortcut and the keys in place; a
# group file opened through its association opens in Zellora; "Hilfe" finds the manual;
# the uninstaller removes everything it brought and leaves another program's association
# alone. Then the portable zip: its files, its texts, and the same bytes when built again.
#
# release_test.sh SOURCE_DIR DIST_DIR PROBE_EXE VERSION WORK_DIR
set -uo pipefail

src=$1
dist=$2
probe=$3
version=$4
work=$5
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

setup=$dist/Zellora-$version-setup.exe
zip=$dist/Zellora-$version-portable.zip
for file in "$setup" "$zip" "$dist/stage/Readme.pdf" "$probe"; do
  if [ ! -f "$file" ]; then
    echo "release test: $file is missing; run scripts/package first"
    exit 1
  fi
done

source "$src/tests/checks.sh"

rm -rf "$work"
mkdir -p "$work"

# Where the kernel runs no 32-bit programs, Wine cannot start the release's 32-bit installer
# nor its programs. The test then installs their x86-64 twin under 64-bit Wine: the same
# zellora.nsi with the 64-bit stub, the x86-64 build of the same sources, the same manual and
# texts (scripts/package --twin64). The zip is the release's own either way.
installer_stage=$dist/stage
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export ZELLORA_WINEARCH=win32
else
  export ZELLORA_WINEARCH=win64
  echo "release test: this machine runs no 32-bit programs; installing the x86-64 twin"
  if ! ZELLORA_DIST="$work/twin64" bash "$src/scripts/package" --twin64 >"$work/twin64.log" 2>&1; then
    cat "$work/twin64.log"
    echo "FAILED: the x86-64 twin of the installer could not be built"
    exit 1
  fi
  setup=$work/twin64/Zellora-$version-setup-x86-64.exe
  installer_stage=$work/twin64/stage
fi
prefix=$work/prefix
export ZELLORA_WINEPREFIX=$prefix
# No desktop entries or MIME types in the Linux user's home for the shortcut and the file
# types the installer registers.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export ZELLORA_WINE_TIMEOUT=180
run() { "$src/scripts/wine-run" "$@"; }
settle() { WINEPREFIX=$prefix timeout 120 wineserver -w; }
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
unix_path() { # C:\a\b -> the prefix's drive_c/a/b
  local path=${1#[Cc]:}
  printf '%s/drive_c%s' "$prefix" "$(printf '%s' "$path" | tr '\\' /)"
}
probe() { run "$probe" "$@" | tr -d '\r'; }

# The portable zip
expected_zip="Zellora.exe
rotation.dll
zellora-cli.exe
Readme.pdf
LIESMICH.txt
LICENSE.txt
THIRD-PARTY-NOTICES.txt"
equals "files in the zip" "$expected_zip" \
  "$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")"
mkdir -p "$work/portable"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/portable"
for file in Zellora.exe rotation.dll zellora-cli.exe Readme.pdf LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  check "$file in the zip as packaged" cmp -s "$dist/stage/$file" "$work/portable/$file"
done
liesmich=$work/portable/LIESMICH.txt
equals "LIESMICH.txt starts with a byte-order mark" efbbbf "$(head -c 3 "$liesmich" | od -An -tx1 | tr -d ' ')"
check "LIESMICH.txt has CR LF line ends only" \
  test "$(grep -c $'\r$' "$liesmich")" = "$(wc -l <"$liesmich")"
check "LIESMICH.txt says to unpack first" grep -q "Erst entpacken, dann starten" "$liesmich"
check "LIESMICH.txt names the version" grep -q "Zellora $version" "$liesmich"
if ZELLORA_DIST="$work/again" bash "$src/scripts/package" >"$work/again.log" 2>&1; then
  check "a second packaging gives the same zip" cmp "$zip" "$work/again/Zellora-$version-portable.zip"
else
  check "a second packaging runs" false
  cat "$work/again.log"
fi

# The installer, under Wine
localappdata=$(run cmd /c echo %LOCALAPPDATA% | tr -d '\r')
if [ -z "$localappdata" ]; then
  echo "FAILED: Wine does not start in a fresh prefix; nothing of the installer was tested"
  failures=$((failures + 1))
  summary release
  exit 1
fi
appdata=$(run cmd /c echo %APPDATA% | tr -d '\r')
install=$localappdata'\Programs\Zellora'
installed=$(unix_path "$install")
shortcut="$(unix_path "$appdata")/Microsoft/Windows/Start Menu/Programs/Zellora.lnk"
# Everything in the folders that the installer writes to.
tree() {
  find "$(unix_path "$localappdata")/Programs" "$(dirname "$shortcut")" 2>/dev/null | LC_ALL=C sort
}
classes='HKCU\Software\Classes'
machine_classes='HKLM\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zellora'
echo "release test: installing into $install"

# Another program owns .efzlgrp already: the installer must offer Zellora beside it, and
# the uninstaller must leave it as it was.
probe set "$classes\\.efzlgrp" @ Anderes.Projekt
probe set "$classes\\.efzlgrp\\OpenWithProgids" Anderes.Projekt ""
probe set "$classes\\Anderes.Projekt\\shell\\open\\command" @ 'C:\anderes.exe "%1"'
settle
tree >"$work/tree-before.txt"

# Install
run "$setup" /S
settle
expected_files="LICENSE.txt
Readme.pdf
THIRD-PARTY-NOTICES.txt
Zellora.exe
rotation.dll
uninstall.exe
zellora-cli.exe"
equals "installed files" "$expected_files" "$(ls "$installed" 2>/dev/null | LC_ALL=C sort)"
for file in Zellora.exe rotation.dll zellora-cli.exe Readme.pdf LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  check "$file installed as packaged" cmp -s "$installer_stage/$file" "$installed/$file"
done
check "Start-menu shortcut" test -f "$shortcut"

command="\"$install\\Zellora.exe\" \"%1\""
icon="\"$install\\Zellora.exe\",0"
equals ".fzlgrp opens with Zellora" Zellora.fzlgrp "$(probe value "$classes\\.fzlgrp" @)"
equals ".fzlgrp offers Zellora" Zellora.fzlgrp "$(probe values "$classes\\.fzlgrp\\OpenWithProgids")"
equals ".efzlgrp keeps the other program" Anderes.Projekt "$(probe value "$classes\\.efzlgrp" @)"
equals ".efzlgrp offers both" "Anderes.Projekt
Zellora.efzlgrp" "$(probe values "$classes\\.efzlgrp\\OpenWithProgids" | LC_ALL=C sort)"
for progid in Zellora.fzlgrp Zellora.efzlgrp; do
  equals "$progid open command" "$command" "$(probe value "$classes\\$progid\\shell\\open\\command" @)"
  equals "$progid icon" "$icon" "$(probe value "$classes\\$progid\\DefaultIcon" @)"
done
equals "Apps & Features name" Zellora "$(probe value "$uninstall_key" DisplayName)"
equals "Apps & Features version" "$version" "$(probe value "$uninstall_key" DisplayVersion)"
equals "Apps & Features uninstaller" "\"$install\\uninstall.exe\"" \
  "$(probe value "$uninstall_key" UninstallString)"

# One version everywhere: the programs, the installer and the file names.
equals "zellora-cli.exe --version" "zellora-cli $version" \
  "$(run "$installed/zellora-cli.exe" --version | tr -d '\r')"
# The version data is read from the file, which works for a 32-bit program under 64-bit Wine
# too; running one needs 32-bit Wine.
equals "portable Zellora.exe version data" "$version.0 $version.0" \
  "$(probe version "$(windows_path "$work/portable/Zellora.exe")")"
if [ "$ZELLORA_WINEARCH" = win32 ]; then
  equals "portable zellora-cli.exe --version" "zellora-cli $version" \
    "$(run "$work/portable/zellora-cli.exe" --version | tr -d '\r')"
fi
equals "Zellora.exe version data" "$version.0 $version.0" "$(probe version "$install\\Zellora.exe")"
equals "installer version data" "$version $version" \
  "$(probe version "$(windows_path "$dist/Zellora-$version-setup.exe")")"
if [ "$setup" != "$dist/Zellora-$version-setup.exe" ]; then
  equals "twin installer version data" "$version $version" "$(probe version "$(windows_path "$setup")")"
fi

# Wine 8 reads file types from HKLM only (Windows merges the per-user keys into them): under
# Wine the installer writes them there too, following the per-user choice.
equals ".fzlgrp opens with Zellora in Wine's HKLM" Zellora.fzlgrp \
  "$(probe value "$machine_classes\\.fzlgrp" @)"
equals ".efzlgrp has no default in Wine's HKLM" "" "$(probe value "$machine_classes\\.efzlgrp" @)"
equals ".efzlgrp offers Zellora in Wine's HKLM" Zellora.efzlgrp \
  "$(probe values "$machine_classes\\.efzlgrp\\OpenWithProgids")"
equals "Zellora.fzlgrp open command in Wine's HKLM" "$command" \
  "$(probe value "$machine_classes\\Zellora.fzlgrp\\shell\\open\\command" @)"

# "Hilfe" opens Readme.pdf with the program for .pdf files: here the probe, which writes
# down the full name of the file it was given.
viewer_record=$work/viewer.txt
probe set 'HKLM\Software\Classes\.pdf' @ ZelloraTest.Viewer
probe set 'HKLM\Software\Classes\ZelloraTest.Viewer\shell\open\command' @ \
  "\"$(windows_path "$probe")\" viewer \"$(windows_path "$viewer_record")\" \"%1\""
# The simulator folder is set already, so that the first start asks nothing.
cp -r "$src/examples/sim" "$work/sim"
printf '\xEF\xBB\xBF%s\\' "$(windows_path "$work/sim")" >"$installed/options.cfg"
group="$work/sim/Objekte/Bahnhof/Bahnhöfe Süd.fzlgrp"
cp "$work/sim/Objekte/Bahnhof/Bahnhof.fzlgrp" "$group"
settle
# A group file started through its association, as a double-click does.
run start "$(windows_path "$group")"
probe editor "$(windows_path "$work/editor.txt")" "$(windows_path "$viewer_record")"
settle
editor=$(tr -d '\r' <"$work/editor.txt" 2>/dev/null)
equals "the association opens the file in Zellora" "caption=Zellora - Bahnhöfe Süd.fzlgrp" \
  "$(printf '%s\n' "$editor" | grep -e '^caption=' -e '^message=' -e '^editor=')"
equals "Hilfe opens the manual in the program folder" \
  "help=$(printf '%s' "$install\\Readme.pdf" | tr '[:upper:]' '[:lower:]')" \
  "$(printf '%s\n' "$editor" | grep '^help=' | tr '[:upper:]' '[:lower:]')"
equals "Zellora closes" "closed=yes" "$(printf '%s\n' "$editor" | grep '^closed=')"
check "the group file is unchanged" cmp -s "$group" "$work/sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
# The editor remembers its window and the file it opened beside itself, not in the registry.
check "settings.cfg written beside the program" grep -q '^recent=.*Bahnhöfe Süd.fzlgrp' \
  "$installed/settings.cfg"

# Uninstall, with the options.cfg and settings.cfg the program keeps beside itself.
run "$installed/uninstall.exe" /S
settle
check "settings.cfg removed" test ! -e "$installed/settings.cfg"
check "program folder removed" test ! -e "$installed"
check "shortcut removed" test ! -e "$shortcut"
for key in Zellora.fzlgrp Zellora.efzlgrp .fzlgrp .efzlgrp; do
  check "$key removed from Wine's HKLM" test "$(probe exists "$machine_classes\\$key"; echo $?)" = 1
done
for key in Zellora.fzlgrp Zellora.efzlgrp .fzlgrp; do
  check "$key removed" test "$(probe exists "$classes\\$key"; echo $?)" = 1
done
check "Apps & Features entry removed" test "$(probe exists "$uninstall_key"; echo $?)" = 1
equals ".efzlgrp still opens with the other program" Anderes.Projekt \
  "$(probe value "$classes\\.efzlgrp" @)"
equals ".efzlgrp still offers the other program" Anderes.Projekt \
  "$(probe values "$classes\\.efzlgrp\\OpenWithProgids")"
tree >"$work/tree-after.txt"
check "no file or folder left behind" diff "$work/tree-before.txt" "$work/tree-after.txt"
WINEPREFIX=$prefix wineserver -k 2>/dev/null

summary release
