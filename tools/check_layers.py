#!/usr/bin/env python3
"""Checks the one-way layers of the program's folders over its #include lines.

  app/        the shell: may include everything
  features    may include core/, controller/, libs/, resources/ and other features
  core/       may include only core/, controller/, libs/ and resources/ (id headers)
  controller/ may include only controller/ and libs/

Nothing outside app/, tests/ and bench/ includes a header from app/, and no file
outside tests/ is named like a test program (*_test.*). Prints every breach with
its file and line and exits 1 when there is one.

  check_layers.py [SOURCE_ROOT]
"""
import os
import re
import sys

FEATURES = {"panel", "plot", "steptest", "setup", "files", "print",
            "analysis", "history", "autotune", "help"}
BOTTOM = {"controller", "libs", "resources"}
ALLOWED = {
    "core": {"core"} | BOTTOM,
    "controller": {"controller", "libs"},
}
SKIP_TOP = {".git", "tests", "bench", "build", "docs", "tools", "cmake"}
SOURCE_EXT = (".cpp", ".h", ".inc", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(root, path):
    rel = os.path.relpath(path, root).replace(os.sep, "/")
    return rel.split("/", 1)[0]


def check(root):
    breaches = []
    for top in sorted(os.listdir(root)):
        base = os.path.join(root, top)
        if not os.path.isdir(base) or top.startswith("build") or top in SKIP_TOP - {"tests", "bench"}:
            continue
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = sorted(d for d in dirnames if d != ".git")
            for name in sorted(filenames):
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                if top != "tests" and re.search(r"_test\.[^/]*$", name):
                    breaches.append(f"{rel}: named like a test program but outside tests/")
                if top in ("tests", "bench") or not name.endswith(SOURCE_EXT):
                    continue
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = os.path.normpath(os.path.join(dirpath, m.group(1)))
                        if not os.path.exists(target):  # found through the root include folder
                            target = os.path.normpath(os.path.join(root, m.group(1)))
                        if not target.startswith(os.path.abspath(root) + os.sep):
                            continue
                        used = folder_of(root, target)
                        if used == top:
                            continue
                        if used == "app":
                            breaches.append(f"{rel}:{number}: includes the shell's {m.group(1)}")
                        elif top in ALLOWED and used not in ALLOWED[top]:
                            breaches.append(f"{rel}:{number}: {top}/ may not include {m.group(1)}")
    return breaches


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    breaches = check(root)
    for b in breaches:
        print(b)
    if breaches:
        print(f"{len(breaches)} layer breach(es)")
        return 1
    print("layers: no breach")
    return 0


if __name__ == "__main__":
    sys.exit(main())
