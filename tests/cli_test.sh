#!/usr/bin/env bash
# zellora-cli as users run it: the JSON of info, resave's bytes, messages and exit statuses.
set -u
cli=$1
examples=$2
version=$3
manpage=$examples/../package/linux/zellora-cli.1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

json_field() { python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($2)" "$1"; }

cp -r "$examples/sim" "$work/sim"
sim="$work/sim"

while IFS= read -r -d '' file; do
  "$cli" info "$file" >"$work/info.json" 2>"$work/info.err"
  status=$?
  check "info exit status of $file" test $status -eq 0
  check "info prints valid JSON for $file" python3 -m json.tool "$work/info.json" >/dev/null
  case "$file" in
  *.fzlobj) expected=LoadObjectFile ;;
  *) expected=LoadOk ;;
  esac
  check "result of $file" test "$(json_field "$work/info.json" 'd["result"]')" = "$expected"
done < <(find "$sim" -type f -print0)

# info: key order, unescaped header, completed names in the program's form
"$cli" info "$sim/Objekte/Signale/Einfahrsignal.fzlgrp" >"$work/sig.json"
check "keys in order" test "$(json_field "$work/sig.json" '",".join(d.keys())')" = "result,writeUtf8,header,objects,iobjects,fonts"
check "object keys in order" test "$(json_field "$work/sig.json" '",".join(d["objects"][0].keys())')" = \
  "Rotation,BlinkIntervall,ZoomFaktor,Name,Position,ShowOn,HideOn,ShowIfBrightness,Brightness,GreaterAs,WeitSichtbar,DynamicVisibility,FixedDynamicVisibility"
check "ISO-8859-1 file reads writeUtf8 0" test "$(json_field "$work/sig.json" 'd["writeUtf8"]')" = 0
check "formula unescaped" test "$(json_field "$work/sig.json" 'd["objects"][2]["ShowOn"]')" = "Hp1 && !Vr0"
check "name completed against the file's folder" test "$(json_field "$work/sig.json" 'd["objects"][0]["Name"]')" = \
  "Z:$(echo "$sim/Objekte/Signale/Mast.fzlobj" | tr / '\\')"

printf '<GRUPPENOBJECT><Props FileInfo="a&amp;b &quot;c&quot;"/></GRUPPENOBJECT>' >"$work/h.fzlgrp"
"$cli" info "$work/h.fzlgrp" >"$work/h.json"
check "header unescaped" test "$(json_field "$work/h.json" 'd["header"]')" = 'FileInfo="a&b "c"/nBearbeitet mit Zellora" '

# resave: a second save gives the same bytes; names shortened against the root
for group in Bahnhof/Bahnhof Signale/Einfahrsignal Lampen/Doppellampe; do
  in="$sim/Objekte/$group.fzlgrp"
  check "resave $group" "$cli" resave --root "$sim" "$in" "$work/once.fzlgrp"
  check "resave again $group" "$cli" resave --root "$sim/" "$work/once.fzlgrp" "$work/twice.fzlgrp"
  "$cli" resave --root "$sim" "$work/twice.fzlgrp" "$work/thrice.fzlgrp"
  check "resaving is stable for $group" cmp -s "$work/twice.fzlgrp" "$work/thrice.fzlgrp"
done
check "the example is stored as the program writes it" "$cli" resave --root "$sim" \
  "$sim/Objekte/Bahnhof/Bahnhof.fzlgrp" "$sim/Objekte/Bahnhof/Kopie.fzlgrp"
check "...byte for byte" cmp -s "$sim/Objekte/Bahnhof/Kopie.fzlgrp" "$sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
check "UTF-16 file saved as UTF-8" test "$(head -c 3 "$work/once.fzlgrp" | od -An -tx1 | tr -d ' ')" = efbbbf
"$cli" resave --encoding iso-8859-1 "$sim/Objekte/Bahnhof/Bahnhof.fzlgrp" "$work/latin.fzlgrp" 2>"$work/latin.err"
check "lost characters are told" grep -qx "Beim Speichern gingen Unicode Informationen verloren!" "$work/latin.err"
check "ISO-8859-1 declared" grep -q 'encoding="iso-8859-1"' "$work/latin.fzlgrp"

# files that are not group files leave OUT alone
printf 'alt' >"$work/out.fzlgrp"
"$cli" resave "$sim/Objekte/Lampen/Lampe.fzlobj" "$work/out.fzlgrp" 2>"$work/err"
check "object file refused" test $? -eq 1
check "object file message" grep -qx "Lampe.fzlobj ist eine Objektdatei" "$work/err"
printf '<GRUPPENOBJECT>\n<Object>' >"$work/kaputt.fzlgrp"
"$cli" resave "$work/kaputt.fzlgrp" "$work/out.fzlgrp" 2>"$work/err"
check "broken file refused" test $? -eq 1
check "parser message then the open message" test "$(cat "$work/err")" = \
  "$(printf 'no element found at line 2\nkaputt.fzlgrp ist eine fehlerhafte XML-Datei!')"
"$cli" resave "$work/fehlt.fzlgrp" "$work/out.fzlgrp" 2>"$work/err"
check "missing file refused" test $? -eq 1
check "missing file message" grep -q "^fehlt.fzlgrp konnte nicht geöffnet werden: " "$work/err"
check "OUT kept its bytes" test "$(cat "$work/out.fzlgrp")" = alt
"$cli" resave "$work/fehlt.fzlgrp" "$work/neu.fzlgrp" 2>/dev/null
check "no OUT created" test ! -e "$work/neu.fzlgrp"
"$cli" info "$work/kaputt.fzlgrp" >/dev/null 2>&1
check "info of a broken file exits 1" test $? -eq 1

# A name that the program cannot represent exactly is refused, never mapped onto another.
group="$sim/Objekte/Bahnhof/Bahnhof.fzlgrp"
mkdir "$work/names"
printf 'fremd' >"$work/names/b"$'\xe4'"hnhof.fzlgrp"
for command in info resave export; do
  [ $command = info ] && args=() || args=("$group")
  "$cli" $command "${args[@]}" "$work/names/b"$'\xf6'"hnhof.fzlgrp" >/dev/null 2>"$work/err"
  check "$command refuses a name that is not UTF-8" test $? -eq 1
  check "$command says why" test "$(cat "$work/err")" = "zellora-cli: $work/names/b\\xf6hnhof.fzlgrp: Dieser Name kann nicht genau dargestellt werden: er oder der aktuelle Ordner enthält Bytes, die kein UTF-8 sind, oder einen \\. Nichts wurde gelesen oder geschrieben."
done
check "the other file keeps its bytes" test "$(cat "$work/names/"*)" = fremd
mkfifo "$work/names/pipe.fzlgrp"
timeout 20 "$cli" resave "$group" "$work/names/pipe.fzlgrp" 2>"$work/err"
check "a pipe as OUT is refused with the reason" test "$(cat "$work/err")" = "$(echo "Z:$work/names/pipe.fzlgrp" | tr / '\\'): Keine gewöhnliche Datei"

# usage
"$cli" >/dev/null 2>&1
check "no command is a usage error" test $? -eq 2
"$cli" resave --encoding latin9 a b >/dev/null 2>&1
check "unknown encoding is a usage error" test $? -eq 2
"$cli" --help >"$work/overview"
check "--help" test $? -eq 0
# Every command answers --help, -h and "help CMD" with the same text, whose first line is the
# synopsis the overview lists; every usage error is the problem, that synopsis and the hint.
for command in info resave export import plan check; do
  "$cli" "$command" --help >"$work/help" 2>&1
  check "$command --help exits 0" test $? -eq 0
  check "$command -h says the same" cmp -s "$work/help" <("$cli" "$command" -h)
  check "help $command says the same" cmp -s "$work/help" <("$cli" help "$command")
  synopsis=$(head -n 1 "$work/help")
  check "$command: the overview lists its synopsis" grep -qxF "  ${synopsis#Aufruf: }" "$work/overview"
  check "$command: the man page shows the same synopsis" grep -qxF "${synopsis#Aufruf: }" <(sed 's/\\-/-/g' "$manpage")
  for option in $(grep -o '^  --[a-z]*' "$work/help" | grep -v -- --help); do
    check "$command: the man page explains $option" grep -q "^\.BI\? $(sed 's/-/\\\\-/g' <<<"$option")\b" "$manpage"
  done
  "$cli" "$command" --schnell a b >/dev/null 2>"$work/err"
  check "$command: an unknown option exits 2" test $? -eq 2
  check "$command: one form for every usage error" test "$(cat "$work/err")" = "zellora-cli: unbekannte Option: --schnell
$synopsis
„zellora-cli $command --help“ zeigt mehr."
done
"$cli" help gibtsnicht >/dev/null 2>"$work/err"
check "help of an unknown command is a usage error" test $? -eq 2
check "...naming it" grep -qx "zellora-cli: unbekannter Befehl: gibtsnicht" "$work/err"
check "texts with umlauts" grep -q "prüft Gruppendateien" "$work/overview"
check "--version names the project's version" test "$("$cli" --version)" = "zellora-cli $version"
check "the man page names the same version" grep -q "zellora\\\\-cli $version" "$manpage"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
