#!/usr/bin/env python3
"""Writes the C++ table of HTML's named character references from Python's own copy of the HTML
standard's list (html.entities.html5), sorted by name for a binary search."""
import html.entities
import sys


def units(text):
    # UTF-16 code units as escapes: each escape is complete, so none runs into the next.
    data = text.encode("utf-16-le")
    return "".join("\\x%04X" % int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2))


def main(out_path):
    rows = sorted(html.entities.html5.items())
    with open(out_path, "w", encoding="ascii") as out:
        out.write("// Made by HtmlEntities.py from Python's html.entities.html5; not edited by hand.\n")
        out.write("constexpr TEntity Entities[] = {\n")
        for name, value in rows:
            out.write('    {"%s", u"%s"},\n' % (name, units(value)))
        out.write("};\n")


if __name__ == "__main__":
    main(sys.argv[1])
