"""Helpers shared by the data generators."""

import json
import pathlib


def write_bytes(root, relative, data):
    path = pathlib.Path(root) / relative
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def write_json(root, relative, value, indent=1):
    text = json.dumps(value, indent=indent, ensure_ascii=True) + "\n"
    write_bytes(root, relative, text.encode("ascii"))
