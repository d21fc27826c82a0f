#!/usr/bin/env python3
"""Several connections per download, end to end under Wine: a per-connection cap on
loopback, the link lab's path limit, a server without ranges and one with wrong ranges.

Runs like e2e_test.py (same arguments, same servers); the lab case needs the link lab
(VM_LAB_DIR, started by scripts/test.sh as root) and is skipped without it.
"""
import json
import os
import subprocess
import sys

import e2e_support as e2e
import json_test

LAB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lab", "lab.sh")
MIB = 1024 * 1024


def speed(item):
    return item.get("steady_bytes_per_s", item["average_bytes_per_s"])


class Connections(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.validator = json_test.load_schema()
        cls.http = os.environ["VM_HTTP_URL"]

    def export(self, name, url, options, lab=None):
        app = e2e.App(name)
        app.write_config([(url, name)], options)
        args = ["/config", "velocimark.cfg", "/sjson", "r.json", "/hidden"]
        if lab is None:
            code, _ = app.run(*args)
        else:
            code = subprocess.run([LAB, "run", lab, "wine", "velocimark.exe", *args],
                                  cwd=app.dir, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  timeout=e2e.RUN_TIMEOUT).returncode
        self.assertEqual(code, 0)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            doc = json.load(f)
        self.validator.validate(doc)
        return doc["items"][0]

    def test_a_per_connection_cap_gives_four_times_the_speed_over_four(self):
        # nginx limit_rate holds each connection to 1 MiB/s; a time limit ends both runs.
        item = self.export("conn-cap", f"{self.http}/rate/1m/big/512m.bin",
                           {"DefaultConnections": 4, "DefaultCompareConnections": 1,
                            "UseAutoStopTime": 1, "AutoStopTime": 8})
        verdict = item["connection_verdict"]
        print(f"\nper-connection cap: {item['connections']}, {verdict}", file=sys.stderr)
        self.assertEqual(item["status"], "finished")
        self.assertEqual(item["connections"], {"requested": 4, "used": 4,
                                               "ranges_supported": True})
        self.assertLess(abs(speed(item) / (4 * MIB) - 1), 0.10)
        self.assertEqual(verdict["limit"], "per_connection")
        self.assertTrue(3.4 <= verdict["ratio"] <= 4.6, verdict)

    def test_a_server_without_ranges_gives_one_connection_and_every_byte_once(self):
        item = self.export("conn-noranges", f"{self.http}/noranges/5m.bin",
                           {"DefaultConnections": 4})
        self.assertEqual(item["status"], "finished")
        self.assertEqual(item["connections"], {"requested": 4, "used": 1,
                                               "ranges_supported": False})
        self.assertEqual(item["bytes"], 5242880)
        self.assertTrue(item["complete"])

    def test_exact_bytes_over_four_connections_and_a_wrong_range_fails(self):
        item = self.export("conn-exact", f"{self.http}/5m.bin", {"DefaultConnections": 4})
        self.assertEqual((item["status"], item["bytes"], item["complete"]),
                         ("finished", 5242880, True))
        self.assertEqual(item["connections"]["used"], 4)
        # A 206 whose length is half its range: the attempt fails with the program's error.
        item = self.export("conn-short", f"{os.environ['VM_HOSTILE_URL']}/range-short",
                           {"DefaultConnections": 4})
        self.assertEqual(item["status"], "failed")
        self.assertEqual(item["error_code"], 0x20000000 + 2503)
        self.assertIn("range", item["status_text"])

    def test_in_the_link_lab_the_path_is_the_limit(self):
        lab = os.environ.get("VM_LAB_DIR")
        if not lab or not os.path.exists(os.path.join(lab, "env")):
            raise e2e.unittest.SkipTest("the link lab is not running")
        lab_http = subprocess.run([LAB, "run", lab, "sh", "-c", "echo $VM_HTTP_URL"],
                                  capture_output=True, text=True, check=True).stdout.strip()
        curl = float(subprocess.run(
            [LAB, "run", lab, "curl", "-s", "-o", "/dev/null", "-w", "%{speed_download}",
             f"{lab_http}/18m.bin"], capture_output=True, text=True, check=True).stdout)
        item = self.export("conn-lab", f"{lab_http}/big/512m.bin",
                           {"DefaultConnections": 4, "DefaultCompareConnections": 1,
                            "UseAutoStopTime": 1, "AutoStopTime": 8}, lab=lab)
        verdict = item["connection_verdict"]
        print(f"\nlink lab: curl {curl:.0f} B/s, {verdict}", file=sys.stderr)
        self.assertEqual(verdict["limit"], "path")
        self.assertLess(verdict["ratio"], 1.5)
        self.assertLess(abs(verdict["multi_bytes_per_s"] / curl - 1), 0.10)


if __name__ == "__main__":
    e2e.main()
