#!/usr/bin/python3
"""Times quarrix-cli's spreadsheet import and export against openpyxl doing the
least work on the same cells: reading the control set's sheet in read-only mode,
and writing the exported cells in write-only mode; the export also against
libxlsxwriter alone writing the same cells (bench/lxw_alone, built beside
quarrix-cli's build as bench/lxw_alone). Each run of a pair is a whole process,
timed back to back, so a busy machine slows both sides alike; the ratio printed
is the median over the pairs.

usage: openpyxl_ratios.py QUARRIX_CLI STORE CONTROL_SET.xlsx... [--runs N] [--lxw LXW_ALONE]
STORE is an assessment to export (for example the L fixture that
`bench_archive L --keep FOLDER` leaves); it is copied, never changed. Each
control set (.xlsx or .xls) is imported in turn, an .xls against openpyxl reading
the .xlsx of the same name; bench/make_published_catalogue.py makes both the size
of a published catalogue.
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


CELLS = """
import sys
from openpyxl import load_workbook
book = load_workbook(sys.argv[1], read_only=True)
with open(sys.argv[2], "w", encoding="utf-8") as out:
    for s in book.worksheets:
        out.write("\\x1d" + s.title + "\\n")
        for r in s.iter_rows(values_only=True):
            cells = ["" if v is None else str(v).replace("\\r\\n", "\\n").replace("\\n", "\\x1e") for v in r]
            out.write("\\x1f".join(cells) + "\\n")
"""


def main():
    args = sys.argv[1:]
    runs, lxw = 9, None
    if "--runs" in args:
        i = args.index("--runs")
        runs = int(args[i + 1])
        del args[i:i + 2]
    if "--lxw" in args:
        i = args.index("--lxw")
        lxw = args[i + 1]
        del args[i:i + 2]
    if len(args) < 3:
        sys.exit(__doc__)
    cli, store, controls = args[0], args[1], args[2:]
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "Quarrix.mdb")
        py = sys.executable
        for control_set in controls:
            shutil.copy(store, copy)
            # openpyxl reads no .xls: it reads the same cells from the .xlsx beside it.
            theirs = os.path.splitext(control_set)[0] + ".xlsx" if control_set.endswith(".xls") else control_set
            ours, base, ratio = paired([cli, "--store", copy, "import-controls", control_set],
                                       [py, "-c", READ, theirs], runs)
            print(f"import-controls {os.path.basename(control_set)} {ours:.0f} ms, "
                  f"openpyxl read-only {base:.0f} ms: ratio {ratio:.2f}")

        # The imports replaced the catalogue; export the original store's tables.
        shutil.copy(store, copy)
        exported = os.path.join(work, "export.xlsx")
        subprocess.run([cli, "--store", copy, "export", exported], check=True, stdout=subprocess.DEVNULL)
        cells = os.path.join(work, "cells.json")
        subprocess.run([py, "-c", DUMP, exported, cells], check=True)
        ours, base, ratio = paired([cli, "--store", copy, "export", exported],
                                   [py, "-c", WRITE, cells, os.path.join(work, "openpyxl.xlsx")], runs)
        print(f"export {ours:.0f} ms, openpyxl write-only {base:.0f} ms: ratio {ratio:.2f}")
        if lxw:
            plain = os.path.join(work, "cells.txt")
            subprocess.run([py, "-c", CELLS, exported, plain], check=True)
            ours, base, ratio = paired([cli, "--store", copy, "export", exported],
                                       [lxw, plain, os.path.join(work, "lxw.xlsx")], runs)
            print(f"export {ours:.0f} ms, libxlsxwriter alone {base:.0f} ms: ratio {ratio:.2f}")


if __name__ == "__main__":
    main()
