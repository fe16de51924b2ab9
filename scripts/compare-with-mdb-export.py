#!/usr/bin/env python3
"""Reads every table that mdb-export reads in the .mdb files under the given
folders with our reader (build/tests/jetreader_export) and compares the two.

    scripts/compare-with-mdb-export.py [--reader PATH] FOLDER...

mdbtools (Debian package mdbtools) is only the oracle here; the program does
not use it. Prints each table that differs or that our reader refuses, then
"tables N identical M refused R". Exit status 1 when any table was refused
(a real file read by mdb-export must never be refused)."""

import csv
import io
import os
import subprocess
import sys

DATE = "%m/%d/%y %H:%M:%S"


def rows(text):
    return list(csv.reader(io.StringIO(text.decode("utf-8", "replace"))))


def main(argv):
    reader = os.path.join(os.path.dirname(__file__), "..", "build", "tests", "jetreader_export")
    if len(argv) > 2 and argv[1] == "--reader":
        reader, argv = argv[2], [argv[0]] + argv[3:]
    files = sorted(os.path.join(d, f) for folder in argv[1:] for d, _, fs in os.walk(folder)
                   for f in fs if f.lower().endswith(".mdb"))
    total = same = refused = 0
    for path in files:
        listing = subprocess.run(["mdb-tables", "-1", path], capture_output=True, timeout=120)
        for table in [t for t in listing.stdout.decode("utf-8", "replace").split("\n") if t]:
            want = subprocess.run(["mdb-export", "-D", DATE, "-T", DATE, path, table],
                                  capture_output=True, timeout=300)
            if want.returncode != 0:
                continue  # not read by the oracle either
            total += 1
            got = subprocess.run([reader, path, table], capture_output=True, timeout=300)
            if got.returncode != 0:
                refused += 1
                print("REFUSED %s [%s]: %s" % (path, table, got.stderr.decode("utf-8", "replace").strip()))
                continue
            a, b = rows(want.stdout), rows(got.stdout)
            if a == b:
                same += 1
                continue
            first = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
            print("DIFF %s [%s]: %d/%d lines, first difference in line %d" % (path, table, len(b), len(a), first + 1))
    print("tables %d identical %d refused %d" % (total, same, refused))
    return 1 if refused else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
