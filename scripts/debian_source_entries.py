#!/usr/bin/env python3
"""Writes the source entries scripts/setup needs, derived from the machine's own sources.

Every Debian "deb" entry of the given files, in either format, becomes a "deb-src" entry
with the same URIs, suites, components and options; the entries of other vendors are left
out.

Usage: debian_source_entries.py OUT_FOLDER SOURCE_FILE...
The Debian entries are those whose URI and suite stand, one pair a line, in DEBIAN_SUITES
(apt's index targets whose Release file names Debian as its origin).
Writes OUT_FOLDER/zellora-src.sources and OUT_FOLDER/zellora-src.list.
"""
import os
import re
import sys

out, files = sys.argv[1], sys.argv[2:]
debian = {tuple(line.split()) for line in os.environ["DEBIAN_SUITES"].splitlines()}
ours = ("zellora-src.sources", "zellora-src.list")


def is_debian(uris, suites):
    return any((uri.rstrip("/"), suite) in debian for uri in uris for suite in suites)


def read_stanzas(text):
    for block in re.split(r"\n[ \t]*\n", text):
        fields, order = {}, []
        for line in block.splitlines():
            if line.startswith("#") or not line.strip():
                continue
            if line[0] in " \t" and order:
                fields[order[-1]] += "\n" + line
                continue
            key, _, value = line.partition(":")
            order.append(key.strip())
            fields[key.strip()] = value.strip()
        if order:
            yield fields, order


stanzas, lines = [], []
for path in files:
    if not os.path.isfile(path) or os.path.basename(path) in ours:
        continue
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if path.endswith(".sources"):
        for fields, order in read_stanzas(text):
            types = fields.get("Types", "").split()
            suites = fields.get("Suites", "").split()
            if "deb" not in types or fields.get("Enabled", "yes").lower() == "no":
                continue
            if not is_debian(fields.get("URIs", "").split(), suites):
                continue
            fields["Types"] = "deb-src"
            stanzas.append("\n".join(key + ": " + fields[key] for key in order))
    else:
        for line in text.splitlines():
            m = re.match(r"\s*deb\s+(\[[^\]]*\]\s+)?(\S+)\s+(\S+)", line)
            if not m or not is_debian([m.group(2)], [m.group(3)]):
                continue
            lines.append("deb-src " + line.strip()[len("deb"):].strip())

with open(os.path.join(out, "zellora-src.sources"), "w", encoding="utf-8") as f:
    f.write("\n\n".join(stanzas) + ("\n" if stanzas else ""))
with open(os.path.join(out, "zellora-src.list"), "w", encoding="utf-8") as f:
    f.write("".join(line + "\n" for line in lines))
