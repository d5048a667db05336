#!/usr/bin/env python3
"""Checks that every file of src/ includes only what its module builds on.

The table is src/modules.txt (the build links by the same table): a module may
include its own headers, those of the modules on its line and, through them, of
everything they build on; of the outside libraries only those on its own line.
The README's layout section carries the same table, line for line.

usage: check_layers.py [--root DIR] [--plant MODULE:HEADER]
  --plant  pretends that a file of MODULE includes HEADER, to show the check
           refusing it (the test of the check itself)
Prints one line per wrong include and exits 1 when there is any.
"""

import argparse
import pathlib
import re
import sys

LIBRARIES = {
    "json": re.compile(r"nlohmann/"),
    "png": re.compile(r"lodepng\.h$"),
    "sdl": re.compile(r"SDL[A-Za-z0-9_]*\.h$"),
    "adplug": re.compile(r"adplug/"),
    "posix": re.compile(r"(unistd|fcntl)\.h$|sys/"),
}
# The C++ standard library: names without a dot or a slash.
STANDARD = re.compile(r"^[a-z_]+$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def read_table(path):
    table = {}
    for line in path.read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        module, *words = line.split()
        table[module] = words
    return table


def closure(table, module):
    """The modules a module may include: its own and all it builds on."""
    seen, todo = {module}, [module]
    while todo:
        for word in table[todo.pop()]:
            if word in table and word not in seen:
                seen.add(word)
                todo.append(word)
    return seen


def module_of(table, relative):
    """The module a path under src/ belongs to: its longest folder in the table."""
    best = None
    for module in table:
        if relative == module or relative.startswith(module + "/"):
            if best is None or len(module) > len(best):
                best = module
    return best


def wrong_include(table, module, folder, kind, header, src):
    if kind == '"':
        target = module_of(table, header)
        if target is None:
            # A header beside the file, named without its folder.
            if (src / folder / header).is_file() and module_of(table, folder) == module:
                return None
            return "includes %s, which is no module's header" % header
        if target not in closure(table, module):
            return "includes %s of %s, which %s does not build on" % (header, target, module)
        return None
    for library, pattern in LIBRARIES.items():
        if pattern.search(header):
            if library in table[module]:
                return None
            return "includes <%s> of %s, which %s does not use" % (header, library, module)
    if STANDARD.match(header):
        return None
    return "includes <%s>, which is no known library's header" % header


def readme_lines(readme):
    """The table as the README's layout section shows it, between its markers."""
    text = readme.read_text()
    match = re.search(r"<!-- modules.txt -->\n(.*?)<!-- /modules.txt -->", text, re.S)
    if not match:
        return None
    return [line.strip() for line in match.group(1).splitlines() if line.strip() and not line.strip().startswith("```")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent, type=pathlib.Path)
    parser.add_argument("--plant", action="append", default=[])
    args = parser.parse_args()
    src = args.root / "src"
    table = read_table(src / "modules.txt")
    faults = []
    for word in (w for words in table.values() for w in words):
        if word not in table and word not in LIBRARIES:
            faults.append("src/modules.txt: %s is neither a module nor a library" % word)

    files = []
    for path in sorted(src.rglob("*")):
        if path.suffix in (".h", ".cpp"):
            relative = path.relative_to(src).as_posix()
            files.append((relative, path.read_text(errors="replace")))
    for plant in args.plant:
        module, header = plant.split(":", 1)
        files.append((module + "/planted.cpp", '#include "%s"\n' % header))

    for relative, text in files:
        folder = relative.rsplit("/", 1)[0] if "/" in relative else ""
        module = module_of(table, folder)
        if module is None:
            faults.append("src/%s: in no module of src/modules.txt" % relative)
            continue
        for match in INCLUDE.finditer(text):
            fault = wrong_include(table, module, folder, match.group(1), match.group(2), src)
            if fault:
                line = text.count("\n", 0, match.start()) + 1
                faults.append("src/%s:%d: %s" % (relative, line, fault))

    shown = readme_lines(args.root / "README.md")
    wanted = [" ".join(line.split()) for line in (src / "modules.txt").read_text().splitlines()
              if line and not line.startswith("#")]
    if shown is None or [" ".join(line.split()) for line in shown] != wanted:
        faults.append("README.md: the layout section's table differs from src/modules.txt")

    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("layers: %d files include only what their modules build on" % len(files))
    return 0


if __name__ == "__main__":
    sys.exit(main())
