#!/usr/bin/env python3
"""Lengths of the functions under src/, longest first.

Usage: function-lengths.py [--top N] [--limit LINES] [ROOT]
  --top N        print the N longest functions (default 10)
  --limit LINES  print only functions longer than LINES that have no comment above them
                 saying why they are long (a comment with the word "long"); exit 1 if any
A function is a body opened at namespace or class level after a parameter list; its
length counts from its first signature line to its closing brace."""
import os
import re
import sys

HEAD_SKIP = re.compile(r"^\s*(namespace|class|struct|enum|union|extern)\b")


def strip_code(text):
    """The text with comments, strings and character literals blanked, newlines kept."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(" " * (j - i))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def functions(path):
    with open(path, encoding="latin-1") as f:
        raw = f.read()
    # Preprocessor lines are no part of a declaration.
    code = re.sub(r"(?m)^[ \t]*#.*$", lambda m: " " * len(m.group(0)), strip_code(raw))
    lines = raw.split("\n")
    stack = []  # kinds of the open blocks: "scope" (namespace, class) or "body"
    head_start = 0  # where the text before the next brace begins
    found = []
    line = 1
    for i, c in enumerate(code):
        if c == "\n":
            line += 1
        elif c in ";":
            if not stack or stack[-1][0] == "scope":
                head_start = i + 1
        elif c == "{":
            head = code[head_start:i]
            if stack and stack[-1][0] != "scope":
                stack.append(("body", None, line))
                continue
            text = head.strip()
            is_function = ("(" in text and ")" in text and not HEAD_SKIP.match(text)
                           and "=" not in text.split("(")[0])
            if is_function:
                name = re.sub(r"\s+", " ", text.split("(")[0]).split(" ")[-1]
                stack.append(("body", name, line - text.count("\n")))
            else:
                stack.append(("scope" if HEAD_SKIP.match(text) or not text else "body", None, line))
            head_start = i + 1
        elif c == "}":
            if stack:
                kind, name, start = stack.pop()
                if name is not None:
                    found.append((line - start + 1, name, start))
            if not stack or stack[-1][0] == "scope":
                head_start = i + 1
    return found, lines


def says_why(lines, start):
    """Whether the comment lines right above the function say why it is long."""
    i = start - 2
    while i >= 0 and lines[i].strip().startswith("//"):
        if re.search(r"\blong\b", lines[i], re.IGNORECASE):
            return True
        i -= 1
    return False


def main():
    args = sys.argv[1:]
    top, limit, root = 10, None, "src"
    while args:
        a = args.pop(0)
        if a == "--top":
            top = int(args.pop(0))
        elif a == "--limit":
            limit = int(args.pop(0))
        else:
            root = a
    results = []
    for directory, _, files in os.walk(root):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                path = os.path.join(directory, name)
                found, lines = functions(path)
                for length, function, start in found:
                    results.append((length, f"{path}:{start}", function, says_why(lines, start)))
    results.sort(key=lambda r: -r[0])
    if limit is None:
        for length, where, function, _ in results[:top]:
            print(f"{length:5d}  {function}  {where}")
        return 0
    bad = [r for r in results if r[0] > limit and not r[3]]
    for length, where, function, _ in bad:
        print(f"{length:5d}  {function}  {where}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
