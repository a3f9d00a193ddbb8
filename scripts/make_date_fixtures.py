#!/usr/bin/python3
"""Makes the small workbooks under tests/data/ whose cells hold dates and times,
which the spreadsheet readers must hand on as ISO text.

* dates_lo_1900.xlsx / .xls, dates_lo_1904.xlsx / .xls: written by LibreOffice
  (headless) from a flat OpenDocument source made here, in the 1900 date
  system and in the 1904 one. Row 1 holds a date, a time, a date and time,
  a date with a custom format (text in quotes and a [$-409] locale), a time
  with AM/PM, a percentage and a plain number; row 2 the same in another
  order of formats.
* dates_openpyxl.xlsx / dates_openpyxl_1904.xlsx: written by openpyxl with
  the built-in formats 14, 20, 22, 45 and 47 and custom ones.

The tests list what each cell must read as. Run with Debian's python3; needs
libreoffice on the PATH and python3-openpyxl.
"""
import datetime
import os
import shutil
import subprocess
import tempfile

import openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "data")

FODS = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:date-style style:name="Nisodate">
   <number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/>
   <number:text>-</number:text><number:day number:style="long"/>
  </number:date-style>
  <number:time-style style:name="Ntime">
   <number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/>
  </number:time-style>
  <number:date-style style:name="Ndatetime">
   <number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/>
   <number:text>.</number:text><number:year number:style="long"/><number:text> </number:text>
   <number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/>
  </number:date-style>
  <number:date-style style:name="Nlong">
   <number:text>"on" </number:text><number:day-of-week number:style="long"/><number:text>, </number:text>
   <number:month number:textual="true" number:style="long"/><number:text> </number:text><number:day/>
   <number:text>, </number:text><number:year number:style="long"/>
  </number:date-style>
  <number:time-style style:name="Nampm">
   <number:hours/><number:text>:</number:text><number:minutes number:style="long"/><number:text> </number:text>
   <number:am-pm/>
  </number:time-style>
  <number:percentage-style style:name="Npercent">
   <number:number number:decimal-places="1" number:min-integer-digits="1"/><number:text>%</number:text>
  </number:percentage-style>
  <style:style style:name="cdate" style:family="table-cell" style:data-style-name="Nisodate"/>
  <style:style style:name="ctime" style:family="table-cell" style:data-style-name="Ntime"/>
  <style:style style:name="cdatetime" style:family="table-cell" style:data-style-name="Ndatetime"/>
  <style:style style:name="clong" style:family="table-cell" style:data-style-name="Nlong"/>
  <style:style style:name="campm" style:family="table-cell" style:data-style-name="Nampm"/>
  <style:style style:name="cpercent" style:family="table-cell" style:data-style-name="Npercent"/>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
   @NULLDATE@
   <table:table table:name="Dates">
    <table:table-row>
     <table:table-cell table:style-name="cdate" office:value-type="date" office:date-value="2024-03-15"/>
     <table:table-cell table:style-name="ctime" office:value-type="time" office:time-value="PT13H30M00S"/>
     <table:table-cell table:style-name="cdatetime" office:value-type="date" office:date-value="2024-03-15T13:30:00"/>
     <table:table-cell table:style-name="clong" office:value-type="date" office:date-value="1999-12-31"/>
     <table:table-cell table:style-name="campm" office:value-type="time" office:time-value="PT07H05M00S"/>
     <table:table-cell table:style-name="cpercent" office:value-type="percentage" office:value="0.125"/>
     <table:table-cell office:value-type="float" office:value="45306"/>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="cdate" office:value-type="date" office:date-value="1904-01-02"/>
     <table:table-cell table:style-name="ctime" office:value-type="time" office:time-value="PT23H59M59S"/>
     <table:table-cell table:style-name="cdatetime" office:value-type="date" office:date-value="2000-02-29T00:00:00"/>
    </table:table-row>
   </table:table>
  </office:spreadsheet>
 </office:body>
</office:document>
"""


def libreoffice(source, kind, target):
    profile = tempfile.mkdtemp(prefix="lo-fixtures-")
    outdir = tempfile.mkdtemp(prefix="lo-out-")
    try:
        filters = {"xlsx": "xlsx:Calc MS Excel 2007 XML", "xls": "xls:MS Excel 97"}
        subprocess.run(["libreoffice", "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                        filters[kind], "--outdir", outdir, source], check=True, stdout=subprocess.DEVNULL)
        produced = os.path.join(outdir, os.path.splitext(os.path.basename(source))[0] + "." + kind)
        shutil.copyfile(produced, target)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
        shutil.rmtree(outdir, ignore_errors=True)


def make_libreoffice():
    work = tempfile.mkdtemp(prefix="date-fixtures-")
    try:
        for system, nulldate in (("1900", ""),
                                 ("1904", '<table:calculation-settings><table:null-date table:date-value="1904-01-01"/>'
                                          '</table:calculation-settings>')):
            source = os.path.join(work, "dates_lo_%s.fods" % system)
            with open(source, "w", encoding="utf-8") as f:
                f.write(FODS.replace("@NULLDATE@", nulldate))
            for kind in ("xlsx", "xls"):
                libreoffice(source, kind, os.path.join(OUT, "dates_lo_%s.%s" % (system, kind)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def make_openpyxl(name, epoch=None):
    book = openpyxl.Workbook()
    if epoch is not None:
        book.epoch = epoch
    sheet = book.active
    sheet.title = "Dates"
    cells = [
        (datetime.date(2024, 3, 15), "mm-dd-yy"),  # built-in 14
        (datetime.time(13, 30), "h:mm"),  # built-in 20
        (datetime.datetime(2024, 3, 15, 13, 30), "m/d/yy h:mm"),  # built-in 22
        (datetime.time(0, 5, 30), "mm:ss"),  # built-in 45
        (datetime.datetime(2024, 3, 15, 8, 0, 15), 'yyyy"年"mm"月"dd"日" hh:mm:ss'),
        (datetime.timedelta(hours=36, minutes=15), "[h]:mm"),
        (1234.5, "#,##0.00"),
        (0.1 + 0.2, "General"),
    ]
    for column, (value, code) in enumerate(cells, start=1):
        cell = sheet.cell(row=1, column=column, value=value)
        cell.number_format = code
    book.save(os.path.join(OUT, name))


if __name__ == "__main__":
    make_libreoffice()
    make_openpyxl("dates_openpyxl.xlsx")
    make_openpyxl("dates_openpyxl_1904.xlsx", CALENDAR_MAC_1904)
