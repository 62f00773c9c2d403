#!/usr/bin/env bash
# The Debian package as a user installs it: `apt-get install ./zellora-cli_….deb` in a clean
# minimal Debian 12, then zellora-cli --version, a check, the man page and the library there.
#   deb_test.sh DEB CACHE   CACHE is the minimal root as a tarball, made once when missing
set -u
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cache=$2
version=$(dpkg-deb -f "$deb" Version)
# shellcheck source=../checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

root=$(mktemp -d)
mounted=()
cleanup() {
  local m
  for m in "${mounted[@]}"; do umount -l "$m" 2>/dev/null; done
  rm -rf "$root"
}
trap cleanup EXIT

# The Debian mirror the machine itself uses, from its own sources.
mirror() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
    /^deb[ \t]/ && $3 == "bookworm" { print $2; exit }
    /^URIs:/ { uri = $2 } /^Suites:/ && / bookworm( |$)/ && uri != "" { print uri; exit }'
}

if [ ! -f "$cache" ]; then
  made=$(mktemp -d)
  debootstrap --variant=minbase bookworm "$made" "$(mirror)" >"$made.log" 2>&1 ||
    { tail -n 20 "$made.log"; rm -rf "$made" "$made.log"; exit 1; }
  mkdir -p "$(dirname "$cache")"
  tar -C "$made" -czf "$cache" . && rm -rf "$made" "$made.log"
fi
tar -C "$root" -xzf "$cache"
for m in dev proc; do
  mount --bind "/$m" "$root/$m" && mounted+=("$root/$m")
done
cp "$deb" "$root/tmp/"
inside() { chroot "$root" env LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

check "the root has no zellora-cli before" test ! -e "$root/usr/bin/zellora-cli"
inside apt-get update -q >"$root/tmp/apt.log" 2>&1
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" \
  >>"$root/tmp/apt.log" 2>&1
check "apt-get installs the package with its dependencies" test $? -eq 0 || tail -n 20 "$root/tmp/apt.log"
check "--version" test "$(inside zellora-cli --version)" = "zellora-cli $version"
mkdir -p "$root/tmp/sim"
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<GRUPPENOBJECT>\r\n<Props/>\r\n<Object><Props Name="fehlt.fzlobj"/></Object>\r\n</GRUPPENOBJECT>\r\n' \
  >"$root/tmp/sim/a.fzlgrp"
inside zellora-cli check /tmp/sim >"$root/tmp/out" 2>&1
check "check finds the missing file" test $? -eq 1
check "...and says so in German" grep -q 'Datei nicht gefunden' "$root/tmp/out"
check "the man page is installed" test -s "$root/usr/share/man/man1/zellora-cli.1.gz"
check "the bash completion is installed" test -s "$root/usr/share/bash-completion/completions/zellora-cli"
check "librotation.so.1 is found by the loader" inside sh -c 'ldconfig -p | grep -q librotation.so.1'
inside apt-get remove -y -q zellora-cli >/dev/null 2>&1
check "apt-get removes it again" test ! -e "$root/usr/bin/zellora-cli"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
