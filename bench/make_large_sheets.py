#!/usr/bin/python3
"""Makes the largest control sets the spreadsheet readers accept, for measuring
their peak memory (and that of the import behind them):

* cells.xlsx: a million control rows of four cells each, the reader's limit of
  four million cells: a unique identifier as a shared string, a number, and two
  short titles shared by many rows; about 31 million characters of cell text,
  just under the limit of one import.
* shared.xlsx: two million unique shared strings (the limit), each shown by one
  cell of a million rows of two cells.
* inline.xlsx: 6,300 rows of seven inline-string cells, about 31 million
  characters of text written in the sheet itself.
* big.xls: a workbook of about 250 MB (the limit is 256 MB): 1.5 million shared
  strings, a sheet of 65,536 rows with 61 cells each (four million cells, shared
  strings and numbers), and large records of a kind the reader passes over
  between the rows. Written in the container layout of the usual writers:
  512-byte sectors, the sector table continued in DIFAT sectors.

usage: make_large_sheets.py FOLDER
Then, for each file, the import's peak: /usr/bin/time -f %MKB quarrix-cli --store
FOLDER/q.mdb import-controls FOLDER/cells.xlsx
"""
import os
import struct
import sys
import zipfile

TITLES = ["Sect %02d" % i for i in range(20)]
TOPICS = ["Top %03d" % i for i in range(100)]


def xml_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
</Types>"""

ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Controls" sheetId="1" r:id="rId1"/></sheets>
</workbook>"""

WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>"""


def column(n):
    letters = ""
    while n:
        n, r = divmod(n - 1, 26)
        letters = chr(65 + r) + letters
    return letters


def write_xlsx(path, shared, rows):
    """rows yields lists of cells: ("s", index), ("n", number) or ("i", text)."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        with z.open("xl/sharedStrings.xml", "w", force_zip64=True) as f:
            f.write(('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst xmlns="http://schemas.'
                     'openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">' %
                     (len(shared), len(shared))).encode())
            for start in range(0, len(shared), 10000):
                f.write("".join("<si><t>%s</t></si>" % xml_escape(s)
                                for s in shared[start:start + 10000]).encode())
            f.write(b"</sst>")
        letters = [column(c) for c in range(1, 8)]
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            f.write(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet xmlns="http://schemas.'
                    b'openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
            chunk = []
            for r, cells in enumerate(rows, start=1):
                parts = ['<row r="%d">' % r]
                for c, (kind, value) in enumerate(cells):
                    ref = "%s%d" % (letters[c], r)
                    if kind == "s":
                        parts.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, value))
                    elif kind == "n":
                        parts.append('<c r="%s"><v>%s</v></c>' % (ref, value))
                    else:
                        parts.append('<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, xml_escape(value)))
                parts.append("</row>")
                chunk.append("".join(parts))
                if len(chunk) == 10000:
                    f.write("".join(chunk).encode())
                    chunk = []
            f.write("".join(chunk).encode())
            f.write(b"</sheetData></worksheet>")


def cells_xlsx(path):
    rows = 1_000_000
    shared = ["C%07d" % i for i in range(rows)] + TITLES + TOPICS
    titles, topics = rows, rows + len(TITLES)
    write_xlsx(path, shared, ([("s", r), ("n", r + 1), ("s", titles + r % len(TITLES)),
                               ("s", topics + r % len(TOPICS))] for r in range(rows)))


def shared_xlsx(path):
    rows = 1_000_000
    shared = ["C%07d" % i for i in range(rows)] + ["Shared text %07d" % i for i in range(rows)]
    write_xlsx(path, shared, ([("s", r), ("s", rows + r)] for r in range(rows)))


def inline_xlsx(path):
    words = "the system shall record every access to the information it holds and review it ".split()
    text = " ".join(words[i % len(words)] for i in range(180))[:990]

    def row(r):
        return [("i", "I%06d" % r), ("i", "X%d" % r)] + [("i", text)] * 5
    write_xlsx(path, [], (row(r) for r in range(6300)))


# The .xls workbook.

def record(kind, body):
    return struct.pack("<HH", kind, len(body)) + body


def bof(globals_):
    return record(0x0809, struct.pack("<HH", 0x0600, 0x0005 if globals_ else 0x0010) + bytes(12))


def sst_records(strings):
    """The SST record and its continuations, a string never split."""
    out = []
    body = bytearray(struct.pack("<II", len(strings), len(strings)))
    kind = 0x00FC
    for s in strings:
        piece = struct.pack("<HB", len(s), 0) + s.encode("latin-1")
        if len(body) + len(piece) > 8224:
            out.append(record(kind, bytes(body)))
            body, kind = bytearray(), 0x003C
        body += piece
    out.append(record(kind, bytes(body)))
    return b"".join(out)


def big_workbook_stream(target):
    strings = ["Shared text %07d" % i for i in range(1_500_000)]
    globals_ = sst_records(strings)
    window1 = record(0x003D, bytes(10) + struct.pack("<H", 0) + bytes(6))
    name = b"Controls"

    def bound_sheet(offset):
        return record(0x0085, struct.pack("<IBBBB", offset, 0, 0, len(name), 0) + name)
    head_size = len(bof(True)) + len(window1) + len(globals_) + len(bound_sheet(0)) + 4
    sheet = bytearray()
    filler = record(0x1234, bytes(8224))
    sheet += bof(False)
    sheet += record(0x0200, struct.pack("<IIHHH", 0, 65536, 0, 61, 0))
    rows = 65536
    # Filler spreads over the rows, so the reader passes over it between cells.
    fillers = max(0, (target - head_size - rows * 61 * 20) // len(filler))
    groups = rows // 16
    for r in range(rows):
        cells = []
        for c in range(61):
            if c % 2 == 0:
                cells.append(struct.pack("<HHHHHI", 0x00FD, 10, r, c, 15, (r * 61 + c) % len(strings)))
            else:
                cells.append(struct.pack("<HHHHHd", 0x0203, 14, r, c, 15, float(r * 61 + c)))
        sheet += b"".join(cells)
        if r % 16 == 0:
            g = r // 16
            sheet += filler * (fillers * (g + 1) // groups - fillers * g // groups)
    sheet += record(0x000A, b"")
    stream = bof(True) + window1 + globals_ + bound_sheet(head_size) + record(0x000A, b"") + bytes(sheet)
    return stream


def compound_file(stream):
    sector = 512
    per_fat = sector // 4
    size = len(stream)
    stream += bytes((-len(stream)) % sector)
    data_sectors = len(stream) // sector
    fat_sectors = 1
    while True:
        difat_sectors = max(0, -(-(fat_sectors - 109) // (per_fat - 1)))
        total = fat_sectors + difat_sectors + 1 + data_sectors
        if fat_sectors * per_fat >= total:
            break
        fat_sectors += 1
    first_difat, directory, first_data = fat_sectors, fat_sectors + difat_sectors, fat_sectors + difat_sectors + 1
    end, free, fat_mark, difat_mark = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC
    fat = [fat_mark] * fat_sectors + [difat_mark] * difat_sectors + [end]
    fat += [first_data + i + 1 for i in range(data_sectors - 1)] + [end]
    fat += [free] * (fat_sectors * per_fat - len(fat))
    header = bytearray(512)
    header[0:8] = bytes([0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1])
    struct.pack_into("<HHHHH", header, 24, 0x003E, 3, 0xFFFE, 9, 6)
    struct.pack_into("<IIIIIIII", header, 44, fat_sectors, directory, 0, 4096, end, 0,
                     first_difat if difat_sectors else end, difat_sectors)
    listed = list(range(fat_sectors))
    struct.pack_into("<109I", header, 76, *(listed[:109] + [free] * (109 - min(109, fat_sectors))))
    difat = bytearray()
    rest = listed[109:]
    for d in range(difat_sectors):
        part = rest[d * (per_fat - 1):(d + 1) * (per_fat - 1)]
        part += [free] * (per_fat - 1 - len(part))
        following = first_difat + d + 1 if d + 1 < difat_sectors else end
        difat += struct.pack("<%dI" % per_fat, *(part + [following]))

    def entry(name, kind, start, length, child):
        e = bytearray(128)
        encoded = name.encode("utf-16-le")
        e[0:len(encoded)] = encoded
        struct.pack_into("<HBB", e, 64, len(encoded) + 2, kind, 1)
        struct.pack_into("<III", e, 68, free, free, child)
        struct.pack_into("<II", e, 116, start, length)
        return bytes(e)
    directory_sector = entry("Root Entry", 5, end, 0, 1) + entry("Workbook", 2, first_data, size, free)
    directory_sector += bytes(sector - len(directory_sector))
    return bytes(header) + struct.pack("<%dI" % len(fat), *fat) + bytes(difat) + directory_sector + stream


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    cells_xlsx(os.path.join(folder, "cells.xlsx"))
    shared_xlsx(os.path.join(folder, "shared.xlsx"))
    inline_xlsx(os.path.join(folder, "inline.xlsx"))
    with open(os.path.join(folder, "big.xls"), "wb") as f:
        f.write(compound_file(big_workbook_stream(250 << 20)))
    for name in ("cells.xlsx", "shared.xlsx", "inline.xlsx", "big.xls"):
        print("%s: %d bytes" % (name, os.path.getsize(os.path.join(folder, name))))


if __name__ == "__main__":
    main()
