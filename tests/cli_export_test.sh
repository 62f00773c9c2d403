#!/usr/bin/env bash
# zellora-cli export as users run it: the example scene flattened, the engine's reports on
# standard error, exit statuses, and an OUT that only a complete export replaces.
set -u
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

inside() { echo "Z:$(echo "$1" | tr / '\\')"; } # the program's form of a path

json_field() { python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($2)" "$1"; }

cp -r "$examples/sim" "$work/sim"
sim="$work/sim"
scene="$sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
cd "$work"

"$cli" export --root "$sim" "$scene" "$work/flach.fzlgrp" 2>"$work/err"
check "example exports" test $? -eq 0
check "nothing reported" test ! -s "$work/err"
"$cli" info "$work/flach.fzlgrp" >"$work/flach.json"
check "flat file is a group file" test "$(json_field "$work/flach.json" 'd["result"]')" = LoadOk
check "no IObject left" test "$(json_field "$work/flach.json" 'len(d["iobjects"])')" = 0
check "every object of every level" test "$(json_field "$work/flach.json" 'len(d["objects"])')" = 12
check "every label of every level" test "$(json_field "$work/flach.json" 'len(d["fonts"])')" = 3
check "UTF-8 although a nested file is ISO-8859-1 and one UTF-16" \
  grep -q 'encoding="UTF-8"' "$work/flach.fzlgrp"
check "the lamps of both groups, moved" test "$(grep -c 'Name="\\Objekte\\Lampen\\Lampe.fzlobj"' "$work/flach.fzlgrp")" = 4
check "the signal turned and its group's HideOn merged" \
  grep -q 'Rotation="-180.000;0.000;0.000" BlinkIntervall="0.000000" ZoomFaktor="1.000000" Position="150.000;5.800;5.900" Name="\\Objekte\\Signale\\Schirm.fzlobj" ShowOn="Hp0" HideOn="Sperrfahrt"' \
  "$work/flach.fzlgrp"
"$cli" export --root "$sim/" "$scene" "$work/again.fzlgrp" 2>/dev/null
check "a second export gives the same bytes" cmp -s "$work/flach.fzlgrp" "$work/again.fzlgrp"

# Without the simulator folder the export still runs; root-relative groups are not found.
printf 'alt' >"$work/out.fzlgrp"
"$cli" export "$scene" "$work/out.fzlgrp" 2>"$work/err"
check "missing group fails" test $? -eq 1
check "root message, then the first group not found" test "$(cat "$work/err")" = \
  "$(printf 'Ferrolino Pfad konnte nicht gesetzt werden!\nFehler beim Exportieren: \\Objekte\\Lampen\\Doppellampe.fzlgrp konnte nicht gefunden werden oder ist keine Gruppen- oder Objektdatei')"
check "OUT kept its bytes" test "$(cat "$work/out.fzlgrp")" = alt
"$cli" export --root "$work/fehlt" "$scene" "$work/neu.fzlgrp" 2>"$work/err"
check "unusable root is told" grep -qx 'Ferrolino Pfad konnte nicht gesetzt werden!' "$work/err"
check "no OUT created" test ! -e "$work/neu.fzlgrp"

mkdir "$work/loop"
printf '<GRUPPENOBJECT><Props/><IObject><Props Name="..\\loop\\.\\A.fzlgrp"/></IObject></GRUPPENOBJECT>' \
  >"$work/loop/A.fzlgrp"
printf '<GRUPPENOBJECT><Props/><IObject><Props Name="A.fzlgrp"/></IObject></GRUPPENOBJECT>' \
  >"$work/loop/top.fzlgrp"
"$cli" export --root "$sim" "$work/loop/top.fzlgrp" "$work/loop/out.fzlgrp" 2>"$work/err"
check "loop fails" test $? -eq 1
check "loop message names the output" test "$(cat "$work/err")" = \
  "Fehler beim Exportieren zu $(inside "$work/loop/out.fzlgrp"): Endlosschleife"
check "no OUT and no temporary file" test "$(ls "$work/loop")" = "$(printf 'A.fzlgrp\ntop.fzlgrp')"

# A loop through a link to a folder: the same file under a longer name at every level.
mkdir "$work/linked"
printf '<GRUPPENOBJECT><Props/><IObject><Props Name="L\\A.fzlgrp"/></IObject></GRUPPENOBJECT>' \
  >"$work/linked/A.fzlgrp"
ln -s . "$work/linked/L"
"$cli" export --root "$sim" "$work/linked/A.fzlgrp" "$work/linked/out.fzlgrp" 2>"$work/err"
check "a loop through a folder link fails as a loop" test "$(cat "$work/err")" = \
  "Fehler beim Exportieren zu $(inside "$work/linked/out.fzlgrp"): Endlosschleife"
"$cli" check --root "$sim" "$work/linked/A.fzlgrp" >"$work/out" 2>/dev/null
check "...as check says" grep -q "Endlosschleife" "$work/out"

"$cli" export --root "$sim" "$scene" "$work/fehlt/out.fzlgrp" 2>"$work/err"
check "uncreatable OUT fails" test $? -eq 1
check "cannot-create message" test "$(cat "$work/err")" = \
  "$(inside "$work/fehlt/out.fzlgrp") konnte nicht angelegt werden"

"$cli" export --root "$sim" "$sim/Objekte/Lampen/Lampe.fzlobj" "$work/out.fzlgrp" 2>"$work/err"
check "object file as IN fails" test $? -eq 1
check "object file message" grep -qx "Lampe.fzlobj ist eine Objektdatei" "$work/err"
check "OUT still kept its bytes" test "$(cat "$work/out.fzlgrp")" = alt

# An interrupt while the export runs (here: while a large nested group is read) leaves OUT
# as it was and no temporary file.
mkdir "$work/sig"
python3 -c "
import sys
entry = '<Object><Props Position=\"1;2;3\" Name=\"\\\\a.fzlobj\"/></Object>\\n'
open(sys.argv[1] + '/gross.fzlgrp', 'w').write('<GRUPPENOBJECT><Props/>' + entry * 400000 + '</GRUPPENOBJECT>')
open(sys.argv[1] + '/top.fzlgrp', 'w').write('<GRUPPENOBJECT><Props/>' + entry + '<IObject><Props Name=\"gross.fzlgrp\"/></IObject></GRUPPENOBJECT>')
" "$work/sig"
for signal in INT TERM HUP; do
  printf 'alt' >"$work/sig/out.fzlgrp"
  set -m # a background job of a script would otherwise ignore INT
  "$cli" export --root "$sim" "$work/sig/top.fzlgrp" "$work/sig/out.fzlgrp" 2>/dev/null &
  pid=$!
  set +m
  for _ in $(seq 2000); do
    compgen -G "$work/sig/.out.fzlgrp.tmp-*" >/dev/null && break
    sleep 0.01
  done
  check "temporary file seen before the $signal" compgen -G "$work/sig/.out.fzlgrp.tmp-*" >/dev/null
  kill -s "$signal" $pid
  wait $pid
  check "$signal ends the export as a signal does" test $? -eq $((128 + $(kill -l "$signal")))
  check "$signal leaves no temporary file" test "$(ls -A "$work/sig")" = "$(printf 'gross.fzlgrp\nout.fzlgrp\ntop.fzlgrp')"
  check "$signal leaves OUT as it was" test "$(cat "$work/sig/out.fzlgrp")" = alt
done

"$cli" export "$scene" >/dev/null 2>&1
check "one file is a usage error" test $? -eq 2
"$cli" export --encoding utf-8 "$scene" "$work/x.fzlgrp" >/dev/null 2>&1
check "export takes no encoding" test $? -eq 2

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
