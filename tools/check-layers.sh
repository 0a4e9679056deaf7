#!/usr/bin/env bash
# Checks the house's layering from the includes. The folders stand in layers, lowest
# first; a file may include headers of its own folder and of the folders below it, never
# of one above. And no two units (a header and its source, by base name) include each
# other, however roundabout: every include graph is free of cycles.
# Prints each offending include or cycle; exits 1 when there is one.
# Usage: tools/check-layers.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
exec python3 - <<'PY'
import os, re, sys

# Lowest first. Folders on one line stand side by side and may not include each other.
LAYERS = [
    ["catalogue", "qtsupport"],
    ["resources/synth", "audio"],
    ["soundscape"],
    ["persist"],
    ["shell", "desktop"],
    ["app"],
    ["tools"],
]
level = {folder: i for i, row in enumerate(LAYERS) for folder in row}

def folder_of(path):
    for folder in sorted(level, key=len, reverse=True):
        if path == folder or path.startswith(folder + "/"):
            return folder
    return None

files = {}  # path -> folder
for folder in level:
    for dirpath, _, names in os.walk(folder):
        for name in names:
            if name.endswith((".h", ".cpp")):
                files[os.path.join(dirpath, name)] = folder

# A header is found by its name: within the including file's folder first, then anywhere.
by_name = {}
for path in files:
    by_name.setdefault(os.path.basename(path), []).append(path)

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
bad = []
edges = {}  # unit -> units it includes; a unit is a path without its extension
for path, folder in sorted(files.items()):
    unit = os.path.splitext(path)[0]
    edges.setdefault(unit, set())
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for m in include.finditer(text):
        name = m.group(1)
        line = text.count("\n", 0, m.start()) + 1
        near = os.path.normpath(os.path.join(os.path.dirname(path), name))
        if near in files:
            target = near
        else:
            found = [p for p in by_name.get(os.path.basename(name), []) if p.endswith(name)]
            if not found:
                continue  # generated or outside the layered folders
            same = [p for p in found if files[p] == folder]
            target = (same or found)[0]
        to = files[target]
        if to != folder and level[to] >= level[folder]:
            where = "above" if level[to] > level[folder] else "beside"
            bad.append(f"{path}:{line} includes {target}, a header of {to}/, {where} {folder}/")
        target_unit = os.path.splitext(target)[0]
        if target_unit != unit:
            edges[unit].add(target_unit)

# Cycles between units: depth-first search, reporting each cycle once.
state, stack, seen = {}, [], set()
def visit(u):
    state[u] = 1
    stack.append(u)
    for v in sorted(edges.get(u, ())):
        if state.get(v) == 1:
            cycle = stack[stack.index(v):] + [v]
            key = frozenset(cycle)
            if key not in seen:
                seen.add(key)
                bad.append("include cycle: " + " -> ".join(cycle))
        elif state.get(v) is None:
            visit(v)
    stack.pop()
    state[u] = 2
sys.setrecursionlimit(10000)
for u in sorted(edges):
    if state.get(u) is None:
        visit(u)

for line in bad:
    print(line)
if bad:
    sys.exit(1)
print("layers: " + " < ".join(" | ".join(row) for row in LAYERS) +
      "; no upward include, no include cycle")
PY
