#!/usr/bin/env python3
"""Writes the encoded dictionary fixtures of the XML reader tests.

Run from any folder: python3 make_fixtures.py. The files are checked in;
rerun only after changing the texts below.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent

# Items that every Unicode encoding can carry, one of them outside the BMP,
# and one that spans a CR LF line end.
UNICODE_ITEMS = ["é", "Straße", "Ωμέγα", "😀", "x\r\ny"]
# Items within ISO-8859-1.
LATIN1_ITEMS = ["é", "Straße", "ÿ", "«»", "x\r\ny"]
# Items within windows-1252 that ISO-8859-1 lacks.
CP1252_ITEMS = ["€", "„quoted“", "Œuvre"]


def document(declared, items):
    body = "".join(f"    <i>{item}</i>\r\n" for item in items)
    return (f'<?xml version="1.0" encoding="{declared}"?>\r\n'
            "<dictionary>\r\n"
            "  <linebreak>\r\n"
            f"{body}"
            "  </linebreak>\r\n"
            "</dictionary>\r\n")


def write(name, data):
    (HERE / name).write_bytes(data)


write("utf8.xml", document("UTF-8", UNICODE_ITEMS).encode("utf-8"))
write("utf8_bom.xml",
      b"\xef\xbb\xbf" + document("UTF-8", UNICODE_ITEMS).encode("utf-8"))
write("utf16le_bom.xml",
      b"\xff\xfe" + document("UTF-16", UNICODE_ITEMS).encode("utf-16-le"))
write("utf16be_bom.xml",
      b"\xfe\xff" + document("UTF-16", UNICODE_ITEMS).encode("utf-16-be"))
write("iso8859_1.xml",
      document("ISO-8859-1", LATIN1_ITEMS).encode("iso-8859-1"))
write("windows1252.xml",
      document("windows-1252", CP1252_ITEMS).encode("cp1252"))
