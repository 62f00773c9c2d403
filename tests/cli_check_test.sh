#!/usr/bin/env bash
# zellora-cli check as users run it: exact lines in text and JSON, the summary, exit statuses.
# With a third argument (the Wine runner) the Windows program is run and given Windows paths.
set -u
# shellcheck source=cli_setup.sh
. "$(dirname "${BASH_SOURCE[0]}")/cli_setup.sh"
sarif_results=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/sarif/sarif_results.py

same() { # description, expected text, file with the actual text (a Windows program's CRs dropped)
  if [ "$2" = "$(tr -d '\r' <"$3")" ]; then passes=$((passes + 1)); else
    echo "FAILED: $1"; diff <(printf '%s\n' "$2") <(tr -d '\r' <"$3"); failures=$((failures + 1)); fi
}

if [ -n "$runner" ]; then
  run() { "$runner" "$cli" "$@"; }
  json_shown() { inside "$1" | sed 's/\\/\\\\/g'; }
else
  run() { "$cli" "$@"; }
  json_shown() { echo "$1"; }
fi
shown() { arg "$1"; }
json_inside() { inside "$1" | sed 's/\\/\\\\/g'; }

group() { # file, body
  mkdir -p "$(dirname "$1")"
  printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<GRUPPENOBJECT>\r\n<Props/>\r\n%s</GRUPPENOBJECT>\r\n' "$2" >"$1"
}
object() { echo "<Object><Props Name=\"$1\"/></Object>"; }
iobject() { echo "<IObject><Props Name=\"$1\"/></IObject>"; }

sim="$work/sim"
mkdir -p "$sim/Objekte" "$sim/Ring"
printf '<Objekt><Point/></Objekt>' >"$sim/Objekte/Lampe.fzlobj"
printf '<Objekt/>' >"$sim/Objekte/Weder.fzlobj"
group "$sim/gut.fzlgrp" "$(object '\Objekte\Lampe.fzlobj')"
group "$sim/verweise.fzlgrp" "$(object fehlt.fzlobj)$(object gut.fzlgrp)$(object '\Objekte\Weder.fzlobj')$(iobject 'objekte\lampe.fzlobj')$(iobject gut.fzlgrp)<Font><Props Name=\"weg.txt\"/></Font>"
group "$sim/Ring/A.FZLGRP" "$(iobject B.efzlgrp)"
group "$sim/Ring/B.efzlgrp" "$(iobject '..\Ring\a.fzlgrp')"
printf '<GRUPPENOBJECT>\n<Object>' >"$sim/kaputt.fzlgrp"
printf '<Objekt><Point/></Objekt>' >"$sim/objekt.efzlgrp"
printf '<Anders/>' >"$sim/anders.fzlgrp"
if [ -z "$runner" ]; then # a link to a folder is not followed
  mkdir "$work/aussen"
  printf '<Anders/>' >"$work/aussen/fremd.fzlgrp"
  ln -s "$work/aussen" "$sim/Verweis"
fi
cd "$work"

loop="Endlosschleife beim Exportieren:"
selbst="enthält sich über verschachtelte Gruppen selbst"
run check --root "$(arg "$sim")" "$(arg "$sim")" >"$work/out" 2>"$work/err"
check "findings exit 1" test $? -eq 1
same "text lines in the order of the files and entries" "$(shown "$sim/Ring/A.FZLGRP"): Eintrag iobjects[0] \"$(inside "$sim/Ring/B.efzlgrp")\": $loop $(inside "$sim/Ring/A.FZLGRP") $selbst
$(shown "$sim/Ring/B.efzlgrp"): Eintrag iobjects[0] \"$(inside "$sim/Ring/..\\Ring\\a.fzlgrp")\": $loop $(inside "$sim/Ring/B.efzlgrp") $selbst
$(shown "$sim/anders.fzlgrp"): weder eine Gruppen- noch eine Objektdatei
$(shown "$sim/kaputt.fzlgrp"): fehlerhafte XML-Datei: no element found at line 2
$(shown "$sim/objekt.efzlgrp"): keine Gruppendatei, sondern eine Objektdatei
$(shown "$sim/verweise.fzlgrp"): Eintrag objects[0] \"$(inside "$sim/fehlt.fzlobj")\": Datei nicht gefunden
$(shown "$sim/verweise.fzlgrp"): Eintrag objects[1] \"$(inside "$sim/gut.fzlgrp")\": als Objekt eingetragen, ist aber eine Gruppendatei
$(shown "$sim/verweise.fzlgrp"): Eintrag objects[2] \"\\Objekte\\Weder.fzlobj\": keine Gruppen- oder Objektdatei: weder eine Gruppen- noch eine Objektdatei
$(shown "$sim/verweise.fzlgrp"): Eintrag iobjects[0] \"$(inside "$sim/objekte/lampe.fzlobj")\": als Gruppe eingetragen, ist aber eine Objektdatei
$(shown "$sim/verweise.fzlgrp"): Eintrag fonts[0] \"$(inside "$sim/weg.txt")\": Datei nicht gefunden" "$work/out"
same "summary" "7 Dateien geprüft, 10 Befunde in 6 Dateien" "$work/err"

run check --json --jobs 1 --root "$(arg "$sim")" "$(arg "$sim/verweise.fzlgrp")" "$(arg "$sim/kaputt.fzlgrp")" >"$work/out" 2>"$work/err"
check "findings exit 1 with --json" test $? -eq 1
v=$(json_shown "$sim/verweise.fzlgrp")
same "one JSON object per line" "{\"file\": \"$(json_shown "$sim/kaputt.fzlgrp")\", \"problem\": \"xml-error\", \"entry\": null, \"name\": null, \"detail\": \"fehlerhafte XML-Datei: no element found at line 2\"}
{\"file\": \"$v\", \"problem\": \"missing\", \"entry\": \"objects[0]\", \"name\": \"$(json_inside "$sim/fehlt.fzlobj")\", \"detail\": \"Datei nicht gefunden\"}
{\"file\": \"$v\", \"problem\": \"wrong-kind\", \"entry\": \"objects[1]\", \"name\": \"$(json_inside "$sim/gut.fzlgrp")\", \"detail\": \"als Objekt eingetragen, ist aber eine Gruppendatei\"}
{\"file\": \"$v\", \"problem\": \"bad-reference\", \"entry\": \"objects[2]\", \"name\": \"\\\\Objekte\\\\Weder.fzlobj\", \"detail\": \"keine Gruppen- oder Objektdatei: weder eine Gruppen- noch eine Objektdatei\"}
{\"file\": \"$v\", \"problem\": \"wrong-kind\", \"entry\": \"iobjects[0]\", \"name\": \"$(json_inside "$sim/objekte/lampe.fzlobj")\", \"detail\": \"als Gruppe eingetragen, ist aber eine Objektdatei\"}
{\"file\": \"$v\", \"problem\": \"missing\", \"entry\": \"fonts[0]\", \"name\": \"$(json_inside "$sim/weg.txt")\", \"detail\": \"Datei nicht gefunden\"}" "$work/out"
check "every line is valid JSON" python3 -c 'import json,sys; [json.loads(l) for l in open(sys.argv[1])]' "$work/out"
same "summary with --json" "2 Dateien geprüft, 6 Befunde in 2 Dateien" "$work/err"

# SARIF for code hosts: valid against the 2.1.0 schema, names below the current directory
# relative to it, the entry as logical location, the kinds as rules.
run check --format sarif --jobs 1 --root "$(arg "$sim")" sim/verweise.fzlgrp sim/kaputt.fzlgrp "$(arg "$sim/Ring")" >"$work/out.sarif" 2>"$work/err"
check "findings exit 1 with --format sarif" test $? -eq 1
/usr/bin/python3 "$sarif_results" "$work/out.sarif" >"$work/out"
check "the SARIF log is valid against the schema" test $? -eq 0
b=$(inside "$sim/Ring/B.efzlgrp")
same "one result per finding" "loop | %SRCROOT%:sim/Ring/A.FZLGRP | iobjects[0] | Eintrag iobjects[0] \"$b\": $loop $(inside "$sim/Ring/A.FZLGRP") $selbst
loop | %SRCROOT%:sim/Ring/B.efzlgrp | iobjects[0] | Eintrag iobjects[0] \"$(inside "$sim/Ring/..\\Ring\\a.fzlgrp")\": $loop $b $selbst
xml-error | %SRCROOT%:sim/kaputt.fzlgrp | - | fehlerhafte XML-Datei: no element found at line 2
missing | %SRCROOT%:sim/verweise.fzlgrp | objects[0] | Eintrag objects[0] \"$(inside "$sim/fehlt.fzlobj")\": Datei nicht gefunden
wrong-kind | %SRCROOT%:sim/verweise.fzlgrp | objects[1] | Eintrag objects[1] \"$(inside "$sim/gut.fzlgrp")\": als Objekt eingetragen, ist aber eine Gruppendatei
bad-reference | %SRCROOT%:sim/verweise.fzlgrp | objects[2] | Eintrag objects[2] \"\\Objekte\\Weder.fzlobj\": keine Gruppen- oder Objektdatei: weder eine Gruppen- noch eine Objektdatei
wrong-kind | %SRCROOT%:sim/verweise.fzlgrp | iobjects[0] | Eintrag iobjects[0] \"$(inside "$sim/objekte/lampe.fzlobj")\": als Gruppe eingetragen, ist aber eine Objektdatei
missing | %SRCROOT%:sim/verweise.fzlgrp | fonts[0] | Eintrag fonts[0] \"$(inside "$sim/weg.txt")\": Datei nicht gefunden" "$work/out"
run check --format sarif "$(arg "$examples/sim")" >"$work/out.sarif" 2>/dev/null
/usr/bin/python3 "$sarif_results" "$work/out.sarif" >"$work/out"
check "names outside the current directory are absolute file URIs" grep -q "^missing | :file:///" "$work/out"

# The example simulator folder has no finding with its root, and root-relative names are
# missing without it (they are then looked for in the current directory).
run check --root "$(arg "$examples/sim")" "$(arg "$examples/sim")" >"$work/out" 2>"$work/err"
check "a clean folder exits 0" test $? -eq 0
check "...and prints no finding" test ! -s "$work/out"
same "...only the summary" "3 Dateien geprüft, 0 Befunde in 0 Dateien" "$work/err"
run check --json "$(arg "$examples/sim")" >"$work/out" 2>/dev/null
check "without the root, root-relative names are missing" test "$(grep -c '"problem": "missing"' "$work/out")" = 4

if [ -z "$runner" ]; then
  # Linux names that the program's form cannot hold are refused by name, never read as
  # another file; control characters in names reach the terminal escaped.
  odd="$work/namen"
  mkdir -p "$odd/a"
  group "$odd/a\\b.fzlgrp" "$(object fehlt.fzlobj)"
  group "$odd/a/b.fzlgrp" ""
  group "$odd/$(printf 'b\366hnhof.fzlgrp')" ""
  group "$odd/$(printf 'rot\033[31m.fzlgrp')" "$(object fehlt.fzlobj)"
  run check "$odd" >"$work/out" 2>"$work/err"
  check "inexact names exit 1" test $? -eq 1
  same "the findings, with the control character escaped" "$odd/rot\\u001b[31m.fzlgrp: Eintrag objects[0] \"$(inside "$odd/fehlt.fzlobj")\": Datei nicht gefunden" "$work/out"
  same "each inexact name said, nothing checked under another name" "zellora-cli: $odd/a\\b.fzlgrp: Dieser Name kann nicht genau dargestellt werden: er enthält Bytes, die kein UTF-8 sind, oder einen \\. Er wurde nicht geprüft.
zellora-cli: $odd/b\\xf6hnhof.fzlgrp: Dieser Name kann nicht genau dargestellt werden: er enthält Bytes, die kein UTF-8 sind, oder einen \\. Er wurde nicht geprüft.
2 Dateien geprüft, 1 Befunde in 1 Dateien" "$work/err"

  # A group in a folder without search permission is unreadable, not missing (run as another
  # user when the test runs as the superuser, whom no permission stops).
  other=()
  [ "$(id -u)" -eq 0 ] && other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  closed="$work/zu"
  mkdir -p "$closed/bin" "$closed/sim/innen"
  cp "$cli" "$(dirname "$cli")"/librotation.so* "$closed/bin/"
  group "$closed/sim/aussen.fzlgrp" "$(iobject 'innen\x.fzlgrp')"
  group "$closed/sim/innen/x.fzlgrp" ""
  chmod -R a+rX "$work"
  chmod a-x "$closed/sim/innen"
  LD_LIBRARY_PATH="$closed/bin" "${other[@]}" "$closed/bin/$(basename "$cli")" check "$closed/sim/aussen.fzlgrp" >"$work/out" 2>/dev/null
  same "a group behind a closed folder is unreadable" "$closed/sim/aussen.fzlgrp: Eintrag iobjects[0] \"$(inside "$closed/sim/innen/x.fzlgrp")\": keine Gruppen- oder Objektdatei: konnte nicht geöffnet werden: Permission denied" "$work/out"
  chmod a+x "$closed/sim/innen"
fi

# usage
for bad in "check" "check --format xml $sim" "check --format" "check --jobs 0 $sim" "check --jobs zwei $sim" "check --root" "check --schnell $sim"; do
  # shellcheck disable=SC2086
  run $bad >/dev/null 2>&1
  check "usage error: $bad" test $? -eq 2
done
run --help >"$work/out"
check "--help lists check" grep -q "zellora-cli check \[--root ORDNER\] \[--format text|json|sarif\] \[--json\] \[--jobs N\] PFAD" "$work/out"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
