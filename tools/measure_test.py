#!/usr/bin/env python3
"""The parts of tools/measure.py that need no X server and no sound server:
options, medians, the table and the figures read from /proc and the saver's log."""

import contextlib
import io
import os
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ beside the tools
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import measure  # noqa: E402


class MedianTest(unittest.TestCase):
    def test_median(self):
        rows = [
            ("one figure comes back as it was written", ["1.10"], "1.10"),
            ("odd count: the middle one by value, not by text", ["10.5", "9.25", "100.0"], "10.5"),
            ("even count: the mean of the middle two, 2 places", ["27.3", "26.6", "28.8", "27.4"], "27.35"),
            ("no figure is left out", ["-", "59.8", "-"], "59.8"),
            ("only no figures", ["-", "-"], "-"),
            ("no runs", [], "-"),
        ]
        for name, values, expected in rows:
            with self.subTest(name):
                self.assertEqual(measure.median(values), expected)


class TableTest(unittest.TestCase):
    def test_row_puts_the_x_server_second_and_takes_medians(self):
        runs = [("1.10", "27.3", "59.8", "59.7", "0.80", "112"),
                ("1.30", "27.5", "59.6", "59.5", "1.00", "118"),
                ("1.20", "27.4", "59.7", "59.6", "0.90", "109")]
        self.assertEqual(measure.table_row("`gyrobloom /s` 1920x1080, music", runs),
                         "| `gyrobloom /s` 1920x1080, music | 1.20 | 0.90 | 27.4 | 112 | 59.7 | 59.6 |")

    def test_row_of_a_program_without_counts(self):
        runs = [("0.95", "4.7", "-", "-", "1.20", "61"), ("1.05", "4.9", "-", "-", "1.40", "65")]
        self.assertEqual(measure.table_row("qix", runs), "| qix | 1.00 | 1.30 | 4.80 | 63.00 | - | - |")

    def test_row_without_runs(self):
        self.assertEqual(measure.table_row("cava", []), "| cava | - | - | - | - | - | - |")

    def test_table_heads_the_rows(self):
        self.assertEqual(measure.table(["| a | 1 | 2 | 3 | 4 | 5 | 6 |"]).splitlines(), [
            "| program | CPU % of one core | X server's (compositor's) CPU % | peak resident MB | wake-ups/s "
            "| steps/s | frames/s |",
            "|---|---|---|---|---|---|---|",
            "| a | 1 | 2 | 3 | 4 | 5 | 6 |"])

    def test_the_wayland_runs_line_becomes_a_run(self):
        rows = [
            ("a whole line", "lit 12\ncpu=1.25 compositor=0.40 mb=48.8 wakeups=131 steps=60.1 frames=59.9\n",
             ("1.25", "48.8", "60.1", "59.9", "0.40", "131")),
            ("a saver that printed no counts", "cpu=1.25 compositor=0.40 mb=48.8 wakeups=131 steps=- frames=-",
             ("1.25", "48.8", "-", "-", "0.40", "131")),
            ("no line: the scene failed", "FAIL: sway starts\n", ("-",) * 6),
        ]
        for name, text, expected in rows:
            with self.subTest(name):
                self.assertEqual(measure.cost_line(text), expected)

    def test_wake_ups_sum_both_kinds_over_the_threads(self):
        statuses = ["Name:\tgyrobloom\nvoluntary_ctxt_switches:\t120\nnonvoluntary_ctxt_switches:\t3\n",
                    "Name:\tgyrobloom-pulse\nvoluntary_ctxt_switches:\t50\nnonvoluntary_ctxt_switches:\t0\n"]
        self.assertEqual(measure.context_switches(statuses), 173)
        self.assertEqual(measure.context_switches([]), 0)

    def test_latency_line(self):
        runs = [{"first_frame_ms": "69", "key_exit_ms": "7", "term_exit_ms": "50", "onset_ms": "-"},
                {"first_frame_ms": "71", "key_exit_ms": "9", "term_exit_ms": "52", "onset_ms": "40"}]
        self.assertEqual(measure.latency_line(runs),
                         "At 1920x1080: start to first frame 70.00 ms, key to exit 8.00 ms, SIGTERM to exit "
                         "51.00 ms, sound onset to the first lit pixel 40 ms.")


class FiguresTest(unittest.TestCase):
    def test_steps_and_frames(self):
        rows = [
            ("the saver's count", "Qt says hello\ngyrobloom: 1196 steps, 1190 frames in 20.000 s\n",
             ("59.8", "59.5")),
            ("no count: the saver was killed", "gyrobloom: cannot open the sound server\n", ("-", "-")),
            ("empty log", "", ("-", "-")),
        ]
        for name, log, expected in rows:
            with self.subTest(name):
                self.assertEqual(measure.steps_and_frames(log), expected)

    def test_cpu_ticks_are_user_plus_system(self):
        rows = [
            ("plain name", "4242 (gyrobloom) S 1 4242 4242 0 -1 4194560 1 0 0 0 120 35 0 0 20 0 9 0 1 2 3", 155),
            ("name with spaces and brackets", "77 (Web (Content) x) R 1 77 77 0 -1 0 0 0 0 0 7 3 1 1 20", 10),
        ]
        for name, stat, expected in rows:
            with self.subTest(name):
                self.assertEqual(measure.cpu_ticks(stat), expected)

    def test_percent_of_one_core(self):
        self.assertEqual(measure.percent(44, 100, 20.0), "2.20")
        self.assertEqual(measure.percent(0, 100, 20.0), "0.00")

    def test_ms(self):
        self.assertEqual(measure.ms(10.0, 10.0694), "69")
        self.assertEqual(measure.ms(10.0, None), "-")
        self.assertEqual(measure.ms(None, 3.0), "-")


class OptionsTest(unittest.TestCase):
    def test_options(self):
        rows = [
            ("defaults", [], dict(runs=3, seconds=20, program="build/release/gyrobloom", hack=None, peers=True,
                                  only=["latency", "1080", "1080-silent", "2160", "4320", "heavy", "cava", "qix",
                                        "hack", "xorg-1080", "xorg-2x1080", "wayland-1080", "wayland-1080-scale2"])),
            ("all given", ["-n", "1", "-s", "5", "-p", "/opt/gyrobloom", "--hack", "/opt/hack", "--no-peers",
                           "--only", "qix,hack"],
             dict(runs=1, seconds=5, program="/opt/gyrobloom", hack="/opt/hack", peers=False, only=["qix", "hack"])),
            ("empty names in the row list", ["--only", ",1080,,"], dict(only=["1080"])),
        ]
        for name, argv, expected in rows:
            with self.subTest(name):
                options = vars(measure.parse_options(argv))
                self.assertEqual({key: options[key] for key in expected}, expected)

    def test_unknown_argument_ends_with_2(self):
        for argv in (["--bogus"], ["-n", "three"], ["-s"]):
            with self.subTest(" ".join(argv)), contextlib.redirect_stderr(io.StringIO()):
                with self.assertRaises(SystemExit) as ended:
                    measure.parse_options(argv)
                self.assertEqual(ended.exception.code, 2)

    def test_help_lists_every_row(self):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            self.assertEqual(measure.main(["--help"]), 0)
        self.assertIn("--only ROWS", out.getvalue())
        # The list may be wrapped across lines.
        self.assertIn(",".join(measure.ROW_KEYS), "".join(out.getvalue().split()))
        self.assertEqual(set(measure.ROW_KEYS), {"latency"} | {row.key for row in measure.ROWS})


if __name__ == "__main__":
    unittest.main()
