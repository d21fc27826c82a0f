#!/usr/bin/env python3
"""Folders are layers: a source file may include only its own folder and the folders
its folder's row names. Prints each include that runs against the table; exit 1 if any."""
import os
import re
import sys

# Each folder and the folders below it that it may include (its own is always allowed).
LAYERS = {
    "core/platform": [],
    "core/base": ["core/platform"],
    "core/ini": ["core/platform", "core/base"],
    "core/options": ["core/platform", "core/base"],
    "core/lang": ["core/platform", "core/base", "core/ini"],
    "core/engine": ["core/platform", "core/base", "core/options"],
    "core/list": ["core/platform", "core/base", "core/options", "core/lang", "core/engine"],
    "core/chart": ["core/platform", "core/base", "core/options", "core/lang", "core/engine",
                   "core/list"],
    "core/report": ["core/platform", "core/base", "core/options", "core/lang", "core/engine",
                    "core/list", "core/chart"],
    "core/config": ["core/platform", "core/base", "core/ini", "core/options", "core/engine",
                    "core/list"],
    "core/diag": ["core/platform", "core/base", "core/ini"],
    "core/installer": ["core/platform", "core/base"],
    "core/dialogs": ["core/platform", "core/base", "core/options", "core/lang", "core/report"],
    "core/app": ["core/platform", "core/base", "core/options", "core/lang", "core/engine",
                 "core/list", "core/chart", "core/report", "core/config"],
}
CORE = list(LAYERS)
WIN32 = {
    "win32/platform": [],
    "win32/engine": ["win32/platform"],
    "win32/lang": ["win32/platform"],
    "win32/list": ["win32/platform"],
    "win32/window": ["win32/platform", "win32/lang"],
    "win32/dialogs": ["win32/platform", "win32/lang", "win32/window"],
    "win32/installer": ["win32/platform", "win32/window"],
    "win32/graph": ["win32/platform", "win32/lang", "win32/window"],
    "win32/app": ["win32/platform", "win32/engine", "win32/lang", "win32/list", "win32/window",
                  "win32/dialogs", "win32/installer", "win32/graph"],
}
# The Windows layer sits on the whole core.
for folder, below in WIN32.items():
    LAYERS[folder] = below + CORE

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(path):
    parts = path.split("/")
    return "/".join(parts[:2]) if len(parts) > 2 else None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "src"
    bad = []
    for tree in ("core", "win32"):
        for directory, _, files in os.walk(os.path.join(root, tree)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(directory, name)
                own = folder_of(os.path.relpath(path, root))
                if own not in LAYERS:
                    bad.append(f"{path}: folder {own} is not in the layer table")
                    continue
                with open(path, encoding="latin-1") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = folder_of(m.group(1))
                        if target is None or target == own or target in LAYERS[own]:
                            if target is None and "/" in m.group(1):
                                bad.append(f"{path}:{number}: {line.strip()}  (name the tree)")
                            continue
                        bad.append(f"{path}:{number}: {line.strip()}  ({own} may not include {target})")
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
