#!/usr/bin/env bash
# zellora-cli import and plan as users run them: info's JSON saved back to resave's bytes,
# import's messages for bad JSON, the entries of a plan and its SVG.
# With a third argument (the Wine runner) the Windows program is run through it.
set -u
# shellcheck source=cli_setup.sh
. "$(dirname "${BASH_SOURCE[0]}")/cli_setup.sh"

z() { # the command line program, its output and messages without Wine's carriage returns
  if [ -n "$runner" ]; then "$runner" "$cli" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; fi
  "$cli" "$@"
}
json_field() { python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($2)" "$1"; }
entries() { python3 - "$1" <<'PY'
import sys, xml.etree.ElementTree as E
svg = "{http://www.w3.org/2000/svg}"
root = E.parse(sys.argv[1]).getroot()
assert root.tag == svg + "svg", root.tag
groups = [g for g in root.iter(svg + "g") if g.get("class") == "entry"]
assert all(g.find(svg + "title") is not None for g in groups)
print(len(groups))
PY
}

cp -r "$examples/sim" "$work/sim"
sim="$work/sim"
root=$(arg "$sim")

# Round trip: info X > j, import j AUS gives resave X AUS's bytes, for each file as it is
# and saved in either encoding.
files=$(find "$sim" -name '*.fzlgrp')
if [ -z "$runner" ]; then
  mkdir "$work/regressions"
  cp "$examples/../tests/fuzz/regressions/"* "$work/regressions/"
  files="$files $(find "$work/regressions" -type f)"
fi
for file in $files; do
  for encoding in as-read utf-8 iso-8859-1; do
    copy="${file%.*}.$encoding.fzlgrp" # beside the original: its relative names still hold
    if [ $encoding = as-read ]; then
      cp "$file" "$copy"
    else
      z resave --encoding $encoding "$(arg "$file")" "$(arg "$copy")" 2>/dev/null
    fi
    # A file that is no group file (a kept fuzz input) has no resave to compare with.
    rm -f "$work/resaved.fzlgrp"
    if ! z resave --root "$root" "$(arg "$copy")" "$(arg "$work/resaved.fzlgrp")" 2>/dev/null; then
      rm -f "$copy"
      continue
    fi
    z info "$(arg "$copy")" >"$work/j.json" 2>/dev/null
    z import --root "$root" "$(arg "$work/j.json")" "$(arg "$work/imported.fzlgrp")" 2>"$work/err"
    check "import of $copy succeeds" test $? -eq 0
    check "import of $copy gives resave's bytes" cmp -s "$work/resaved.fzlgrp" "$work/imported.fzlgrp"
    rm -f "$copy" "$work/imported.fzlgrp"
  done
done

scene="$sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
z info "$(arg "$scene")" >"$work/scene.json"

# plan: one mark per entry, or per flattened entry with --flat, in valid SVG.
z plan --root "$root" "$(arg "$scene")" "$(arg "$work/plan.svg")"
check "plan succeeds" test $? -eq 0
check "plan draws every entry" test "$(entries "$work/plan.svg")" = 9
z plan --flat --root "$root" "$(arg "$scene")" "$(arg "$work/flat.svg")" 2>"$work/err"
check "plan --flat succeeds" test $? -eq 0
check "plan --flat draws what the export writes" test "$(entries "$work/flat.svg")" = 15
check "plan --flat says nothing" test ! -s "$work/err"
check "legend names the nested groups" grep -q '>\\Objekte\\Lampen\\Doppellampe.fzlgrp</text>' "$work/flat.svg"
check "entry title holds name and position" \
  grep -qF "<title>Z:$(echo "$sim/Objekte/Bahnhof/Bahnsteig.fzlobj" | tr / '\\') (0; 0; 24)</title>" "$work/plan.svg"

# Positions and headings beyond what the rotation library can turn: no "nan" or "inf" in the
# picture; an entry without a place is left out and counted, one without a heading keeps its mark.
printf '<GRUPPENOBJECT><Props/><Object><Props Position="1e300;0;0" Name="a.fzlobj"/></Object><Object><Props Position="1;0;1" Name="b.fzlobj"/></Object></GRUPPENOBJECT>' >"$work/innen.fzlgrp"
printf '<GRUPPENOBJECT><Props/><Object><Props Rotation="1e308;0;0" Name="c.fzlobj"/></Object><IObject><Props Position="5;0;5" Rotation="30;0;0" Name="innen.fzlgrp"/></IObject></GRUPPENOBJECT>' >"$work/aussen.fzlgrp"
z plan --flat --root "$(arg "$work")" "$(arg "$work/aussen.fzlgrp")" "$(arg "$work/overflow.svg")" 2>"$work/err"
check "plan of overflowing entries succeeds" test $? -eq 0
check "plan of overflowing entries writes no nan or inf" test "$(grep -cE '(nan|inf)[";)]' "$work/overflow.svg")" = 0
check "plan of overflowing entries draws the others" test "$(entries "$work/overflow.svg")" = 2
check "plan of overflowing entries counts what it leaves out" test "$(tr -d '\r' <"$work/err")" = \
  "1 Eintrag ohne gültige Lage ist nicht gezeichnet"
check "the picture says so too" grep -q '>1 Eintrag ohne gültige Lage ist nicht gezeichnet</text>' "$work/overflow.svg"

# import: nesting deeper than the format's is refused before anything is built, whatever the
# level holds: no stack overflow on 100,000 levels, no time lost on nested objects.
python3 - "$work" <<'PY'
import sys
n = 100000
levels = 240 * 1024 // 12
for name, text in [("deep-array", '{"result":' + "[" * n + "]" * n + ',"objects":[]}'),
                   ("deep-object", '{"a":' * n + "1" + "}" * n),
                   ("nested-objects", '{"result":' + '{"a":' * levels + "1" + ',"b":1}' * levels + "}")]:
    open(sys.argv[1] + "/" + name + ".json", "w").write(text)
PY
for case in deep-array:18 deep-object:41 nested-objects:46; do
  name=${case%%:*}
  printf 'alt' >"$work/out.fzlgrp"
  z import "$(arg "$work/$name.json")" "$(arg "$work/out.fzlgrp")" 2>"$work/err"
  check "$name: exit status" test $? -eq 1
  check "$name: message" test "$(tr -d '\r' <"$work/err")" = "Zeile 1, Spalte ${case#*:}: mehr als 8 Ebenen verschachtelt"
  check "$name: AUS untouched" test "$(cat "$work/out.fzlgrp")" = alt
done

if [ -z "$runner" ]; then
  # import: the example's JSON piped in, and refusals that name the place
  "$cli" import --root "$sim" - "$sim/Objekte/Bahnhof/piped.fzlgrp" <"$work/scene.json"
  check "JSON from standard input" cmp -s "$sim/Objekte/Bahnhof/piped.fzlgrp" "$scene"

  bad() { # description, python change to d (the scene's JSON), expected message
    python3 -c "import json,sys; d=json.load(open(sys.argv[1])); $2; json.dump(d, open(sys.argv[2],'w'))" \
      "$work/scene.json" "$work/bad.json"
    printf 'alt' >"$work/out.fzlgrp"
    "$cli" import "$work/bad.json" "$work/out.fzlgrp" 2>"$work/err"
    check "$1: exit status" test $? -eq 1
    check "$1: message" test "$(cat "$work/err")" = "$3"
    check "$1: AUS untouched" test "$(cat "$work/out.fzlgrp")" = alt
  }
  bad "short triple" 'd["objects"][3]["Position"] = [1, 2]' 'objects[3].Position: erwartet [x, y, z]'
  bad "text triple" 'd["fonts"][1]["NormTopLeft"] = "1;2;3"' 'fonts[1].NormTopLeft: erwartet [x, y, z]'
  bad "unknown entry key" 'd["iobjects"][0]["Farbe"] = 1' 'iobjects[0].Farbe: unbekannter Schlüssel'
  bad "unknown top key" 'd["extras"] = []' 'extras: unbekannter Schlüssel'
  bad "number as text" 'd["objects"][0]["ZoomFaktor"] = "1.5"' 'objects[0].ZoomFaktor: erwartet eine Zahl'
  bad "flag out of range" 'd["objects"][0]["WeitSichtbar"] = 2' 'objects[0].WeitSichtbar: erwartet 0 oder 1'
  bad "alignment beyond 16 bits" 'd["fonts"][0]["AlignHorz"] = 40000' \
    'fonts[0].AlignHorz: erwartet eine ganze Zahl von -32768 bis 32767'
  bad "colour with a fraction" 'd["fonts"][0]["Color"] = 1.5' \
    'fonts[0].Color: erwartet eine ganze Zahl von -2147483648 bis 2147483647'
  bad "name not a text" 'd["objects"][1]["Name"] = 7' 'objects[1].Name: erwartet einen Text oder null'
  bad "control character" 'd["fonts"][0]["DefaultText"] = "a\u0001b"' \
    'fonts[0].DefaultText: enthält ein Steuerzeichen, das eine Gruppendatei nicht aufnehmen kann'
  bad "entries not a list" 'd["fonts"] = {}' 'fonts: erwartet eine Liste'
  bad "entry not an object" 'd["objects"][2] = None' 'objects[2]: erwartet ein Objekt'
  bad "encoding switch" 'd["writeUtf8"] = "ja"' 'writeUtf8: erwartet 0 oder 1'
  bad "header not attributes" 'd["header"] = "FileInfo"' 'header: erwartet Attribute der Form name="Wert"'
  bad "header name no XML name" 'd["header"] = "FileInfo=\"x\" 1a=\"y\" "' \
    'header: Attributname "1a" ist kein gültiger XML-Name'
  bad "not an object" 'd = [d]' 'Dokument: erwartet ein JSON-Objekt'

  printf '{\n  "objects": [\n    {"Position": [1, 2 3]}\n  ]\n}\n' >"$work/syntax.json"
  printf 'alt' >"$work/out.fzlgrp"
  "$cli" import "$work/syntax.json" "$work/out.fzlgrp" 2>"$work/err"
  check "JSON syntax error: exit status" test $? -eq 1
  check "JSON syntax error: line and column" test "$(cat "$work/err")" = 'Zeile 3, Spalte 24: kein gültiges JSON'
  check "JSON syntax error: AUS untouched" test "$(cat "$work/out.fzlgrp")" = alt
  "$cli" import "$work/fehlt.json" "$work/out.fzlgrp" 2>"$work/err"
  check "missing JSON: message" grep -q '^fehlt.json konnte nicht geöffnet werden: ' "$work/err"

  # Fields left out take a new entry's values, as the loader makes them.
  printf '{"header": "FileInfo=\\"Zug\\" ", "fonts": [{"DefaultText": "x"}], "iobjects": [{}]}' >"$work/min.json"
  "$cli" import "$work/min.json" "$work/min.fzlgrp"
  check "minimal JSON: exit status" test $? -eq 0
  check "minimal JSON: a new label's corners and blink interval" \
    grep -q 'NormTopLeft="-1.000;0.000;0.000" NormTopRight="-1.000;0.000;0.000" NormBottomLeft="0.000;0.000;0.000" NormBottomRight="-1.000;0.000;0.000" Leuchtend="FALSE" Fonthoehe="0.000" Color="0" AlignHorz="0" AlignVert="0" BlinkIntervall="-1.000000"' \
    "$work/min.fzlgrp"
  check "minimal JSON: UTF-8 when writeUtf8 is absent" test "$(head -c 3 "$work/min.fzlgrp" | od -An -tx1 | tr -d ' ')" = efbbbf
  check "minimal JSON: header as given" grep -q '^<Props FileInfo="Zug" />' "$work/min.fzlgrp"

  # plan: failures leave AUS alone
  printf 'alt' >"$work/out.svg"
  "$cli" plan --flat "$scene" "$work/out.svg" 2>"$work/err"
  check "plan --flat without root fails on root-relative groups" test $? -eq 1
  check "plan --flat reports as the export does" test "$(cat "$work/err")" = \
    "$(printf 'Ferrolino Pfad konnte nicht gesetzt werden!\nFehler beim Exportieren: \\Objekte\\Lampen\\Doppellampe.fzlgrp konnte nicht gefunden werden oder ist keine Gruppen- oder Objektdatei')"
  "$cli" plan "$sim/Objekte/Lampen/Lampe.fzlobj" "$work/out.svg" 2>"$work/err"
  check "plan of an object file fails" grep -qx "Lampe.fzlobj ist eine Objektdatei" "$work/err"
  check "SVG kept its bytes" test "$(cat "$work/out.svg")" = alt
  # Far from the origin, or nothing at all: still a finite picture, quickly.
  for positions in '1e17;0;1e17 1e17;0;1e17' '100000000000000000;0;0 100000000000000001;0;1' \
    '1e300;0;0 -1e300;0;5' ''; do
    body=""
    for p in $positions; do body="$body<Object><Props Position=\"$p\" Name=\"a.fzlobj\"/></Object>"; done
    printf '<GRUPPENOBJECT><Props/>%s</GRUPPENOBJECT>' "$body" >"$work/far.fzlgrp"
    timeout 20 "$cli" plan "$work/far.fzlgrp" "$work/far.svg"
    check "plan of '$positions' succeeds" test $? -eq 0
    check "plan of '$positions' draws each entry" test "$(entries "$work/far.svg")" = "$(echo $positions | wc -w)"
  done

  "$cli" info "$scene" >/dev/full 2>"$work/err"
  check "info onto a full disk fails" test $? -eq 1
  check "info says so" test "$(cat "$work/err")" = "Die Ausgabe konnte nicht vollständig geschrieben werden"

  "$cli" plan --flat "$scene" >/dev/null 2>&1
  check "plan without AUS is a usage error" test $? -eq 2
  "$cli" import --flat a b >/dev/null 2>&1
  check "import takes no --flat" test $? -eq 2
fi

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
