#!/usr/bin/env python3
"""The run history and the results page end to end under Wine, and in a real browser.

Three export runs with /history against the local servers (one item throttled, one
failing; two of the runs at once) append three lines that each validate against the
/sjson schema; a /schart run then writes the page, which Debian's chromium renders
headless: a screenshot, the DOM, and proof that the page asked for nothing on the network.
Runs like e2e_test.py (same arguments, same servers).
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

import e2e_support as e2e
import json_test

CHROMIUM = shutil.which("chromium")
# Flags this machine's closed network needs: no background connections, no GPU, no
# sandbox as root.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                  "--force-device-scale-factor=1"]


def page_requests(net_log):
    """The URLs of the requests a page started, from chromium's network log. The browser's
    own background requests (updates, clock, accounts) have no origin as initiator."""
    with open(net_log, encoding="utf-8", errors="replace") as f:
        log = json.load(f)
    start_job = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    return sorted({e["params"]["url"] for e in log["events"]
                   if e["type"] == start_job and "url" in e.get("params", {}) and
                   e["params"].get("initiator") != "not an origin"})


def chromium(page, *args, timeout=120):
    with tempfile.TemporaryDirectory() as profile:
        proc = subprocess.run([CHROMIUM, *CHROMIUM_FLAGS, f"--user-data-dir={profile}",
                               *args, "file://" + page], capture_output=True, timeout=timeout)
    return proc


class HistoryEndToEnd(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.http = os.environ["VM_HTTP_URL"]
        cls.validator = json_test.load_schema()
        cls.app = e2e.App("history")
        cls.items = [(f"{cls.http}/1m.bin", "plain"),
                     (f"{cls.http}/rate/1m/5m.bin", "throttled <b>&\"x\"</b>"),
                     (f"{cls.http}/missing.bin", "failing")]
        cls.app.write_config(cls.items, {"UseAutoStopTime": 1, "AutoStopTime": 3})
        run = ("/config", "velocimark.cfg", "/history", "h.jsonl", "/hidden")
        # Two processes append at the same time, then a third alone.
        first = cls.app.start(*run, "/sjson", "r1.json")
        second = cls.app.start(*run, "/sjson", "r2.json")
        cls.codes = [first.wait(timeout=e2e.RUN_TIMEOUT), second.wait(timeout=e2e.RUN_TIMEOUT)]
        cls.codes.append(cls.app.run(*run, "/sjson", "r3.json")[0])
        with open(os.path.join(cls.app.dir, "h.jsonl"), "rb") as f:
            cls.history = f.read()
        cls.page_code = cls.app.run(*run, "/schart", "page.html")[0]
        cls.page = os.path.join(cls.app.dir, "page.html")

    def test_each_run_is_one_line_that_validates(self):
        self.assertEqual(self.codes, [0, 0, 0])
        lines = self.history.split(b"\n")
        self.assertEqual(lines[-1], b"")  # every line ends
        self.assertEqual(len(lines) - 1, 3)
        for line in lines[:-1]:
            document = json.loads(line.decode("utf-8"))
            self.validator.validate(document)
            statuses = {item["name"]: item["status"] for item in document["items"]}
            self.assertEqual(sorted(statuses.values()), ["failed", "finished", "finished"])
            self.assertEqual(statuses["failing"], "failed")

    def test_the_line_is_the_export_document(self):
        # The third run's line and its /sjson file hold the same document.
        last = json.loads(self.history.split(b"\n")[2].decode("utf-8"))
        with open(os.path.join(self.app.dir, "r3.json"), encoding="utf-8") as f:
            self.assertEqual(json.load(f), last)

    def test_a_history_that_cannot_be_written_has_its_exit_code(self):
        app = e2e.App("history-unwritable")
        app.write_config([(f"{self.http}/200k.bin", "x")])
        code, _ = app.run("/config", "velocimark.cfg", "/history", "no\\such\\folder\\h.jsonl",
                          "/sjson", "r.json", "/hidden")
        self.assertEqual(code, 5)
        # The run's own report is still written.
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            self.assertEqual(json.load(f)["items"][0]["status"], "finished")

    def test_the_page_never_replaces_the_programs_own_files(self):
        app = e2e.App("history-protected")
        app.write_config([(f"{self.http}/200k.bin", "x")])
        with open(app.config, "rb") as f:
            config = f.read()
        for target in ("velocimark.cfg", "velocimark.exe", "h.jsonl"):
            with self.subTest(target=target):
                code, _ = app.run("/config", "velocimark.cfg", "/history", "h.jsonl",
                                  "/schart", target, "/hidden")
                self.assertEqual(code, 1)
        with open(app.config, "rb") as f:
            self.assertEqual(f.read(), config)
        # Refused before the run: nothing was run, so nothing reached the history either.
        self.assertFalse(os.path.exists(os.path.join(app.dir, "h.jsonl")))

    def test_the_page_is_self_contained(self):
        self.assertEqual(self.page_code, 0)
        with open(self.page, "rb") as f:
            html = f.read().decode("utf-8")
        self.assertIn("Content-Security-Policy", html)
        self.assertIn("default-src 'none'", html)
        self.assertNotRegex(html, r"<script")
        self.assertEqual(re.findall(r"\b(?:src|href)\s*=", html), [])
        self.assertNotIn("<b>", html)  # the item's name stays text
        self.assertLess(len(html.encode("utf-8")), 2 * 1024 * 1024)

    @e2e.unittest.skipIf(CHROMIUM is None, "Debian's chromium is not installed")
    def test_a_real_browser_renders_the_page(self):
        dom = chromium(self.page, "--dump-dom", "--virtual-time-budget=2000")
        self.assertEqual(dom.returncode, 0, dom.stderr[-2000:])
        text = dom.stdout.decode("utf-8")
        # The run: two finished items, the throttled one with a speed chart (the plain one
        # ends before its first sample and gets a sentence, not an empty chart), one
        # comparison; four runs of each URL on its trend (the failing one too, every run
        # marked failed).
        self.assertEqual(len(re.findall(r'<svg class="chart item"', text)), 1)
        self.assertEqual(text.count("No samples were taken."), 1)
        self.assertEqual(len(re.findall(r'<svg class="chart comparison"', text)), 1)
        trends = re.findall(r'<svg class="chart trend"[^>]*aria-label="([^"]*)"(.*?)</svg>', text,
                            re.S)
        self.assertEqual(len(trends), 3)
        for label, body in trends:
            with self.subTest(url=label):
                self.assertEqual(len(re.findall(r'<g class="run', body)), 4)
                self.assertEqual(len(re.findall(r'<g class="run[^"]*latest', body)), 1)
                failed = len(re.findall(r'<g class="run failed', body))
                self.assertEqual(failed, 4 if "missing" in label else 0)
        self.assertIn("throttled &lt;b&gt;&amp;\"x\"&lt;/b&gt;", text)

        # Any request a page makes shows in the network log: a page that loads an image
        # proves it, then the results page must show none.
        control = os.path.join(self.app.dir, "control.html")
        with open(control, "w", encoding="utf-8") as f:
            f.write('<!DOCTYPE html><img src="http://127.0.0.1:9/x.png">')
        control_log = os.path.join(self.app.dir, "control-net.json")
        proc = chromium(control, f"--log-net-log={control_log}", "--dump-dom",
                        "--virtual-time-budget=2000")
        self.assertEqual(proc.returncode, 0, proc.stderr[-2000:])
        self.assertEqual(page_requests(control_log), ["http://127.0.0.1:9/x.png"])
        log = os.path.join(self.app.dir, "net.json")
        shot = os.path.join(self.app.dir, "page.png")
        proc = chromium(self.page, f"--screenshot={shot}", "--window-size=1000,2600",
                        f"--log-net-log={log}", "--virtual-time-budget=2000")
        self.assertEqual(proc.returncode, 0, proc.stderr[-2000:])
        self.assertGreater(os.path.getsize(shot), 10000)
        self.assertEqual(page_requests(log), [])
        # A dark theme renders too (for the screenshots in the report).
        dark = os.path.join(self.app.dir, "page-dark.png")
        proc = chromium(self.page, f"--screenshot={dark}", "--window-size=1000,2600",
                        "--force-dark-mode", "--blink-settings=preferredColorScheme=0")
        self.assertEqual(proc.returncode, 0, proc.stderr[-2000:])
        print(f"\nscreenshots: {shot} {dark}", file=sys.stderr)


if __name__ == "__main__":
    e2e.main()
