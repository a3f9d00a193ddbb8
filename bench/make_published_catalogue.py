#!/usr/bin/python3
"""Makes a control set the size of a published catalogue, for the import
benchmark: 1,007 rows of 20 sections, each control with a full statement of
lettered items and a discussion, about 2 MB of text in all. The rows are
written as CSV and turned into .xlsx and .xls by LibreOffice's converter,
which stores the texts as shared strings, as the published workbooks do.

usage: make_published_catalogue.py FOLDER
Leaves FOLDER/published_controls.xlsx and FOLDER/published_controls.xls.
Needs libreoffice on the PATH.
"""
import csv
import os
import random
import shutil
import subprocess
import sys
import tempfile

WORDS = ("the organization system information security control access account audit policy procedure "
         "personnel role review update document disseminate implement monitor assess authorize configuration "
         "baseline incident response contingency plan training awareness media protection physical environmental "
         "risk assessment acquisition integrity communication boundary cryptographic mechanism privileged user "
         "function service event record log retention frequency defined required approved").split()


def prose(rng, words):
    text = " ".join(rng.choice(WORDS) for _ in range(words))
    return text[0].upper() + text[1:] + "."


def rows(rng):
    out = []
    sections = [("%02d" % s, prose(rng, 3).rstrip(".")) for s in range(1, 21)]
    count = 0
    objective = 0
    while count < 1007:
        section, title = sections[objective % len(sections)]
        objective += 1
        objective_id = "%s.%02d" % (section, objective // len(sections) + 1)
        objective_title = prose(rng, 4).rstrip(".")
        statement = "\n".join("%s. %s" % (letter, prose(rng, rng.randint(12, 30))) for letter in "abcd"[:rng.randint(2, 4)])
        for control in range(1, rng.randint(2, 6)):
            if count >= 1007:
                break
            count += 1
            text = "\n".join("%s. %s" % (letter, prose(rng, rng.randint(15, 35)))
                             for letter in "abcde"[:rng.randint(2, 5)])
            discussion = prose(rng, rng.randint(60, 130))
            out.append(["%s.%02d" % (objective_id, control), "%s-%d" % (section, count), title, objective_title,
                        statement, prose(rng, 5).rstrip("."), text + "\n\nDiscussion: " + discussion])
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    work = tempfile.mkdtemp(prefix="published-catalogue-")
    try:
        source = os.path.join(work, "published_controls.csv")
        with open(source, "w", newline="", encoding="utf-8") as f:
            csv.writer(f).writerows(rows(random.Random(800_53)))
        profile = os.path.join(work, "profile")
        for kind, name in (("xlsx", "Calc MS Excel 2007 XML"), ("xls", "MS Excel 97")):
            subprocess.run(["libreoffice", "-env:UserInstallation=file://" + profile, "--headless",
                            "--infilter=CSV:44,34,76,1", "--convert-to", "%s:%s" % (kind, name), "--outdir", work,
                            source], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.copyfile(os.path.join(work, "published_controls." + kind),
                            os.path.join(folder, "published_controls." + kind))
        print("text: %d bytes" % os.path.getsize(source))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
