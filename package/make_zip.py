#!/usr/bin/env python3
"""Writes the portable zip reproducibly: the files in the order given, each with the same
time stamp and attributes, compressed the same way, so that two builds give the same bytes.

make_zip.py OUT.zip EPOCH FOLDER NAME...
"""
import os
import sys
import time
import zipfile


def write_zip(out, epoch, folder, names):
    # Zip stores local time in two-second steps from 1980 on; the stamp is taken as UTC.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    # Written beside OUT and renamed at the end, so that a failed build leaves no zip.
    temporary = out + ".tmp"
    try:
        with zipfile.ZipFile(temporary, "w") as archive:
            for name in names:
                info = zipfile.ZipInfo(name, date_time=stamp)
                info.compress_type = zipfile.ZIP_DEFLATED
                info.create_system = 0  # MS-DOS attributes, as Windows writes them
                info.external_attr = 0x20  # "archive", an ordinary file
                with open(f"{folder}/{name}", "rb") as source:
                    archive.writestr(info, source.read(), compresslevel=9)
        os.replace(temporary, out)
    except BaseException:
        if os.path.exists(temporary):
            os.remove(temporary)
        raise


def main(argv):
    if len(argv) < 5:
        sys.stderr.write(__doc__.split("\n\n")[1])
        return 2
    write_zip(argv[1], argv[2], argv[3], argv[4:])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
