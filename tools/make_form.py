#!/usr/bin/env python3
"""Writes the window's form description from its template, with the pictures and the
animation embedded as hex, so that the form always holds exactly the generated artwork.

  python3 tools/make_form.py          writes app/u_Wakora.form
  python3 tools/make_form.py --check  exits 1 when the committed form differs

In the template, @{path} is the file's bytes as hex and @{TBitmap:path} is picture data:
the class name's length in one byte, the class name, then the file's bytes. The template
is UTF-8; the form is written in code page 1252.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEMPLATE = os.path.join(ROOT, "app", "u_Wakora.form.in")
OUTPUT = os.path.join(ROOT, "app", "u_Wakora.form")


def hex_block(data, indent):
    rows = [data[i:i + 32].hex().upper() for i in range(0, len(data), 32)]
    pad = " " * (indent + 2)
    return "{\n" + "\n".join(pad + row for row in rows) + "}"


def expand(match, indent):
    source = match.group(1)
    class_name = None
    if ":" in source:
        class_name, source = source.split(":", 1)
    with open(os.path.join(ROOT, source), "rb") as f:
        data = f.read()
    if class_name:
        name = class_name.encode("ascii")
        data = bytes([len(name)]) + name + data
    return hex_block(data, indent)


def render():
    out = []
    with open(TEMPLATE, encoding="utf-8") as f:
        for line in f:
            indent = len(line) - len(line.lstrip(" "))
            out.append(re.sub(r"@\{([^}]+)\}", lambda m: expand(m, indent), line))
    return "".join(out).encode("cp1252")


def main():
    text = render()
    if "--check" in sys.argv:
        with open(OUTPUT, "rb") as f:
            if f.read() != text:
                print("app/u_Wakora.form differs from its template and artwork; "
                      "run python3 tools/make_form.py", file=sys.stderr)
                return 1
        return 0
    with open(OUTPUT, "wb") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
