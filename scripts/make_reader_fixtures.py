#!/usr/bin/python3
"""Makes the small workbooks under tests/data/ that the spreadsheet reader's
tests read back.

* reader_lo.xlsx / reader_lo.xls: written by LibreOffice (headless) from a flat
  OpenDocument source made here. Two sheets; the second one ("Data") is the
  active one, so a reader that takes the first sheet fails the tests.
* reader_excel_layout.xlsx: assembled part by part in the layout the desktop
  spreadsheet program writes (prefixed namespaces, shared strings with rich
  runs, cells without r attributes, inline strings, cached formula values).
* reader_encrypted.xlsx: a compound file holding an EncryptedPackage stream,
  the shape of a password-protected workbook.

Run with Debian's python3; needs libreoffice on the PATH.
"""
import os
import re
import shutil
import struct
import subprocess
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "data")

FODS = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:settings>
  <config:config-item-set config:name="ooo:view-settings">
   <config:config-item-map-indexed config:name="Views">
    <config:config-item-map-entry>
     <config:config-item config:name="ViewId" config:type="string">view1</config:config-item>
     <config:config-item config:name="ActiveTable" config:type="string">Data</config:config-item>
     <config:config-item-map-named config:name="Tables">
      <config:config-item-map-entry config:name="Notes">
       <config:config-item config:name="CursorPositionX" config:type="int">0</config:config-item>
      </config:config-item-map-entry>
      <config:config-item-map-entry config:name="Data">
       <config:config-item config:name="CursorPositionX" config:type="int">0</config:config-item>
      </config:config-item-map-entry>
     </config:config-item-map-named>
    </config:config-item-map-entry>
   </config:config-item-map-indexed>
  </config:config-item-set>
 </office:settings>
 <office:body>
  <office:spreadsheet>
   <table:table table:name="Notes">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>first sheet, not active</text:p></table:table-cell>
    </table:table-row>
   </table:table>
   <table:table table:name="Data">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Name</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="3"/>
     <table:table-cell office:value-type="float" office:value="1.5"/>
     <table:table-cell table:formula="of:=[.B1]*2" office:value-type="float" office:value="6"/>
     <table:table-cell table:formula="of:=1=1" office:value-type="boolean" office:boolean-value="true"/>
     <table:table-cell table:formula="of:=[.A1]&amp;&quot;x&quot;" office:value-type="string" office:string-value="Namex"><text:p>Namex</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Name</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="1000000"/>
     <table:table-cell office:value-type="float" office:value="-0.1"/>
     <table:table-cell office:value-type="boolean" office:boolean-value="false"/>
     <table:table-cell office:value-type="string"><text:p>Zürich – ünïcode</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:number-columns-repeated="3"/>
     <table:table-cell office:value-type="string"><text:p>D3 only</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="float" office:value="12"/>
    </table:table-row>
   </table:table>
  </office:spreadsheet>
 </office:body>
</office:document>
"""


def convert(source, fmt, outdir):
    profile = tempfile.mkdtemp(prefix="lo-")
    try:
        subprocess.run(["libreoffice", "-env:UserInstallation=file://" + profile, "--headless",
                        "--convert-to", fmt, "--outdir", outdir, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def set_active_tab(path, tab):
    """Rewrites workbook.xml of an .xlsx so that the given tab is active.
    LibreOffice ignores the view settings of a flat source when converting
    headless, but keeps the active tab of an .xlsx it reads."""
    patched = path + ".tmp"
    with zipfile.ZipFile(path) as src, zipfile.ZipFile(patched, "w", zipfile.ZIP_DEFLATED) as dst:
        for item in src.infolist():
            data = src.read(item.filename)
            if item.filename == "xl/workbook.xml":
                data = re.sub(rb'activeTab="\d+"', b'activeTab="%d"' % tab, data)
            dst.writestr(item, data)
    os.replace(patched, path)


def libreoffice_files():
    work = tempfile.mkdtemp(prefix="fods-")
    try:
        src = os.path.join(work, "source.fods")
        with open(src, "w", encoding="utf-8") as f:
            f.write(FODS)
        convert(src, "xlsx:Calc MS Excel 2007 XML", work)
        stage = os.path.join(work, "stage")
        os.makedirs(stage)
        middle = os.path.join(stage, "reader_lo.xlsx")
        os.replace(os.path.join(work, "source.xlsx"), middle)
        set_active_tab(middle, 1)
        convert(middle, "xlsx:Calc MS Excel 2007 XML", work)
        convert(middle, "xls:MS Excel 97", work)
        for ext in ("xlsx", "xls"):
            shutil.copy(os.path.join(work, "reader_lo." + ext), os.path.join(OUT, "reader_lo." + ext))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def excel_layout_file():
    ct = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
          '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
          '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
          '<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
          '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
          '</Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
            '</Relationships>')
    # Sheets listed in tab order; the workbook opens on the second tab, whose
    # part is sheet1.xml, so tab order and part names do not agree.
    workbook = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
                '<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                '<x:bookViews><x:workbookView xWindow="0" yWindow="0" windowWidth="16000" windowHeight="9000" activeTab="1"/></x:bookViews>'
                '<x:sheets><x:sheet name="Cover" sheetId="2" r:id="rId7"/><x:sheet name="Catalogue" sheetId="1" r:id="rId3"/></x:sheets>'
                '</x:workbook>')
    wbrels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
              '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
              '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet1.xml"/>'
              '<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet2.xml"/>'
              '<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>'
              '</Relationships>')
    shared = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
              '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">'
              '<si><t>Alpha</t></si>'
              '<si><r><rPr><b/></rPr><t xml:space="preserve">Rich </t></r><r><t>text</t></r>'
              '<rPh sb="0" eb="1"><t>IGNORED</t></rPh></si>'
              '<si><t>cover sheet</t></si>'
              '</sst>')
    sheet1 = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
              '<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
              '<x:dimension ref="A1:F4"/><x:sheetData>'
              '<x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c><x:c r="B1"><x:v>7</x:v></x:c>'
              '<x:c r="C1"><x:v>0.30000000000000004</x:v></x:c><x:c r="D1"><x:f>B1*3</x:f><x:v>21</x:v></x:c>'
              '<x:c r="E1" t="b"><x:v>1</x:v></x:c><x:c r="F1" t="str"><x:f>A1&amp;"!"</x:f><x:v>Alpha!</x:v></x:c></x:row>'
              '<x:row r="2"><x:c t="s"><x:v>1</x:v></x:c><x:c t="inlineStr"><x:is><x:t>inline</x:t></x:is></x:c>'
              '<x:c><x:v>2.5E-3</x:v></x:c><x:c t="e"><x:v>#N/A</x:v></x:c></x:row>'
              '<x:row><x:c r="C3"><x:v>4.0</x:v></x:c></x:row>'
              '</x:sheetData></x:worksheet>')
    sheet2 = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
              '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
              '<row r="1"><c r="A1" t="s"><v>2</v></c></row></sheetData></worksheet>')
    path = os.path.join(OUT, "reader_excel_layout.xlsx")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", ct)
        z.writestr("_rels/.rels", rels)
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels", wbrels)
        z.writestr("xl/sharedStrings.xml", shared)
        z.writestr("xl/worksheets/sheet1.xml", sheet1)
        z.writestr("xl/worksheets/sheet2.xml", sheet2)


def encrypted_file():
    """A minimal compound file (512-byte sectors) whose root holds the two
    streams of an encrypted package."""
    sector = 512
    free, endchain, fatsect = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD

    def entry(name, kind, start, size, child=0xFFFFFFFF, left=0xFFFFFFFF, right=0xFFFFFFFF):
        n = (name + "\0").encode("utf-16-le")
        e = n.ljust(64, b"\0") + struct.pack("<HBB", len(n), kind, 1)
        e += struct.pack("<III", left, right, child) + b"\0" * 16 + b"\0" * 4 + b"\0" * 16
        e += struct.pack("<IQ", start, size)
        return e

    # sector 0: FAT, sector 1: directory, sector 2: EncryptedPackage data (big enough for the FAT)
    package = b"\x08\0\0\0\0\0\0\0" + b"\xAA" * 4088  # 4096 bytes: 8 sectors, 2..9
    fat = [fatsect, endchain] + [i + 1 for i in range(2, 9)] + [endchain]
    fat += [free] * (sector // 4 - len(fat))
    directory = entry("Root Entry", 5, endchain, 0, child=1)
    directory += entry("EncryptedPackage", 2, 2, len(package), right=2)
    directory += entry("EncryptionInfo", 2, endchain, 0)
    directory = directory.ljust(sector, b"\0")
    header = bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, endchain, 0, endchain, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", free) * 108
    data = header + struct.pack("<%dI" % (sector // 4), *fat) + directory + package
    with open(os.path.join(OUT, "reader_encrypted.xlsx"), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    libreoffice_files()
    excel_layout_file()
    encrypted_file()
