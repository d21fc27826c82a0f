#!/usr/bin/env python3
"""Watching links end to end under Wine: /everyseconds runs on a schedule, alerts judged
on a prepared history (exit 12 under /strict, the JSON entry, the Prometheus gauge), number
keys that are not plain decimal numbers, and a read-only history.

Runs like e2e_test.py (same arguments, same servers).
"""
import json
import os
import shutil
import stat
import subprocess

import e2e_support as e2e
import monitor_test as monitor

HISTORY_NOT_WRITTEN, ALERT_FIRING = 5, 12


def history_line(url, start, speed, status="finished", name="watched"):
    item = {"url": url, "name": name, "status": status, "average_bytes_per_s": speed,
            "below_min_speed": False}
    return json.dumps({"format_version": 1, "run_start": start, "items": [item]}) + "\n"


class Watching(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.http = os.environ["VM_HTTP_URL"]

    def test_runs_on_a_schedule_replace_the_report_and_add_to_the_history(self):
        app = e2e.App("watch-runs")
        app.write_config([(f"{self.http}/200k.bin", "small")], {"UseAutoStopTime": 0})
        code, took = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/history",
                             "h.jsonl", "/everyseconds", "3", "/runs", "3")
        self.assertEqual(code, 0)
        self.assertGreaterEqual(took, 6)  # three starts, three seconds apart
        with open(os.path.join(app.dir, "h.jsonl"), encoding="utf-8") as f:
            runs = [json.loads(line) for line in f]
        self.assertEqual(len(runs), 3)
        starts = [r["run_start"] for r in runs]
        self.assertEqual(len(set(starts)), 3)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            report = json.load(f)
        self.assertEqual(report["run_start"], starts[-1])  # the last run's, replaced whole
        self.assertEqual(sorted(os.listdir(app.dir)),
                         ["h.jsonl", "r.json", "velocimark.cfg", "velocimark.exe"])
        # The exit code is the last run's: a failing list under /strict.
        app = e2e.App("watch-failing")
        app.write_config([(f"{self.http}/missing.bin", "missing")])
        code, _ = app.run("/config", "velocimark.cfg", "/sprom", "m.prom", "/strict",
                          "/everyseconds", "1", "/runs", "2")
        self.assertEqual(code, 10)
        self.assertTrue(os.path.exists(os.path.join(app.dir, "velocimark_history.jsonl")))

    def test_an_alert_from_a_prepared_history(self):
        url = f"{self.http}/1m.bin"
        app = e2e.App("watch-alert")
        app.write_config([(url, "watched")])
        # Eleven runs far faster than loopback: this run halves the recent median.
        with open(os.path.join(app.dir, "h.jsonl"), "w") as f:
            for day in range(1, 12):
                f.write(history_line(url, f"2026-11-{day:02d}T10:00:00.000Z", 1e13))
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/sprom", "m.prom",
                          "/history", "h.jsonl", "/strict", "/hidden")
        self.assertEqual(code, ALERT_FIRING)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            doc = json.load(f)
        self.assertEqual(len(doc["alerts"]), 1)
        alert = doc["alerts"][0]
        self.assertEqual((alert["url"], alert["name"], alert["rule"], alert["state"]),
                         (url, "watched", "drop", "firing"))
        self.assertEqual(alert["baseline"], 1e13)
        self.assertRegex(doc["items"][0]["status_text"], r"^Finished \(speed down \d+%\)$")
        text = app.read("m.prom", "utf-8")
        promtool = shutil.which("promtool")
        if promtool:
            proc = subprocess.run([promtool, "check", "metrics"], input=text.encode("utf-8"),
                                  capture_output=True, timeout=60)
            self.assertEqual((proc.returncode, proc.stdout + proc.stderr), (0, b""))
        samples = monitor.parse_metrics(text)
        self.assertEqual(monitor.value(samples, "velocimark_alert", url=url, rule="drop"), 1)
        with open(os.path.join(app.dir, "h.jsonl"), encoding="utf-8") as f:
            self.assertEqual(len(f.readlines()), 12)
        # Without /strict the same alert leaves the exit code alone.
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/history", "h.jsonl",
                          "/hidden")
        self.assertEqual(code, 0)


class MonitoringEdges(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.http = os.environ["VM_HTTP_URL"]
        cls.promtool = shutil.which("promtool")

    def test_numbers_that_are_not_plain_decimals_are_refused_and_told(self):
        app = e2e.App("edge-numbers")
        app.write_config([(f"{self.http}/200k.bin", "small")], {"DefaultMinSpeed": "0x1E8480"})
        proc = subprocess.run(["wine", "velocimark.exe", "/config", "velocimark.cfg", "/sjson",
                               "r.json", "/hidden", "/strict"], cwd=app.dir, env=e2e.wine_env(),
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        self.assertEqual(proc.returncode, 0)  # not slow against 1,998,976 KB/s
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            doc = json.load(f)
        self.assertNotIn("default_min_speed_bytes_per_s", doc["options"])
        self.assertEqual([w["code"] for w in doc["warnings"]], ["number_refused"])
        self.assertIn("DefaultMinSpeed=0x1E8480", doc["warnings"][0]["message"])
        self.assertIn(b"DefaultMinSpeed=0x1E8480", proc.stderr)

    def test_a_read_only_history_is_not_appended_to(self):
        app = e2e.App("edge-read-only")
        app.write_config([(f"{self.http}/200k.bin", "small")])
        path = os.path.join(app.dir, "h.jsonl")
        with open(path, "w") as f:
            f.write(history_line("http://x/", "2026-11-01T10:00:00.000Z", 5))
        with open(path, "rb") as f:
            before = f.read()
        os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/history", "h.jsonl",
                          "/hidden")
        self.assertEqual(code, HISTORY_NOT_WRITTEN)
        with open(path, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertTrue(os.path.exists(os.path.join(app.dir, "r.json")))

    def test_a_full_disk_leaves_no_partial_history_line(self):
        if os.geteuid() != 0:
            self.skipTest("mounting a small file system needs root")
        app = e2e.App("edge-full-disk")
        app.write_config([(f"{self.http}/1m.bin", "big")], {"UseAutoStopTime": 0})
        disk = os.path.join(app.dir, "disk")
        os.makedirs(disk)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", disk]).returncode:
            self.skipTest("tmpfs cannot be mounted here")
        try:
            path = os.path.join(disk, "h.jsonl")
            # One page of the file system, nearly full, and no free page: the run's line
            # can be written only in part.
            line = history_line("http://x/", "2026-11-01T10:00:00.000Z", 5, name="")
            line = history_line("http://x/", "2026-11-01T10:00:00.000Z", 5,
                                name="n" * (4090 - len(line)))
            with open(path, "w") as f:
                f.write(line)
            with open(os.path.join(disk, "fill"), "wb", buffering=0) as f:
                try:
                    while True:
                        f.write(b"x" * 1024)
                except OSError:
                    pass
            code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/history",
                              e2e.windows_path(path), "/hidden")
            self.assertEqual(code, HISTORY_NOT_WRITTEN)
            with open(path) as f:
                self.assertEqual(f.read(), line)
        finally:
            subprocess.run(["umount", disk])


if __name__ == "__main__":
    e2e.main()
