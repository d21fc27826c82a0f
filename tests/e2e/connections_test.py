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
import time

import e2e_support as e2e
import json_test
from socket_watch import SocketWatch, requests_on_ports

LAB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lab", "lab.sh")
MIB = 1024 * 1024
ID_STOP_TEST = 40037  # res/resource.h
ID_MOVE_TO_NEXT = 40050


def speed(item):
    return item.get("steady_bytes_per_s", item["average_bytes_per_s"])


class Connections(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.validator = json_test.load_schema()
        cls.http = os.environ["VM_HTTP_URL"]

    def export(self, name, url, options, lab=None, then=None, command=None):
        """The item's JSON result; `then`: a second item after it; `command`: (id, ms), a
        menu command posted that long after the window appeared."""
        app = e2e.App(name)
        app.write_config([(url, name)] + ([(then, "then")] if then else []), options)
        args = ["/config", "velocimark.cfg", "/sjson", "r.json", "/hidden"]
        if command is not None:
            poster = os.path.join(os.path.dirname(e2e.ARGS.close_tool), "post_command.exe")
            subprocess.Popen(["wine", poster, str(command[0]), str(command[1]), "1"],
                             cwd=app.dir, env=e2e.wine_env(), stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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

    def test_every_connection_ends_within_250_ms_of_the_first(self):
        # Four throttled connections (1 MiB/s together, 18 s of data) are ended by each of
        # the four; a second item on another port keeps the program running after the first.
        # Paced: Wine's library closes a connection whose query waits for data only once
        # data comes, and nginx's plain limit_rate sends a second's worth, then nothing.
        then = f"{os.environ['VM_HTTPS_URL']}/rate/256k/18m.bin"
        cases = [
            ("time limit", {"UseAutoStopTime": 1, "AutoStopTime": 3}, None),
            ("size limit", {"UseAutoStopSize": 1, "AutoStopSize": 3, "AutoStopSizeUnit": 3,
                            "UseAutoStopTime": 1, "AutoStopTime": 5}, None),
            ("Next", {"UseAutoStopTime": 1, "AutoStopTime": 6}, (ID_MOVE_TO_NEXT, 3000)),
            ("Stop", {}, (ID_STOP_TEST, 3000)),
        ]
        for what, options, command in cases:
            with self.subTest(what):
                tag = f"end={time.monotonic_ns()}"
                with SocketWatch(int(os.environ["VM_HTTP_PORT"])) as watch:
                    item = self.export("conn-end", f"{self.http}/paced/256k/18m.bin?{tag}",
                                       {"DefaultConnections": 4, **options}, then=then,
                                       command=command)
                # The first request's range (from byte 0) has ended by itself long before.
                parts = [port for port, asked in requests_on_ports(tag, 5)
                         if not asked.startswith("bytes=0-")]
                spread = watch.spread(parts)
                print(f"\n{what}: {item['bytes']} bytes; {len(parts)} parts ended within "
                      f"{spread and f'{spread[0]:.3f}-{spread[1]:.3f}'} s of each other "
                      f"(slowest poll {watch.slowest_poll:.3f} s)", file=sys.stderr)
                self.assertEqual((item["status"], item["connections"]["used"]), ("finished", 4))
                self.assertEqual(len(parts), 4)
                self.assertIsNotNone(spread)
                # At least this far apart for certain: a coarse poll never fails the case.
                self.assertLessEqual(spread[0], 0.25)

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
