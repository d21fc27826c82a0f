#!/usr/bin/env python3
"""The comma-delimited report read back with Python's csv module gives the item texts.

Runs the native tool tests/tools/csv_report_cells.cpp on URLs and names holding the
characters that CSV readers treat specially, and on random bytes.
"""
import argparse
import csv
import os
import random
import subprocess
import sys
import tempfile
import unittest

ARGS = None

HOSTILE = [
    "plain", "", " lead and trail ", "com,ma", 'quo"te', '"', '""', "line\nbreak", "cr\ronly",
    "crlf\r\nend", ",", "\n", 'a,"b",c', "semi;colon", "tab\there", "\xe9\xff\x80", "=1+1",
]


def report(items):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "r.csv")
        data = b"".join(url.encode("latin-1") + b"\0" + name.encode("latin-1") + b"\0"
                        for url, name in items)
        subprocess.run([ARGS.tool, path], input=data, check=True)
        with open(path, newline="", encoding="latin-1") as f:
            return list(csv.reader(f))


class CsvCells(unittest.TestCase):
    def check(self, items):
        rows = report(items)
        self.assertEqual(len(rows), len(items) + 1)
        self.assertEqual(rows[0][:2], ["URL", "Name"])
        for row, (url, name) in zip(rows[1:], items):
            self.assertEqual(len(row), len(rows[0]))
            self.assertEqual(row[:2], [url, name])

    def test_special_characters(self):
        self.check([(text, HOSTILE[-1 - i]) for i, text in enumerate(HOSTILE)])

    def test_random_bytes(self):
        rng = random.Random(1234)
        alphabet = "".join(chr(c) for c in range(1, 256))
        for _ in range(20):
            items = [("".join(rng.choice(alphabet) for _ in range(rng.randrange(40))),
                      "".join(rng.choice(alphabet) for _ in range(rng.randrange(40))))
                     for _ in range(rng.randrange(1, 6))]
            self.check(items)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
