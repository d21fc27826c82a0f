#!/usr/bin/env python3
"""Runs for monitoring end to end under Wine: /strict exit codes, /sprom checked by
Prometheus' own parser (promtool), /push to a real Pushgateway read back from it.

Runs like e2e_test.py (same arguments, same servers). promtool and prometheus-pushgateway
come from Debian's prometheus and prometheus-pushgateway packages; the gateway is started
here on a free local port.
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import time
import urllib.request

import e2e_support as e2e

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = re.compile(r'^([a-zA-Z_:][a-zA-Z0-9_:]*)(\{(.*)\})? (\S+)$')
LABEL = re.compile(r'([a-zA-Z_][a-zA-Z0-9_]*)="((?:[^"\\]|\\.)*)"')

# Exit codes (src/core/app/ExitCode.h).
SUCCESS, REPORT_NOT_WRITTEN, PUSH_FAILED, ITEM_FAILED, ITEM_SLOW = 0, 1, 6, 10, 11


def write_config(app, items, options=None):
    """Items are (url, name, min_speed); bytes, so names can hold code-page text."""
    lines = [b"[General]"]
    for key, value in (options or {}).items():
        lines.append(f"{key}={value}".encode())
    lines.append(f"NumOfDownloads={len(items)}".encode())
    for i, (url, name, min_speed) in enumerate(items):
        lines += [f"[Download{i}]".encode(), b"URL=" + url.encode(),
                  b"DownloadName=" + (name if isinstance(name, bytes) else name.encode()),
                  b"Disabled=0"]
        if min_speed:
            lines.append(f"MinSpeed={min_speed}".encode())
    with open(app.config, "wb") as f:
        f.write(b"\r\n".join(lines) + b"\r\n")


def unescape(value):
    return re.sub(r'\\(.)', lambda m: "\n" if m.group(1) == "n" else m.group(1), value)


def parse_metrics(text):
    """{(name, frozenset(labels)): value} of every sample line."""
    samples = {}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        m = SAMPLE.match(line)
        assert m, line
        labels = frozenset((k, unescape(v)) for k, v in LABEL.findall(m.group(3) or ""))
        samples[(m.group(1), labels)] = float(m.group(4))
    return samples


def value(samples, metric, **labels):
    """The value of the one sample of metric whose labels include these."""
    found = [v for (n, ls), v in samples.items()
             if n == metric and all((k, val) in ls for k, val in labels.items())]
    if len(found) != 1:
        raise KeyError(f"{metric} {labels}: {len(found)} samples")
    return found[0]


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class StrictExitCodes(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.http = os.environ["VM_HTTP_URL"]

    def run_case(self, name, items, *switches, options=None):
        app = e2e.App(name)
        opts = {"UseAutoStopTime": 1, "AutoStopTime": 4}
        opts.update(options or {})
        write_config(app, items, opts)
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/hidden", *switches)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            return code, json.load(f)

    def test_each_documented_code(self):
        good = (f"{self.http}/1m.bin", "good", 0)
        failing = (f"{self.http}/missing.bin", "missing", 0)
        # About 200 KB/s against a minimum of 1000 KB/s; nginx's head start does not lift
        # it above.
        throttled = (f"{self.http}/rate/200k/5m.bin", "throttled", 1000)
        cases = [
            ("strict-good", [good], ["/strict"], SUCCESS),
            ("strict-failing", [good, failing], ["/strict"], ITEM_FAILED),
            ("strict-slow", [good, throttled], ["/strict"], ITEM_SLOW),
            ("strict-both", [throttled, failing], ["/strict"], ITEM_FAILED),
            ("lenient-both", [throttled, failing], [], SUCCESS),
        ]
        for name, items, switches, expected in cases:
            with self.subTest(name):
                code, doc = self.run_case(name, items, *switches)
                self.assertEqual(code, expected)
                by_name = {i["name"]: i for i in doc["items"]}
                if "throttled" in by_name:
                    slow = by_name["throttled"]
                    self.assertTrue(slow["below_min_speed"])
                    self.assertEqual(slow["min_speed_bytes_per_s"], 1000 * 1024)
                    self.assertEqual(slow["status"], "finished")
                    self.assertEqual(slow["status_text"], "Finished (slow)")
                if "good" in by_name:
                    self.assertFalse(by_name["good"]["below_min_speed"])
                    self.assertNotIn("min_speed_bytes_per_s", by_name["good"])

    def test_default_minimum_from_the_command_line(self):
        # Every item is held to the default; the command line overrides the file's.
        items = [(f"{self.http}/rate/200k/5m.bin", "throttled", 0)]
        code, doc = self.run_case("strict-default", items, "/strict", "/DefaultMinSpeed", "1000",
                                  options={"DefaultMinSpeed": 1})
        self.assertEqual(code, ITEM_SLOW)
        self.assertEqual(doc["options"]["default_min_speed_bytes_per_s"], 1000 * 1024)
        self.assertTrue(doc["items"][0]["below_min_speed"])


class PrometheusFile(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.promtool = shutil.which("promtool")
        if cls.promtool is None:
            raise AssertionError("promtool is missing (Debian package prometheus)")
        cls.http = os.environ["VM_HTTP_URL"]
        cls.ftp = os.environ["VM_FTP_URL"]

    def promtool_check(self, text):
        proc = subprocess.run([self.promtool, "check", "metrics"], input=text.encode("utf-8"),
                              capture_output=True, timeout=60)
        self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
        self.assertEqual(proc.stdout + proc.stderr, b"")  # not even a lint remark

    def test_metrics_file_passes_promtool_and_matches_the_json(self):
        name = b'caf\xe9 "quoted" \\ back\\slash'
        items = [(f"{self.http}/1m.bin", name, 0),
                 (f"{self.http}/missing.bin", "missing", 0),
                 (f"{self.http}/rate/200k/5m.bin", "throttled", 1000),
                 (f"{self.ftp}/200k.bin", "ftp", 0)]
        app = e2e.App("prom-file")
        write_config(app, items, {"UseAutoStopTime": 1, "AutoStopTime": 4})
        with open(os.path.join(app.dir, "m.prom"), "w") as f:
            f.write("old contents\n")
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/sprom", "m.prom",
                          "/hidden")
        self.assertEqual(code, SUCCESS)
        self.assertEqual(sorted(os.listdir(app.dir)),
                         ["m.prom", "r.json", "velocimark.cfg", "velocimark.exe"])
        text = app.read("m.prom", "utf-8")
        self.promtool_check(text)
        samples = parse_metrics(text)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            doc = json.load(f)
        for item in doc["items"]:
            labels = {"url": item["url"], "name": item["name"]}
            self.assertEqual(value(samples, "velocimark_download_bytes", **labels), item["bytes"])
            self.assertAlmostEqual(value(samples, "velocimark_download_duration_seconds", **labels),
                                   item["duration_ms"] / 1000, places=3)
            self.assertAlmostEqual(
                value(samples, "velocimark_download_average_speed_bytes_per_second", **labels),
                item["average_bytes_per_s"], delta=0.01)
            self.assertEqual(value(samples, "velocimark_download_success", **labels),
                             1 if item["status"] == "finished" else 0)
            self.assertEqual(value(samples, "velocimark_download_slow", **labels),
                             1 if item["below_min_speed"] else 0)
            for phase, ms in item["phases_ms"].items():
                self.assertAlmostEqual(
                    value(samples, "velocimark_download_phase_seconds", phase=phase, **labels),
                    ms / 1000, places=3)
        self.assertIn(name.decode("cp1252"), [item["name"] for item in doc["items"]])
        self.assertEqual(len(doc["items"]), 4)
        end = value(samples, "velocimark_run_end_time_seconds")
        self.assertLess(abs(end - time.time()), 120)

    def test_metrics_alone_make_an_export_run(self):
        app = e2e.App("prom-only")
        write_config(app, [(f"{self.http}/200k.bin", "small", 0)])
        code, _ = app.run("/config", "velocimark.cfg", "/sprom", "m.prom", "/hidden", "/strict")
        self.assertEqual(code, SUCCESS)
        self.promtool_check(app.read("m.prom", "utf-8"))
        self.assertEqual(sorted(os.listdir(app.dir)), ["m.prom", "velocimark.cfg", "velocimark.exe"])

    def test_unwritable_metrics_file_exits_with_report_not_written(self):
        app = e2e.App("prom-unwritable")
        write_config(app, [(f"{self.http}/200k.bin", "small", 0)])
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/sprom",
                          "no\\such\\folder\\m.prom", "/hidden")
        self.assertEqual(code, REPORT_NOT_WRITTEN)
        self.assertTrue(os.path.exists(os.path.join(app.dir, "r.json")))


class Pushgateway(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        gateway = shutil.which("prometheus-pushgateway")
        if gateway is None:
            raise AssertionError("prometheus-pushgateway is missing (its Debian package)")
        cls.http = os.environ["VM_HTTP_URL"]
        cls.port = free_port()
        cls.log = open(os.path.join(e2e.ARGS.work, "pushgateway.log"), "wb")
        cls.gateway = subprocess.Popen(
            [gateway, f"--web.listen-address=127.0.0.1:{cls.port}"],
            stdin=subprocess.DEVNULL, stdout=cls.log, stderr=subprocess.STDOUT)
        cls.url = f"http://127.0.0.1:{cls.port}"
        deadline = time.monotonic() + 30
        while True:
            try:
                urllib.request.urlopen(cls.url + "/-/ready", timeout=2).read()
                break
            except OSError:
                if time.monotonic() > deadline or cls.gateway.poll() is not None:
                    cls.tearDownClass()
                    raise
                time.sleep(0.2)

    @classmethod
    def tearDownClass(cls):
        cls.gateway.terminate()
        try:
            cls.gateway.wait(timeout=10)
        except subprocess.TimeoutExpired:
            cls.gateway.kill()
            cls.gateway.wait()
        cls.log.close()

    def gateway_metrics(self):
        with urllib.request.urlopen(self.url + "/metrics", timeout=10) as r:
            return parse_metrics(r.read().decode("utf-8"))

    def test_pushed_metrics_are_read_back_from_the_gateway(self):
        app = e2e.App("push")
        write_config(app, [(f"{self.http}/1m.bin", "one MB", 0),
                           (f"{self.http}/missing.bin", "missing", 0)])
        code, _ = app.run("/config", "velocimark.cfg", "/sprom", "m.prom", "/push", self.url,
                          "/hidden")
        self.assertEqual(code, SUCCESS)
        written = parse_metrics(app.read("m.prom", "utf-8"))
        pushed = self.gateway_metrics()
        instances = {dict(ls).get("instance") for (n, ls) in pushed
                     if n == "velocimark_download_bytes"}
        self.assertEqual(len(instances), 1)
        instance = instances.pop()
        self.assertTrue(instance)
        # Every series of the file is at the gateway with the job and instance added.
        for (name, labels), v in written.items():
            at_gateway = labels | {("job", "velocimark"), ("instance", instance)}
            self.assertEqual(pushed.get((name, frozenset(at_gateway))), v, name)
        self.assertEqual(value(pushed, "velocimark_download_bytes", name="one MB"), 1048576)
        self.assertEqual(value(pushed, "velocimark_download_success", name="missing"), 0)
        # The gateway stamps a successful push.
        self.assertGreater(value(pushed, "push_time_seconds", job="velocimark"), 0)

    def test_failed_push_has_its_own_code_and_the_files_are_written(self):
        refused = f"http://127.0.0.1:{os.environ['VM_REFUSED_PORT']}"
        cases = [("push-refused", refused, PUSH_FAILED),
                 # The gateway answers, but not with success: a PUT to a path it has not.
                 ("push-rejected", self.url + "/nothing", PUSH_FAILED),
                 ("push-no-url", "ftp://127.0.0.1/", PUSH_FAILED)]
        for name, url, expected in cases:
            with self.subTest(name):
                app = e2e.App(name)
                write_config(app, [(f"{self.http}/200k.bin", "small", 0),
                                   (f"{self.http}/missing.bin", "missing", 0)])
                code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/sprom",
                                  "m.prom", "/push", url, "/hidden", "/strict")
                # A failed push comes before the failed item.
                self.assertEqual(code, expected)
                self.assertTrue(os.path.exists(os.path.join(app.dir, "r.json")))
                self.assertIn("velocimark_download_bytes", app.read("m.prom", "utf-8"))


if __name__ == "__main__":
    e2e.main()
