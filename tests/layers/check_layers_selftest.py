#!/usr/bin/env python3
"""The layer check finds what it must: a tree with one breach of each kind is
reported file by file, and the same tree without them passes."""
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "check_layers.py")


def write(root, rel, text=""):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def run(root):
    r = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
    return r.returncode, r.stdout


def main():
    with tempfile.TemporaryDirectory() as root:
        write(root, "app/commands.h")
        write(root, "core/app_state.h")
        write(root, "controller/zq_library.h")
        write(root, "resources/app_ids.h")
        write(root, "plot/plot_display.h")
        write(root, "core/connection.cpp", '#include "app_state.h"\n#include "../controller/zq_library.h"\n'
                                           '#include "../resources/app_ids.h"\n')
        write(root, "panel/gain_panel.cpp", '#include "../core/app_state.h"\n#include "../plot/plot_display.h"\n')
        write(root, "tests/window/panel_test.cpp", '#include "app/commands.h"\n')
        code, out = run(root)
        if code != 0:
            print("a sound tree was refused:\n" + out)
            return 1
        write(root, "core/settings.cpp", '#include "../plot/plot_display.h"\n')
        write(root, "panel/limits_dialog.cpp", '#include "../app/commands.h"\n')
        write(root, "setup/page.cpp", '#include "app/commands.h"\n')
        write(root, "steptest/step_test.cpp")
        code, out = run(root)
        expected = ["core/settings.cpp:1", "panel/limits_dialog.cpp:1", "setup/page.cpp:1",
                    "steptest/step_test.cpp"]
        missing = [e for e in expected if e not in out]
        if code != 1 or missing:
            print(f"exit {code}, missing {missing}:\n" + out)
            return 1
    print("layer check self-test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
