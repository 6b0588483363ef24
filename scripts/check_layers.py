#!/usr/bin/env python3
"""Checks that dependencies between the source folders run one way only.

Each folder may include its own headers and those of the folders below it; an include that
runs upwards, or a Qt header anywhere but in the Qt front ends, fails the check.
"""
import pathlib
import re
import sys

# Lowest first; folders on one line share a layer and may not include each other.
LAYERS = [
    ["text"],
    ["ports"],
    ["loop"],
    ["form"],
    ["serial"],
    ["params"],
    ["memories", "phonebook", "upload"],
    ["device"],
    ["app"],
    ["qtports"],
    ["app/qt", "cli"],
]
# The simulated unit stands beside the program: it sees only the ports and text helpers.
SIDE = {"sim": {"text", "ports", "loop", "sim"}}
QT_ALLOWED = {"qtports", "app/qt", "cli"}

root = pathlib.Path(__file__).resolve().parent.parent
rank = {}
for i, layer in enumerate(LAYERS):
    for folder in layer:
        rank[folder] = i


def folder_of(path: str) -> str:
    parts = path.split("/")
    if len(parts) > 2 and "/".join(parts[:2]) in rank:
        return "/".join(parts[:2])
    return parts[0]


include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
problems = []
folders = [f for layer in LAYERS for f in layer] + list(SIDE)
for folder in folders:
    base = root / folder
    if not base.is_dir():
        continue
    for source in sorted(base.rglob("*")):
        if source.suffix not in {".h", ".cpp"}:
            continue
        rel = source.relative_to(root).as_posix()
        here = folder_of(rel)
        if here != folder:
            continue  # checked with its own folder (app/qt below app)
        for n, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
            m = include.match(line)
            if not m:
                continue
            kind, target = m.groups()
            if kind == "<":
                if re.match(r"Q[A-Za-z]+(/|$)|qt", target) and here not in QT_ALLOWED:
                    problems.append(f"{rel}:{n}: Qt header <{target}> outside the Qt front ends")
                continue
            there = folder_of(target)
            if there == here:
                continue
            if here in SIDE:
                if there not in SIDE[here]:
                    problems.append(f"{rel}:{n}: {here}/ may not include {target}")
                continue
            if there in SIDE:
                if here not in ("app/qt", "cli", "qtports"):
                    problems.append(f"{rel}:{n}: only the front ends may include {target}")
                continue
            if there not in rank:
                problems.append(f"{rel}:{n}: include of an unknown folder: {target}")
            elif rank[there] >= rank[here]:
                problems.append(f"{rel}:{n}: {here}/ may not include {target} ({there}/ is not below it)")

for p in problems:
    print(p)
print(f"layers: {len(problems)} wrong includes")
sys.exit(1 if problems else 0)
