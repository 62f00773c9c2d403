#!/usr/bin/env bash
# The portable zip's writer: the same files give the same bytes, whatever their times on
# disk; entries in the order given, each with the release's time stamp.
set -u
make_zip=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
entries() { # name date_time external_attr, one entry a line
  python3 -c 'import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, "%04d-%02d-%02d %02d:%02d:%02d" % i.date_time, i.create_system, i.external_attr)' "$1"
}

mkdir -p "$work/in"
printf 'Zellora\r\n' >"$work/in/b.txt"
head -c 100000 /dev/zero >"$work/in/a.exe"
epoch=1796725800 # 2026-12-08 10:30:00 UTC
python3 "$make_zip" "$work/one.zip" $epoch "$work/in" b.txt a.exe
touch -d '2001-01-01' "$work/in/a.exe"
chmod 600 "$work/in/b.txt"
python3 "$make_zip" "$work/two.zip" $epoch "$work/in" b.txt a.exe
check "two builds give the same bytes" cmp -s "$work/one.zip" "$work/two.zip"
check "entries in the order given, with the release's time and DOS attributes" test \
  "$(entries "$work/one.zip")" = "b.txt 2026-12-08 10:30:00 0 32
a.exe 2026-12-08 10:30:00 0 32"
check "contents kept" python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None
assert z.read("b.txt") == b"Zellora\r\n" and z.read("a.exe") == bytes(100000)' "$work/one.zip"

python3 "$make_zip" "$work/old.zip" 0 "$work/in" b.txt
check "a time before 1980, which zip cannot hold, becomes 1980-01-01" test \
  "$(entries "$work/old.zip")" = "b.txt 1980-01-01 00:00:00 0 32"
python3 "$make_zip" "$work/missing.zip" $epoch "$work/in" b.txt fehlt.txt 2>/dev/null
check "a missing file fails the build" test $? -ne 0
check "...and leaves no zip" test ! -e "$work/missing.zip" -a ! -e "$work/missing.zip.tmp"
python3 "$make_zip" "$work/usage.zip" 2>/dev/null
check "too few arguments is a usage error" test $? -eq 2

summary
