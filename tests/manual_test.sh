#!/usr/bin/env bash
# The built manual Readme.pdf: its title page carries the build's version, its fonts are
# embedded, it has bookmarks, umlauts and German hyphenation, every screenshot, and every
# message the programs show, word for word as the code defines it.
set -u
pdf=$1
source=$2
version=$3
manual="$source/docs/manual/handbuch.rst"
# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

text=$(pdftotext -layout "$pdf" -)
title_page=$(pdftotext -f 1 -l 1 "$pdf" -)

check "the title page names version $version" grep -q "Handbuch zu Version $version" <<<"$title_page"
check "every page has its number" test "$(grep -c 'Seite [0-9]* von [0-9]*' <<<"$text")" -eq \
  "$(($(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}') - 1))"
check "every font is embedded" bash -c "pdffonts '$pdf' | tail -n +3 | awk '\$(NF-4) != \"yes\"' | grep -q . && exit 1 || exit 0"
check "the fonts are DejaVu" bash -c "pdffonts '$pdf' | tail -n +3 | grep -vq DejaVu && exit 1 || exit 0"
check "the PDF has bookmarks" grep -aq '/Outlines' "$pdf"
for words in "Über Zellora" "Einträge hinzufügen, löschen, kopieren und einfügen" \
  "Neu, Öffnen, Speichern" "Vergrößerungsfaktor"; do
  check "umlauts read back: $words" grep -q "$words" <<<"$text"
done
check "long words are hyphenated" test "$(grep -c '[a-zäöüß]-$' <<<"$text")" -gt 10
# Hyphenation never breaks a name or code such as "XML-Datei" ("XM-" at a line end, "L-Datei"
# on the next); a line may still end at a hyphen the text has.
broken=$(pdftotext -raw "$pdf" - | python3 -c '
import re, sys
source = re.sub(r"\s+", " ", open(sys.argv[1], encoding="utf-8").read())
lines = sys.stdin.read().splitlines()
for line, after in zip(lines, lines[1:] + [""]):
    m = re.search(r"(\S*[A-Z0-9])-$", line)
    n = re.match(r"\S+", after)
    if m and n and m.group(1) + n.group(0) in source and m.group(1) + "-" + n.group(0) not in source:
        print(m.group(1) + "-" + n.group(0))
' "$manual")
check "no name or code is broken by hyphenation${broken:+: $broken}" test -z "$broken"
for field in Subject Creator; do
  value=$(pdfinfo "$pdf" | sed -n "s/^$field: *//p")
  check "the PDF names its $field: $value" test -n "$value" -a "$value" != "(unspecified)"
done

while IFS= read -r picture; do
  # A picture too wide for the page is shown in its print version NAME_print.png.
  name=$(basename "$picture" .png)
  check "the manual shows $name.png" grep -q -e "image:: ../$name.png" \
    -e "image:: ../${name}_print.png" "$manual" "$source/docs/manual/Readme.rst.in"
done < <(find "$source/docs" -maxdepth 1 -name '*.png')
check "the pictures are in the PDF" test "$(pdfimages -list "$pdf" | tail -n +3 | wc -l)" -ge \
  "$(find "$source/docs" -maxdepth 1 -name '*.png' | wc -l)"

# Messages as the code defines them, by their names, against the manual's text with its line
# breaks and indentation folded into single blanks.
messages=(
  TextNeedsUnicode TextSavePrompt TextListFillFailed TextCannotOpen TextNameTooLong
  TextSystemErrorCaption TextBadPath TextBrowseTitle
  TextNotANumber TextNotARotation Untitled OpenObjectFile OpenXmlError OpenFailed
  OpenNoMemory OpenNotGroupFile UnicodeLostOnSave ExportNotFound ExportLoop
  ExportCannotCreate RootNotSet
)
missing=$(python3 - "$source/app/texts.h" "$source/document/messages.h" "$manual" "${messages[@]}" <<'PY'
import re, sys
headers = open(sys.argv[1], encoding='utf-8').read() + open(sys.argv[2], encoding='utf-8').read()
manual = re.sub(r'\s+', ' ', open(sys.argv[3], encoding='utf-8').read())
for name in sys.argv[4:]:
    found = re.search(r'\b' + name + r'\b(?:\[\])?\s*=\s*((?:u"(?:[^"\\]|\\.)*"\s*)+);', headers)
    if not found:
        print(name + ': not defined in the code')
        continue
    text = ''.join(re.findall(r'u"((?:[^"\\]|\\.)*)"', found.group(1))).replace('\\"', '"')
    if text not in manual and text.replace('%s', 'Readme.pdf') not in manual:
        print(name + ': "' + text + '" is not in the manual')
PY
)
check "every message is in the manual${missing:+:
$missing}" test -z "$missing"

echo "$passes passed, $failures failed"
test $failures -eq 0
