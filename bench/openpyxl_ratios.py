#!/usr/bin/python3
"""Times quarrix-cli's spreadsheet import and export against openpyxl doing the
least work on the same cells: reading the control set's sheet in read-only mode,
and writing the exported cells in write-only mode. Each run of a pair is a
whole process, timed back to back, so a busy machine slows both sides alike;
the ratio printed is the median over the pairs.

usage: openpyxl_ratios.py QUARRIX_CLI STORE CONTROL_SET.xlsx [RUNS]
STORE is an assessment to export (for example the L fixture that
`bench_archive L --keep FOLDER` leaves); it is copied, never changed.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

READ = """
import sys
from openpyxl import load_workbook
book = load_workbook(sys.argv[1], read_only=True)
for row in book.worksheets[0].iter_rows(values_only=True):
    pass
"""

WRITE = """
import json, sys
from openpyxl import Workbook
sheets = json.load(open(sys.argv[1]))
book = Workbook(write_only=True)
for name, rows in sheets:
    sheet = book.create_sheet(name)
    for row in rows:
        sheet.append(row)
book.save(sys.argv[2])
"""

DUMP = """
import json, sys
from openpyxl import load_workbook
book = load_workbook(sys.argv[1], read_only=True)
json.dump([(s.title, [list(r) for r in s.iter_rows(values_only=True)]) for s in book.worksheets],
          open(sys.argv[2], "w"), default=str)
"""


def timed(args):
    start = time.perf_counter()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def paired(ours, theirs, runs):
    ratios, mine, base = [], [], []
    for _ in range(runs):
        a, b = timed(ours), timed(theirs)
        mine.append(a)
        base.append(b)
        ratios.append(a / b)
    return statistics.median(mine) * 1000, statistics.median(base) * 1000, statistics.median(ratios)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    cli, store, controls = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 9
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "Quarrix.mdb")
        shutil.copy(store, copy)
        py = sys.executable
        ours, base, ratio = paired([cli, "--store", copy, "import-controls", controls], [py, "-c", READ, controls], runs)
        print(f"import-controls {ours:.0f} ms, openpyxl read-only {base:.0f} ms: ratio {ratio:.2f}")

        # The import replaced the catalogue; export the original store's tables.
        shutil.copy(store, copy)
        exported = os.path.join(work, "export.xlsx")
        subprocess.run([cli, "--store", copy, "export", exported], check=True, stdout=subprocess.DEVNULL)
        cells = os.path.join(work, "cells.json")
        subprocess.run([py, "-c", DUMP, exported, cells], check=True)
        ours, base, ratio = paired([cli, "--store", copy, "export", exported],
                                   [py, "-c", WRITE, cells, os.path.join(work, "openpyxl.xlsx")], runs)
        print(f"export {ours:.0f} ms, openpyxl write-only {base:.0f} ms: ratio {ratio:.2f}")


if __name__ == "__main__":
    main()
