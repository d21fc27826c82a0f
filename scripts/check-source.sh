#!/usr/bin/env bash
# Source rules: the core stays portable, folders include only the layers below them, no
# unbounded string routine is used anywhere, docs/DEVELOPING.md names every folder and fuzz
# target, long functions say why, and every C++ file is formatted.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
status=0

win_headers=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](windows|winbase|windef|winuser|wininet|winsock2?|commctrl|commdlg|shellapi|shlobj|objbase|ole2|tchar|process|io|direct)\.h[">]' src/core || true)
if [ -n "$win_headers" ]; then
  echo "src/core must not include Windows headers:"
  echo "$win_headers"
  status=1
fi

banned=$(grep -rnE '(^|[^A-Za-z0-9_])(sprintf|vsprintf|strcpy|strcat|wsprintf[AW]?|wvsprintf[AW]?|lstrcpy[AW]?|lstrcat[AW]?)[[:space:]]*\(' src || true)
if [ -n "$banned" ]; then
  echo "Unbounded string routines are not allowed under src/ (use snprintf, CopyBounded, std::string):"
  echo "$banned"
  status=1
fi

# Folders are layers: includes run only down the table in scripts/check-layers.py.
if ! layers=$(python3 scripts/check-layers.py src); then
  echo "Includes against the layer table (scripts/check-layers.py):"
  echo "$layers"
  status=1
fi

# The engineers' document keeps up with the tree: every src folder in its layout diagram,
# every fuzz target in its list.
if ! docs=$(python3 scripts/check-docs.py .); then
  echo "docs/DEVELOPING.md is behind the tree (scripts/check-docs.py):"
  echo "$docs"
  status=1
fi

# A function over 60 lines says why in the comment above it.
if ! long=$(python3 scripts/function-lengths.py --limit 60 src); then
  echo "Functions over 60 lines without a comment above saying why they are long:"
  echo "$long"
  status=1
fi

# A checked style is a kept style: every C++ file as .clang-format lays it out.
if command -v clang-format >/dev/null; then
  unformatted=()
  while IFS= read -r file; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
  done < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'fuzz/*.cpp' \
             'bench/*.cpp' 'bench/*.c' 'bench/*.h' 'scripts/*.cpp' 2>/dev/null)
  if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted as .clang-format says (clang-format -i FILE):"
    printf '  %s\n' "${unformatted[@]}"
    status=1
  fi
else
  echo "clang-format is missing: scripts/install-deps.sh installs it"
  status=1
fi

[ $status -eq 0 ] && echo "source rules: ok"
exit $status
