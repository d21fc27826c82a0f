#!/usr/bin/env python3
"""How exact the figures are, end to end under Wine against real servers: speeds over the
microsecond duration, repeated measurements with their spread, and the confidence of a
steady and of a jumpy link. Runs like e2e_test.py (same arguments, same servers).
"""
import os
import random
import socket
import sys
import threading
import time

import e2e_support as e2e
import json_test

MIB = 1024 * 1024


class JumpyServer:
    """An HTTP server whose sending rate jumps at random between 0.5 and 1.5 MiB/s every
    200 ms, for as long as the client reads."""

    def __init__(self):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.stopped = False
        threading.Thread(target=self.serve, daemon=True).start()

    def serve(self):
        while not self.stopped:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self.send, args=(conn,), daemon=True).start()

    def send(self, conn):
        body = 64 * MIB
        rng = random.Random(31)
        try:
            conn.recv(65536)
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                         b"Content-Length: %d\r\nConnection: close\r\n\r\n" % body)
            chunk = b"\0" * 8192
            sent = 0
            while sent < body and not self.stopped:
                rate = rng.uniform(0.5, 1.5) * MIB
                period_end = time.monotonic() + 0.2
                start = time.monotonic()
                period_sent = 0
                while time.monotonic() < period_end and sent < body:
                    conn.sendall(chunk)
                    sent += len(chunk)
                    period_sent += len(chunk)
                    ahead = period_sent / rate - (time.monotonic() - start)
                    if ahead > 0:
                        time.sleep(ahead)
        except OSError:
            pass
        finally:
            conn.close()

    def stop(self):
        self.stopped = True
        self.listener.close()


class Precision(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.validator = json_test.load_schema()
        cls.http = os.environ["VM_HTTP_URL"]
        cls.data = os.environ["VM_DATA_DIR"]

    def export(self, app, items, options, *extra):
        app.write_config(items, options)
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/hidden", *extra)
        self.assertEqual(code, 0)
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            document = json_test.json.load(f)
        self.validator.validate(document)
        return document

    def test_speeds_are_bytes_over_the_microsecond_duration(self):
        app = e2e.App("precision-short")
        small = os.path.join(app.dir, "64k.bin")
        with open(small, "wb") as f:
            f.write(os.urandom(64 * 1024))
        items = [(e2e.windows_path(small), "local 64 KB"),
                 (e2e.windows_path(os.path.join(self.data, "5m.bin")), "local 5 MB"),
                 (f"{self.http}/5m.bin", "http 5 MB")]
        doc = self.export(app, items, {"UseAutoStopTime": 0})
        for item in doc["items"]:
            with self.subTest(item=item["name"]):
                print(f"\n{item['name']}: {item['duration_us']} us, "
                      f"{item['average_bytes_per_s']:.0f} B/s", file=sys.stderr)
                self.assertEqual(item["status"], "finished")
                us = item["duration_us"]
                self.assertGreater(us, 0)
                self.assertEqual(item["duration_ms"], us // 1000)
                expected = item["bytes"] * 1e6 / us
                self.assertLess(abs(item["average_bytes_per_s"] / expected - 1), 0.001)
                # Not a whole number of milliseconds (the old tick), nor the floor of one.
                self.assertNotEqual(us % 1000, 0)
                # The same steps on both clocks (the tick and the microsecond counter are
                # read apart, so their figures need not agree to the millisecond).
                self.assertEqual(set(item["phases_us"]), set(item["phases_ms"]))

    def test_five_repeats_of_a_throttled_download(self):
        # Five measurements of 6 s each at nginx's limit_rate 1m: each has a steady speed
        # (the sample ticks run on from item to item, so a measurement's first sample falls
        # up to a second into it), and the five agree.
        app = e2e.App("precision-repeat")
        url = f"{self.http}/rate/1m/18m.bin"
        doc = self.export(app, [(url, "limited")], {"UseAutoStopTime": 1, "AutoStopTime": 6,
                                                     "DefaultRepeat": 5}, "/sprom", "m.prom")
        item = doc["items"][0]
        stats = item["speed_stats"]
        print(f"\nrepeats: median {stats['median']:.0f} B/s, cv {stats['cv']:.4f}, "
              f"{[round(r.get('steady_bytes_per_s', 0)) for r in item['repeats']]}",
              file=sys.stderr)
        self.assertEqual(len(item["repeats"]), 5)
        self.assertEqual(stats["n"], 5)
        self.assertTrue(all("steady_bytes_per_s" in r for r in item["repeats"]))
        self.assertLess(abs(stats["median"] / MIB - 1), 0.03)
        self.assertLessEqual(stats["p10"], stats["median"])
        self.assertLessEqual(stats["median"], stats["p90"])
        self.assertEqual(item["confidence"], "high")
        self.assertEqual(item["status"], "finished")
        with open(os.path.join(app.dir, "m.prom"), encoding="utf-8") as f:
            metrics = f.read()
        self.assertRegex(metrics, r"\nvelocimark_download_confidence\{[^}]*\} 2\n")
        self.assertIn("\nvelocimark_download_speed_p10_bytes_per_second{", metrics)
        self.assertIn("\nvelocimark_download_speed_p90_bytes_per_second{", metrics)

    def test_a_jumpy_link_is_never_high(self):
        # About nine one-second intervals, each the mean of five random rates: their spread
        # is about 13%, at or below 5% by chance in about one run of 400.
        server = JumpyServer()
        try:
            doc = self.export(e2e.App("precision-jumpy"),
                              [(f"http://127.0.0.1:{server.port}/jumpy.bin", "jumpy")],
                              {"UseAutoStopTime": 1, "AutoStopTime": 11})
        finally:
            server.stop()
        item = doc["items"][0]
        print(f"\njumpy: confidence {item.get('confidence')}, "
              f"steady {item.get('steady_bytes_per_s')}", file=sys.stderr)
        self.assertEqual(item["status"], "finished")
        self.assertIn(item["confidence"], ("medium", "low"))


if __name__ == "__main__":
    e2e.main()
