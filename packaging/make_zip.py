#!/usr/bin/env python3
"""Writes a zip file that is the same, byte for byte, whenever and wherever it is made.

    make_zip.py ZIP NAME=FILE [NAME=FILE...]

Members are stored under NAME, sorted by name, each with the time SOURCE_DATE_EPOCH gives (the
commit's time; it must be set) in UTC, as MS-DOS files with no owner or permission bits. A
NAME ending in .txt or .cmd is text: its lines end in CR LF, as Windows' own programs expect.
"""
import os
import sys
import time
import zipfile

# MS-DOS times start on 1 January 1980 and count seconds in twos.
DOS_EPOCH = 315532800
COMPRESSION_LEVEL = 9
MSDOS = 0
ARCHIVE_ATTRIBUTE = 0x20


def member_time():
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    if not stamp or not stamp.isdigit():
        sys.exit("make_zip.py: SOURCE_DATE_EPOCH must hold the commit's time in seconds")
    t = time.gmtime(max(int(stamp), DOS_EPOCH))
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def main(argv):
    if len(argv) < 3 or any("=" not in pair for pair in argv[2:]):
        sys.exit(__doc__)
    when = member_time()
    members = sorted(pair.split("=", 1) for pair in argv[2:])
    with zipfile.ZipFile(argv[1], "w") as archive:
        for name, path in members:
            with open(path, "rb") as source:
                data = source.read()
            if name.endswith((".txt", ".cmd")):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            info = zipfile.ZipInfo(name, when)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = MSDOS
            info.external_attr = ARCHIVE_ATTRIBUTE
            archive.writestr(info, data, compresslevel=COMPRESSION_LEVEL)


if __name__ == "__main__":
    main(sys.argv)
