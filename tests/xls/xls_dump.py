#!/usr/bin/python3
"""Reads spreadsheet files back with independent readers for the tests.

  xls_dump.py cells FILE   every sheet and cell as read by xlrd
  xls_dump.py ole FILE     the streams of a compound document as olefile sees them
  xls_dump.py formats FILE the number formats 50 and above
Output is UTF-8, one item per line; a reader's failure ends with exit code 1.
"""
import sys


def cells(path):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=path.endswith("fmt.xls"))
    print("biff %d" % book.biff_version)
    for sheet in book.sheets():
        print("sheet %s %d %d" % (sheet.name, sheet.nrows, sheet.ncols))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_NUMBER:
                    print("cell %d %d n %r" % (r, c, cell.value))
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    print("cell %d %d s %s" % (r, c, cell.value))
                if book.formatting_info and cell.ctype != xlrd.XL_CELL_EMPTY:
                    xf = book.xf_list[cell.xf_index]
                    font = book.font_list[xf.font_index]
                    print("  format %r font %s %d weight %d italic %d color %d" % (
                        book.format_map[xf.format_key].format_str, font.name,
                        font.height, font.weight, font.italic, font.colour_index))


def formats(path):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    for key in sorted(k for k in book.format_map if k >= 50 and book.format_map[k].format_str):
        print("format %d %s" % (key, book.format_map[key].format_str))


def ole(path):
    import olefile
    if not olefile.isOleFile(path):
        raise SystemExit("not a compound document")
    # Any defect olefile can tell counts as a failure.
    doc = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_POTENTIAL)
    for entry in doc.listdir(streams=True, storages=True):
        name = "/".join(entry)
        data = doc.openstream(entry).read()
        print("stream %s %d %d" % (name, doc.get_size(name), sum(data) & 0xFFFFFFFF))
    doc.close()


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    {"cells": cells, "ole": ole, "formats": formats}[sys.argv[1]](sys.argv[2])
