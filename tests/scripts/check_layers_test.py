#!/usr/bin/env python3
"""The layer check on small trees: it passes a stack whose includes all run
down, and names file, line and edge of every include that runs up or
sideways, or that leaves the listed folders, in the sources, the tools, the
tests and the benchmarks alike."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

CHECK = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers"

# A tree whose includes all run down the stack, beside includes the check
# must leave alone: a folder's own headers, bare names and system headers.
SOUND_TREE = {
    "src/base/pixels.h": "#pragma once\n#include <cstdint>\n",
    "src/math/math.h": '#pragma once\n#include "base/pixels.h"\n',
    "src/model/model.h": '#pragma once\n#include "math/math.h"\n',
    "src/raster/raster.h": '#pragma once\n#include "base/pixels.h"\n',
    "src/engine/scene.h": '#pragma once\n#include "model/model.h"\n#include "raster/raster.h"\n',
    "src/engine/camera.cpp": '#include "engine/scene.h"\n#include "local.h"\n#include <cmath>\n',
    "src/driver/main.cpp": '#include "engine/scene.h"\n#include "fx2d/fx2d.h"\n',
    "tools/vxdump/main.cpp": '#include "engine/scene.h"\n#include "writejpeg.h"\n',
    "tools/vxscan/main.cpp": '#include "driver/driver.h"\n',
    # Tests include their folder's code and helpers, lower folders' test
    # helpers and the shared support, which itself stays low.
    "src/datalib/datalib.h": '#pragma once\n#include "base/pixels.h"\n',
    "tests/support/testlib.cpp": '#include "support/testlib.h"\n#include "datalib/datalib.h"\n',
    "tests/base/pixels_test.cpp": '#include "base/pixels.h"\n#include "support/testlib.h"\n',
    "tests/engine/scene_fixtures.h": '#pragma once\n#include "engine/scene.h"\n',
    "tests/engine/camera_test.cpp": '#include "engine/scene_fixtures.h"\n#include "math/math.h"\n',
    "tests/tools/vxdump_test.cpp": '#include "engine/scene_fixtures.h"\n#include "support/testlib.h"\n',
    "bench/raster_bench.cpp": '#include "raster/raster.h"\n#include "driver/driver.h"\n',
    "web/png_absent.cpp": '#include "engine/scene.h"\n',
}

# name: (files added to the sound tree, the faults expected as
# "FILE:LINE: FROM -> TO" or "FILE:LINE: folder", in file order)
BROKEN_TREES = {
    "include_up_the_stack": (
        {"src/math/vector.cpp": '#include "math/math.h"\n\n#include "platform/console.h"\n'},
        ["src/math/vector.cpp:3: math -> platform"]),
    "include_of_a_peer": (
        {"src/raster/fill.cpp": '#include "fx2d/fx2d.h"\n'},
        ["src/raster/fill.cpp:1: raster -> fx2d"]),
    "header_of_the_lowest_layer_reaching_the_top": (
        {"src/base/frame.h": '#pragma once\n  #  include "driver/driver.h"\n'},
        ["src/base/frame.h:2: base -> driver"]),
    "include_of_a_folder_on_no_layer": (
        {"src/math/matrix.cpp": '#include "nowhere/thing.h"\n'},
        ["src/math/matrix.cpp:1: math -> nowhere"]),
    "source_folder_on_no_layer": (
        {"src/extras/extra.cpp": '#include "base/pixels.h"\n'},
        ["src/extras/extra.cpp:1: folder"]),
    "program_including_a_tool": (
        {"src/driver/main.cpp": '#include "engine/scene.h"\n#include "tools/lib/writejpeg.h"\n'},
        ["src/driver/main.cpp:2: driver -> tools"]),
    "every_fault_of_a_file_is_named": (
        {"src/model/model.h": '#include "engine/scene.h"\n#include "math/math.h"\n'
                              '#include "loader3ds/loader3ds.h"\n'},
        ["src/model/model.h:1: model -> engine", "src/model/model.h:3: model -> loader3ds"]),
    "test_reaching_above_its_folder": (
        {"tests/math/vector_test.cpp": '#include "support/testlib.h"\n#include "engine/scene.h"\n'},
        ["tests/math/vector_test.cpp:2: math -> engine"]),
    "test_helper_of_a_peer": (
        {"tests/fx2d/blur_test.cpp": '#include "raster/raster_fixture.h"\n'},
        ["tests/fx2d/blur_test.cpp:1: fx2d -> raster"]),
    "test_support_reaching_up": (
        {"tests/support/scenes.cpp": '#include "datalib/datalib.h"\n#include "model/model.h"\n'},
        ["tests/support/scenes.cpp:2: support -> model"]),
    "program_including_test_support": (
        {"src/driver/main.cpp": '#include "support/testlib.h"\n'},
        ["src/driver/main.cpp:1: driver -> support"]),
    "benchmark_including_a_tool": (
        {"bench/frame_bench.cpp": '#include "tools/lib/writejpeg.h"\n'},
        ["bench/frame_bench.cpp:1: bench -> tools"]),
    "browser_glue_including_a_benchmark": (
        {"web/main.cpp": '#include "engine/scene.h"\n#include "bench/bench.h"\n'},
        ["web/main.cpp:2: web -> bench"]),
}


def run_check(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = pathlib.Path(root, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        result = subprocess.run([sys.executable, str(CHECK), root], capture_output=True,
                                text=True, check=False)
    return result.returncode, result.stdout.splitlines(), result.stderr


class LayerCheck(unittest.TestCase):
    def test_sound_tree_passes_silently(self):
        code, lines, stderr = run_check(SOUND_TREE)
        self.assertEqual((code, lines, stderr), (0, [], ""))

    def test_broken_trees_fail_naming_each_fault(self):
        for name, (extra, expected) in BROKEN_TREES.items():
            with self.subTest(name):
                code, lines, stderr = run_check({**SOUND_TREE, **extra})
                self.assertEqual(code, 1)
                self.assertEqual(len(lines), len(expected), lines)
                for line, start in zip(lines, expected):
                    self.assertTrue(line.startswith(start + ":") or line.startswith(start + " "),
                                    f"{line!r} should start with {start!r}")
                self.assertIn("break the layer stack", stderr)

    def test_tree_without_sources_is_refused(self):
        code, lines, stderr = run_check({"tools/vxlib/main.cpp": ""})
        self.assertEqual((code, lines), (2, []))
        self.assertIn("has no src folder", stderr)


if __name__ == "__main__":
    unittest.main()
