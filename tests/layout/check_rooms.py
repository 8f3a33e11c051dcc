#!/usr/bin/env python3
"""Checks that includes between the tree's rooms point one way, down.

Each room may include itself and the rooms listed below it; tests sit
beside the code but link the whole tree, so files named *_test.* are left
out. The portable rooms never see the Windows headers.

  check_rooms.py SOURCE_DIR
"""
import pathlib
import re
import sys

# room -> the rooms it may include (besides itself)
BELOW = {
    "text": set(),
    "base": set(),
    "dictionary": {"base", "text"},
    "analysis": {"dictionary", "base", "text"},
    "grading": {"analysis", "dictionary", "base", "text"},
    "output": {"grading", "analysis", "dictionary", "base", "text"},
    "engine": {"output", "grading", "analysis", "dictionary", "base", "text"},
}
PORTABLE = set(BELOW)
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)
SOURCE = {".h", ".cpp", ".c"}


def violations(root):
    found = []
    for room, allowed in BELOW.items():
        for path in sorted((root / room).rglob("*")):
            if path.suffix not in SOURCE or "_test" in path.stem:
                continue
            for header in INCLUDE.findall(path.read_text(encoding="utf-8")):
                top = header.split("/", 1)[0]
                if "/" in header and top in PORTABLE and top != room and top not in allowed:
                    found.append(f"{path.relative_to(root)}: includes {header}, a room above")
                if header.lower() in ("windows.h", "objbase.h", "oleauto.h"):
                    found.append(f"{path.relative_to(root)}: includes <{header}>")
    return found


def main():
    root = pathlib.Path(sys.argv[1])
    found = violations(root)
    for line in found:
        print(line)
    failed = {line.split("/", 1)[0] for line in found}
    print(f"{len(BELOW) - len(failed)} passed, {len(failed)} failed")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
