#!/usr/bin/env python3
"""Writes the data set (assets/ and world/) and the world notes (docs/world.md) from the
readable sources under tools/data.

    tools/gen_data.py                 regenerate assets/ and world/ in the repository
    tools/gen_data.py --out DIR       write the set under DIR instead
    tools/gen_data.py --check         regenerate into a temporary folder and compare
                                      byte for byte with the committed files

Each module of tools/datagen that has a generate(root) function contributes its files;
they run in the order below, and a module that does not exist yet is skipped.
"""

import argparse
import filecmp
import importlib
import pathlib
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parent
sys.path.insert(0, str(HERE))

MODULES = ["palettes", "art", "sprites", "ui", "sounds", "tiles", "world", "music", "docs"]


def generate(root):
    for name in MODULES:
        try:
            module = importlib.import_module("datagen." + name)
        except ModuleNotFoundError as error:
            if error.name == "datagen." + name:
                continue
            raise
        module.generate(pathlib.Path(root))


def listing(root):
    files = set()
    for folder in ("assets", "world", "docs"):
        base = pathlib.Path(root) / folder
        if base.exists():
            files |= {p.relative_to(root).as_posix() for p in base.rglob("*") if p.is_file()}
    return files


def check():
    with tempfile.TemporaryDirectory() as tmp:
        generate(tmp)
        fresh, committed = listing(tmp), listing(REPO)
        problems = [f"only generated: {n}" for n in sorted(fresh - committed)]
        problems += [f"only committed: {n}" for n in sorted(committed - fresh)]
        problems += [f"differs: {n}" for n in sorted(fresh & committed)
                     if not filecmp.cmp(pathlib.Path(tmp) / n, REPO / n, shallow=False)]
    for line in problems:
        print(line)
    if problems:
        print("the committed data set is not what tools/gen_data.py writes; run it and commit")
        return 1
    print(f"{len(fresh)} files reproduced byte for byte")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", type=pathlib.Path, default=REPO)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    if args.check:
        return check()
    generate(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
