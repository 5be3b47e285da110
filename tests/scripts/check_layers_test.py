#!/usr/bin/env python3
"""scripts/check-layers run on small temporary source trees: each case is a tree and the
problems (as parts of the printed lines) it must report; no problems means exit code 0."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers")

CASES = [
    ("downward includes pass", {
        "base/a.h": "",
        "script/b.h": '#include "base/a.h"\n',
        "settings/s.h": '#include "recorder/r.h"\n#include "player/p.h"\n',
        "recorder/r.h": '#include "script/b.h"\n',
        "player/p.h": "",
        "ui/w.cpp": '#include "settings/s.h"\n',
        "app/m.cpp": '#include "ui/w.h"\n',
    }, []),
    ("upward include", {"recorder/r.h": '#include "settings/s.h"\n', "settings/s.h": ""},
     ["src/recorder/r.h:1: includes settings/, which does not lie below recorder/"]),
    ("sideways include", {"player/p.cpp": '\n  #  include "recorder/r.h"\n', "recorder/r.h": ""},
     ["src/player/p.cpp:2: includes recorder/"]),
    ("settings below ui", {"settings/s.h": '#include "ui/w.h"\n', "ui/w.h": ""},
     ["src/settings/s.h:1: includes ui/"]),
    ("unknown folder", {"ui/w.h": '#include "gadgets/g.h"\n'}, ["includes unknown folder gadgets/"]),
    ("folder without a layer", {"gadgets/g.h": ""}, ["src/gadgets: a folder without a layer"]),
    ("system includes are not looked at", {"base/a.h": "#include <windows.h>\n#include <vector>\n"}, []),
    ("two files in a circle", {
        "script/a.h": '#include "script/b.h"\n',
        "script/b.h": '#include "script/a.h"\n',
    }, ["src/script: files include each other in a circle: a.h -> b.h -> a.h"]),
    ("three files in a circle through a source", {
        "ui/a.h": '#include "ui/b.h"\n',
        "ui/b.h": '#include "ui/c.h"\n',
        "ui/c.h": '#include "ui/a.h"\n',
        "ui/a.cpp": '#include "ui/a.h"\n',
    }, ["a.h -> b.h -> c.h -> a.h"]),
    ("a file including itself is no circle", {"base/a.h": '#include "base/a.h"\n'}, []),
    ("shared header without a circle", {
        "ui/a.h": '#include "ui/c.h"\n',
        "ui/b.h": '#include "ui/c.h"\n#include "ui/a.h"\n',
        "ui/c.h": "",
    }, []),
    ("same names in two folders are no circle", {
        "script/x.h": '#include "base/x.h"\n',
        "base/x.h": "",
    }, []),
]


class CheckLayersTest(unittest.TestCase):
    def test_cases(self):
        for name, files, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in files.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                        out.write(text)
                run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
                self.assertEqual(run.returncode, 1 if expected else 0, run.stdout)
                lines = run.stdout.splitlines()
                self.assertEqual(len(lines), len(expected), run.stdout)
                for part in expected:
                    self.assertTrue(any(part in line for line in lines), f"{part!r} not in {run.stdout!r}")


if __name__ == "__main__":
    unittest.main()
