#!/usr/bin/env python3
"""Checks the shape of the code that the compiler does not:

- includes in src/ run one way: app may include production, label, tag, settings, link;
  production may include label, tag and link; label may include tag and link; tag and settings
  may include link; link none of them; common/ none of the six;
- where a file lives decides its library (src/CMakeLists.txt): a ui/ folder is v4400ui, link/port/
  is v4400port, every other file v4400logic. A v4400logic file includes no Qt header but Qt
  Core's and no header of a ui/ or port/ folder; a port/ file no Qt header but Qt Core's and Qt
  SerialPort's, and none of a ui/ folder;
- a name given in an anonymous namespace is given once in src/: the libraries compile several
  files as one, where two such names would meet;
- each of the six stored keys is written as a string literal in exactly one file of src/;
- fuzz/CMakeLists.txt builds on the library and names no file under src/.

Prints every problem; exit status 1 when there is any. Usage: structure.py [project root]
"""
import glob
import os
import re
import subprocess
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
src = os.path.join(root, "src")
MAY_INCLUDE = {
    "app": {"production", "label", "tag", "settings", "link"},
    "production": {"label", "tag", "link"},
    "label": {"tag", "link"},
    "tag": {"link"},
    "settings": {"link"},
    "link": set(),
}
KEYS = ["CommPort", "BaudRate", "Parity", "DataBit", "StopBit", "Handshaking"]
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
qt_include = re.compile(r"^\s*#\s*include\s*<(Q[^>]*)>")
problems = []
key_files = {key: set() for key in KEYS}


def qt_headers():
    """The header names of each Qt module the libraries may use, from the installed Qt."""
    folders = []
    for query in (["qtpaths6", "--query", "QT_INSTALL_HEADERS"],
                  ["qmake6", "-query", "QT_INSTALL_HEADERS"]):
        try:
            folders.append(subprocess.run(query, capture_output=True, text=True,
                                          check=True).stdout.strip())
            break
        except (OSError, subprocess.CalledProcessError):
            pass
    folders += glob.glob("/usr/include/*/qt6") + ["/usr/include/qt6"]
    for folder in folders:
        if os.path.isdir(os.path.join(folder, "QtCore")):
            modules = {}
            for module in ("QtCore", "QtSerialPort"):
                path = os.path.join(folder, module)
                modules[module] = set(os.listdir(path)) if os.path.isdir(path) else set()
                modules[module].add(module)
            return modules
    return None


def library(rel):
    parts = rel.split("/")
    if "ui" in parts[:-1]:
        return "v4400ui"
    if parts[:2] == ["link", "port"]:
        return "v4400port"
    return "v4400logic"


def allowed_qt(header, modules, lib):
    module, _, name = header.partition("/")
    allowed = ["QtCore"] + (["QtSerialPort"] if lib == "v4400port" else [])
    if name:
        return module in allowed
    return any(header in modules[m] for m in allowed)


def code_only(text):
    """The text with comments, string and character literals blanked, lines kept."""
    out = re.sub(r'//[^\n]*|/\*.*?\*/', lambda m: re.sub(r"[^\n]", " ", m.group(0)), text,
                 flags=re.S)
    return re.sub(r'"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'', '""', out)


DECLARED = re.compile(r"^(?:template\s*<[^>]*>\s*)?(?:class|struct|enum(?:\s+class)?|union)\s+"
                      r"([A-Za-z_]\w*)\s*(?:[:{;]|final\b|$)|^(?!return\b|using\b|typedef\b|static_assert\b)"
                      r"[A-Za-z_][\w:<>,\s*&]*?\b([A-Za-z_]\w*)\s*(?:\(|=|\[|;|\{)")


def anonymous_names(text):
    """The names declared at the top of the file's anonymous namespaces."""
    names = []
    depth = 0
    anonymous = []  # depths at which an anonymous namespace is open
    statement = ""
    for line in code_only(text).splitlines():
        stripped = line.strip()
        if anonymous and depth == anonymous[-1] + 1 and stripped and not statement:
            if not stripped.startswith("#"):
                statement = stripped
        elif statement:
            statement += " " + stripped
        if statement and re.search(r"[({=;\[]", statement):
            m = DECLARED.match(statement)
            if m:
                names.append(m.group(1) or m.group(2))
            statement = ""
        if re.match(r"^\s*namespace\s*\{", line):
            anonymous.append(depth)
        for c in line:
            if c == "{":
                depth += 1
            elif c == "}":
                depth -= 1
                if anonymous and depth == anonymous[-1]:
                    anonymous.pop()
    return names


modules = qt_headers()
if modules is None:
    problems.append("the Qt headers were not found (qt6-base-dev): the library rule was not "
                    "checked")
anonymous_seen = {}

for folder, _, files in os.walk(src):
    top = os.path.relpath(folder, src).split(os.sep)[0]
    for name in sorted(files):
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, src).replace(os.sep, "/")
        lib = library(rel)
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for number, line in enumerate(text.splitlines(), 1):
            where = "src/%s:%d" % (rel, number)
            m = include.match(line)
            if m:
                target = m.group(1).split("/")
                if target[0] != top and target[0] in MAY_INCLUDE and (
                        top not in MAY_INCLUDE or target[0] not in MAY_INCLUDE[top]):
                    problems.append("%s: %s/ includes %s/" % (where, top, target[0]))
                if lib != "v4400ui" and "ui" in target[:-1]:
                    problems.append("%s: %s (%s) includes a ui/ header, %s"
                                    % (where, rel, lib, m.group(1)))
                if lib == "v4400logic" and target[:2] == ["link", "port"]:
                    problems.append("%s: %s (v4400logic) includes a port/ header, %s"
                                    % (where, rel, m.group(1)))
            m = qt_include.match(line)
            if m and modules and lib != "v4400ui" and not allowed_qt(m.group(1), modules, lib):
                problems.append("%s: %s (%s) includes <%s>, which is not Qt Core's%s"
                                % (where, rel, lib, m.group(1),
                                   " or Qt SerialPort's" if lib == "v4400port" else ""))
        if name.endswith(".cpp"):
            for declared in anonymous_names(text):
                anonymous_seen.setdefault(declared, []).append(rel)
        # String literals only, comments removed.
        code = re.sub(r"//[^\n]*|/\*.*?\*/", "", text, flags=re.S)
        for key in KEYS:
            if re.search(r'"%s"' % key, code):
                key_files[key].add(rel)

for declared, where in sorted(anonymous_seen.items()):
    if len(where) > 1:
        problems.append('"%s" is given in anonymous namespaces of %s: the unity build would '
                        "put them side by side" % (declared, ", ".join(sorted(where))))

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
