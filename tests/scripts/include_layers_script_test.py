#!/usr/bin/env python3
"""The layer check refuses what the layer table forbids, and only that."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "include_layers.py")


def check(files, *flags):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as out:
                out.write(text)
        run = subprocess.run([sys.executable, SCRIPT, "--root", root, *flags], capture_output=True, text=True)
        return run.returncode, run.stdout


class IncludeLayers(unittest.TestCase):
    def test_upward_include_is_named_with_file_and_line(self):
        code, out = check({"platform/Store.cpp": '#include "platform/Store.h"\n#include "app/TrayApp.h"\n',
                           "platform/Store.h": "", "app/TrayApp.h": ""})
        self.assertEqual(code, 1)
        self.assertIn('platform/Store.cpp:2: platform/ may not include "app/TrayApp.h"', out)

    def test_every_downward_and_declared_edge_passes(self):
        code, out = check({
            "main.cpp": '#include "app/A.h"\n#include "capture/C.h"\n',
            "app/A.h": '#include "banner/B.h"\n#include "editor/E.h"\n',
            "banner/B.h": '#include "editor/ColorPaletteGrid.h"\n#include "editor/SegmentedToolBar.h"\n'
                          '#include "output/O.h"\n',
            "capture/C.h": '#include "output/O.h"\n#include "service/S.h"\n',
            "output/O.h": '#include "service/S.h"\n#include "helpers/H.h"\n',
            "service/S.h": '#include "helpers/X.h"\n#include "platform/P.h"\n',
            "helpers/H.h": '#include "platform/P.h"\n#include "Version.h"\n',
            "server/Main.cpp": '#include "service/Protocol.h"\n',
            "history/W.h": '#include "output/O.h"\n',
            "service/transport/T.cpp": '#include "service/HttpTransport.h"\n#include <QObject>\n',
        })
        self.assertEqual(code, 0, out)

    def test_sideways_and_skipped_layers_fail(self):
        for source, target in [("capture/C.cpp", "editor/EditorCanvas.h"), ("banner/B.cpp", "editor/EditorCanvas.h"),
                               ("helpers/H.cpp", "output/O.h"), ("service/S.cpp", "output/O.h"),
                               ("server/S.cpp", "service/ShareClient.h"), ("editor/E.cpp", "capture/C.h"),
                               ("service/transport/T.cpp", "service/ShareClient.h"), ("service/S.cpp", "history/W.h")]:
            code, out = check({source: f'#include "{target}"\n'})
            self.assertEqual(code, 1, (source, target))
            self.assertIn(f'{source}:1:', out)

    def test_angle_includes_of_project_headers_are_checked(self):
        code, out = check({"platform/P.cpp": "#include <QWidget>\n#include <app/A.h>\n", "app/A.h": ""})
        self.assertEqual(code, 1)
        self.assertIn('platform/P.cpp:2: platform/ may not include "app/A.h"', out)

    def test_cycles_between_units_are_counted(self):
        files = {"helpers/A.h": '#include "helpers/B.h"\n', "helpers/B.h": "",
                 "helpers/B.cpp": '#include "helpers/B.h"\n#include "helpers/A.h"\n'}
        code, out = check(files, "--cycles")
        self.assertEqual(code, 1)
        self.assertIn("units in include cycles: 2", out)
        files["helpers/B.cpp"] = '#include "helpers/B.h"\n'
        code, out = check(files, "--cycles")
        self.assertEqual(code, 0, out)
        self.assertIn("units in include cycles: 0", out)


if __name__ == "__main__":
    unittest.main()
