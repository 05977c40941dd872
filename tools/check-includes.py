#!/usr/bin/env python3
"""Checks that every #include in src/ keeps to the layers: core below everything; serial on
core; the toolkit's fronts on core and on the toolkit's own headers; each toolkit backend on
those and on its own folder; the windows on core, serial and toolkit.h alone, with no
platform header; the program entry on the windows and toolkit.h. Prints every include that
crosses a forbidden boundary and exits non-zero if there is one.
Run from anywhere: tools/check-includes.py [SOURCE-FOLDER]"""

import pathlib
import re
import sys

BACKENDS = ("headless", "wx", "win32")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(relative):
    """The layer a source file belongs to, as a name the rules below know."""
    parts = relative.parts
    if parts[0] == "toolkit" and len(parts) > 2 and parts[1] in BACKENDS:
        return "backend:" + parts[1]
    return parts[0] if len(parts) > 1 else "entry"


def allowed(layer, header, quoted):
    """Whether a file of `layer` may include `header` (quoted or in angle brackets)."""
    if not quoted:
        # Only the windows and the entry must stay off platform and toolkit headers: the
        # C++ standard library's names have neither a slash nor an extension.
        return layer not in ("windows", "entry") or ("/" not in header and "." not in header)
    top = header.split("/")[0]
    if "/" not in header:
        return True  # a header beside the file, in its own folder
    if layer == "core":
        return top == "core"
    if layer == "serial":
        return top in ("core", "serial")
    if layer == "toolkit":
        return top == "core" or header in ("toolkit/toolkit.h", "toolkit/backend.h")
    if layer.startswith("backend:"):
        own = layer.split(":")[1]
        front = header.count("/") == 1 and top == "toolkit"
        return top == "core" or front or header.startswith(f"toolkit/{own}/")
    if layer == "windows":
        return top in ("core", "serial", "windows") or header == "toolkit/toolkit.h"
    if layer == "entry":
        return top == "windows" or header == "toolkit/toolkit.h"
    return False


def main():
    source = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                          pathlib.Path(__file__).resolve().parent.parent / "src")
    crossings = []
    files = sorted(p for p in source.rglob("*") if p.suffix in (".h", ".cpp"))
    for path in files:
        layer = layer_of(path.relative_to(source))
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if match and not allowed(layer, match.group(2), match.group(1) == '"'):
                crossings.append(f"{path}:{number}: {layer} includes {match.group(2)}")
    for crossing in crossings:
        print(crossing)
    if crossings:
        sys.exit(f"{len(crossings)} include(s) across a layer boundary")
    print(f"includes: {len(files)} files keep to their layers")


if __name__ == "__main__":
    main()
