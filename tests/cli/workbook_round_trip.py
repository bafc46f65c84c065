# The run sheet as a workbook, filled by programs that are not ours: the moulding example
# designed as runsheet.xlsx and filled with openpyxl, and the same observations saved as an
# .ods (a zip holding content.xml, as LibreOffice saves it), analyse into the same results.json
# as the bundled CSV; text in an observation cell and a first worksheet that is no run sheet
# are refused with the cell's reference and the reason.
# usage: workbook_round_trip.py QVRFCDOE DATA_DIR (it works in a temporary folder)
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

import openpyxl

PROGRAM, DATA = sys.argv[1], Path(sys.argv[2])
OPTIONS = ["--pool", "2=E", "--interaction", "Resin*Melt temperature", "--no-html",
           "--charts", "none"]


def run(*args, status=0):
    done = subprocess.run([PROGRAM, *args], capture_output=True, text=True)
    assert done.returncode == status, (args, done.stdout, done.stderr)
    return done


def results(sheet, out):
    run("analyze", str(sheet), "--out", out, *OPTIONS)
    return json.loads(Path(out, "results.json").read_text())


def filled_rows():
    text = (DATA / "moulding" / "runsheet.csv").read_text(encoding="utf-8-sig")
    return list(csv.reader(io.StringIO(text)))


def fill_workbook(path, rows):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    header = [cell.value for cell in sheet[1]]
    assert header[-1] == "notes" and header[:-1] == rows[0], header
    by_run = {row[0]: row for row in rows[1:]}
    first = next(i for i, name in enumerate(header) if name.startswith("Strength"))
    for line in sheet.iter_rows(min_row=2):
        values = by_run[str(int(line[0].value))]
        assert line[2].fill.fgColor.rgb.endswith("E7E6E6") and line[2].protection.locked
        for column, text in enumerate(values):
            if column >= first and text != "":
                line[column].value = float(text)
    sheet.cell(row=2, column=len(header)).value = "mould cleaned"
    book.save(path)


def ods_bytes(rows, name="Sheet1", tail="", parts=("content.xml",)):
    """The rows as an .ods; the first observation is a formula with its cached value. `tail`
    is put after the rows as it is; of the XML parts only those in `parts` are written."""
    cells = []
    for r, row in enumerate(rows):
        line = []
        for c, text in enumerate(row):
            try:
                value = float(text)
                formula = f' table:formula="of:=[.A1]*0+{text}"' if (r, c) == (1, 10) else ""
                line.append(f'<table:table-cell{formula} office:value-type="float" '
                            f'office:value="{text}"><text:p>{text}</text:p></table:table-cell>')
            except ValueError:
                line.append('<table:table-cell office:value-type="string">'
                            f"<text:p>{text}</text:p></table:table-cell>" if text else
                            "<table:table-cell/>")
        cells.append("<table:table-row>" + "".join(line) + "</table:table-row>")
    content = (
        '<?xml version="1.0" encoding="UTF-8"?>'
        '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
        ' xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"'
        ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
        ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
        f'<office:body><office:spreadsheet><table:table table:name="{name}">'
        + "".join(cells) + tail + "</table:table></office:spreadsheet></office:body>"
        "</office:document-content>")
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w") as archive:
        archive.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        if "content.xml" in parts:
            archive.writestr("content.xml", content, compress_type=zipfile.ZIP_DEFLATED)
        archive.writestr("META-INF/manifest.xml",
                         '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest='
                         '"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry'
                         ' manifest:full-path="/" manifest:media-type="application/vnd.oasis.'
                         'opendocument.spreadsheet"/><manifest:file-entry manifest:full-path='
                         '"content.xml" manifest:media-type="text/xml"/></manifest:manifest>')
    return data.getvalue()


def refused(sheet, reason):
    done = run("analyze", str(sheet), "--no-reports", status=1)
    assert reason in done.stderr and done.stdout == "", (reason, done.stdout, done.stderr)


def main():
    rows = filled_rows()
    experiment = DATA / "moulding" / "experiment.toml"
    csv_results = results(DATA / "moulding" / "runsheet.csv", "csv-out")

    run("design", "--experiment", str(experiment), "--sheet", "xlsx", "--out", "lab")
    names = sorted(p.name for p in Path("lab").iterdir() if not p.name.startswith("."))
    assert names == ["experiment.toml", "runsheet.xlsx"], names
    fill_workbook("lab/runsheet.xlsx", rows)
    assert results("lab/runsheet.xlsx", "xlsx-out") == csv_results
    # A digit changed in a stored part is refused by the part's checksum, not read.
    with zipfile.ZipFile("lab/runsheet.xlsx") as source, \
            zipfile.ZipFile("lab/stored.xlsx", "w") as stored:
        for part in source.infolist():
            stored.writestr(part.filename, source.read(part.filename))
    package = bytearray(Path("lab/stored.xlsx").read_bytes())
    digit = package.index(b"<v>", package.index(b"<sheetData")) + 3
    package[digit] = ord("1") if package[digit] != ord("1") else ord("2")
    Path("lab/stored.xlsx").write_bytes(bytes(package))
    refused("lab/stored.xlsx", "(its part xl/worksheets/sheet1.xml is damaged)")
    # An array formula beside the runs (liborcus asks for its cells through an interface it
    # never checks it was given: the program stopped on a null pointer).
    book = openpyxl.load_workbook("lab/runsheet.xlsx")
    notes = book.worksheets[0].cell(row=3, column=len(rows[0]) + 1).coordinate
    book.worksheets[0].formula_attributes[notes] = {"t": "array", "ref": notes}
    book.worksheets[0][notes] = "=1+1"
    book.save("lab/runsheet.xlsx")
    assert results("lab/runsheet.xlsx", "xlsx-out") == csv_results

    Path("ods").mkdir()
    shutil.copy(experiment, "ods/experiment.toml")
    Path("ods/runsheet.ods").write_bytes(ods_bytes(rows))
    assert results("ods/runsheet.ods", "ods-out") == csv_results

    book = openpyxl.load_workbook("lab/runsheet.xlsx")
    book.worksheets[0]["L3"] = "42,5"
    book.save("lab/runsheet.xlsx")
    refused("lab/runsheet.xlsx", "lab/runsheet.xlsx: Runs!L3 'Strength 2': '42,5' is text, not a number")
    Path("ods/runsheet.ods").write_bytes(ods_bytes([["Notes"], ["none"]], "Cover"))
    refused("ods/runsheet.ods", "the first worksheet 'Cover' is not a run sheet")
    # Found by fuzzing: repeat counts beyond the largest worksheet overwrote earlier rows or
    # ran out of memory inside liborcus; a package without content.xml made it print.
    for tail, reason in [
            ('<table:table-row table:number-rows-repeated="4294967295"><table:table-cell/>'
             "</table:table-row>", "a table repeats rows beyond row 1048576"),
            ('<table:table-row><table:table-cell table:number-columns-repeated="2147483647"/>'
             "</table:table-row>", "a row repeats cells beyond column 16384"),
            ('<table:table-row table:number-rows-repeated="-5"/>',
             "a repeat count is not a whole number from 1")]:
        Path("ods/runsheet.ods").write_bytes(ods_bytes(rows, tail=tail))
        refused("ods/runsheet.ods", reason)
    Path("ods/runsheet.ods").write_bytes(ods_bytes(rows, parts=()))
    refused("ods/runsheet.ods", "ods/runsheet.ods: not a readable .ods workbook (it has no content.xml)")

    # Found by fuzzing: a labelled level that reads as a number ("1.0" beside "low") stays text,
    # and a part that claims gigabytes is refused before anything is unpacked.
    run("design", "--factor", "A=1.0,low", "--response", "Y:larger", "--sheet", "xlsx",
        "--out", "labelled")
    refused("labelled/runsheet.xlsx", "run 1 has no observation of 'Y'")
    package = bytearray(Path("labelled/runsheet.xlsx").read_bytes())
    package[22:26] = (0xFFFFFFF0).to_bytes(4, "little")  # the first local header's size
    Path("labelled/runsheet.xlsx").write_bytes(bytes(package))
    refused("labelled/runsheet.xlsx", "a part would unpack to more than 16 MiB")


with tempfile.TemporaryDirectory() as folder:
    os.chdir(folder)
    main()
