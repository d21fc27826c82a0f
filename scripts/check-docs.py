#!/usr/bin/env python3
"""docs/DEVELOPING.md keeps up with the tree: every folder of src/ appears in its layout
diagram under its own tree, and every fuzz target (the files fuzz/NameFuzz.cpp) is named
in its fuzzing list. Prints what is missing; exit 1 if anything is."""
import os
import re
import sys


def diagram_sections(text):
    """The layout diagram's words for each tree: {"core": set, "win32": set}."""
    lines = text.split("\n")
    start = lines.index("## Layout")
    sections, tree = {}, None
    for line in lines[start + 1:]:
        if line.startswith("## "):
            break
        if not line.startswith("    "):
            continue
        m = re.match(r"\s+src/(\w+)\s", line)
        if m:
            tree = m.group(1)
        if tree is not None:
            # Folder names stand at the start of a column: after the tree or 2+ spaces.
            words = re.findall(r"(?:^|\s{2,}|src/\w+\s+)([a-z0-9]+)\s{2,}", line)
            sections.setdefault(tree, set()).update(words)
    return sections


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(root, "docs/DEVELOPING.md"), encoding="utf-8") as f:
        text = f.read()
    missing = []
    sections = diagram_sections(text)
    for tree in ("core", "win32"):
        folder = os.path.join(root, "src", tree)
        for name in sorted(os.listdir(folder)):
            if os.path.isdir(os.path.join(folder, name)) and name not in sections.get(tree, ()):
                missing.append(f"src/{tree}/{name} is not in the layout diagram")
    fuzzing = text.split("## Fuzzing", 1)[1].split("\n## ", 1)[0] if "## Fuzzing" in text else ""
    for name in sorted(os.listdir(os.path.join(root, "fuzz"))):
        if name.endswith("Fuzz.cpp") and f"`{name[:-4]}`" not in fuzzing:
            missing.append(f"fuzz target {name[:-4]} is not in the fuzzing list")
    for line in missing:
        print(line)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
