#!/usr/bin/env python3
"""Checks the shape of the code that the compiler does not:

- includes in src/ run one way: app may include label, tag, settings, link; label may include
  tag and link; tag and settings may include link; link none of them; common/ none of the five;
- each of the six stored keys is written as a string literal in exactly one file of src/;
- fuzz/CMakeLists.txt builds on the library and names no file under src/.

Prints every problem; exit status 1 when there is any. Usage: structure.py [project root]
"""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
src = os.path.join(root, "src")
MAY_INCLUDE = {
    "app": {"label", "tag", "settings", "link"},
    "label": {"tag", "link"},
    "tag": {"link"},
    "settings": {"link"},
    "link": set(),
}
KEYS = ["CommPort", "BaudRate", "Parity", "DataBit", "StopBit", "Handshaking"]
include = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]+"')
problems = []
key_files = {key: set() for key in KEYS}

for folder, _, files in os.walk(src):
    top = os.path.relpath(folder, src).split(os.sep)[0]
    for name in sorted(files):
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, root)
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for number, line in enumerate(text.splitlines(), 1):
            m = include.match(line)
            if m and m.group(1) != top and m.group(1) in MAY_INCLUDE:
                if top not in MAY_INCLUDE or m.group(1) not in MAY_INCLUDE[top]:
                    problems.append("%s:%d: %s/ includes %s/" % (rel, number, top, m.group(1)))
        # String literals only, comments removed.
        code = re.sub(r"//[^\n]*|/\*.*?\*/", "", text, flags=re.S)
        for key in KEYS:
            if re.search(r'"%s"' % key, code):
                key_files[key].add(rel)

for key, where in key_files.items():
    if len(where) != 1:
        problems.append('the key "%s" is written in %d files of src/: %s'
                        % (key, len(where), ", ".join(sorted(where)) or "none"))

with open(os.path.join(root, "fuzz", "CMakeLists.txt"), encoding="utf-8") as f:
    for number, line in enumerate(f, 1):
        if re.search(r"\bsrc/", line.split("#")[0]):
            problems.append("fuzz/CMakeLists.txt:%d names a file under src/" % number)

for p in problems:
    print(p)
print("structure: %s" % ("%d problems" % len(problems) if problems else "fine"))
sys.exit(1 if problems else 0)
