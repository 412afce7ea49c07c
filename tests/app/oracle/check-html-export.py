"""Parses the program's HTML exports with html5lib and compares the table cells and the encoding the
parser found with what the program says it wrote. Usage: check-html-export.py <folder>"""
import json
import os
import sys

import html5lib


def cells(path):
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"), namespaceHTMLElements=False)
    with open(path, "rb") as f:
        document = parser.parse(f)
    rows = [["".join(td.itertext()) for td in tr.findall("td")] for tr in document.iter("tr")]
    return rows, parser.documentEncoding, document.find(".//script") is not None


def main(folder):
    with open(os.path.join(folder, "cells.json"), encoding="utf-8") as f:
        expected = json.load(f)
    failures = 0
    for name, want in expected.items():
        rows, encoding, script = cells(os.path.join(folder, name))
        problems = []
        if rows != want["rows"]:
            problems.append("cells %r, expected %r" % (rows, want["rows"]))
        if encoding != want["encoding"]:
            problems.append("read as %s, expected %s" % (encoding, want["encoding"]))
        if script:
            problems.append("a tag's text became a script element")
        for p in problems:
            print("%s: %s" % (name, p))
        failures += len(problems)
        if not problems:
            print("%s: %d rows as %s" % (name, len(rows), encoding))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
