#!/usr/bin/env python3
"""velocimark.exe end to end under Wine: export runs against the local test servers.

Needs the servers of tests/servers (their VM_* variables in the environment) and a Wine
prefix that trusts the test CA; scripts/test.sh provides both. Each case writes a
configuration, runs the program with an export switch and checks the report it wrote.
"""
import csv
import io
import os
import sys
import time
import unittest
import uuid

import e2e_support as e2e
from e2e_support import App, kb, require_servers, seconds, windows_path


class ExportEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_servers()
        cls.http = os.environ["VM_HTTP_URL"]
        cls.https = os.environ["VM_HTTPS_URL"]
        cls.ftp = os.environ["VM_FTP_URL"]
        cls.data = os.environ["VM_DATA_DIR"]

    def test_every_export_switch_writes_its_format(self):
        markers = {
            "/stext": ("r.txt", "URL               : "),
            "/stab": ("r.txt", "\tFinished\t"),
            "/stabular": ("r.txt", "Finished             "),
            "/shtml": ("r.html", "<th>URL"),
            "/sverhtml": ("r.html", "<b>URL</b>"),
            "/sxml": ("r.xml", "<status>Finished</status>"),
            "/scomma": ("r.csv", ",Finished,"),
        }
        for switch, (name, marker) in markers.items():
            with self.subTest(switch=switch):
                app = App("switch" + switch[1:])
                app.write_config([(f"{self.http}/200k.bin", "two hundred")])
                code, _ = app.run("/config", "velocimark.cfg", switch, name, "/hidden")
                self.assertEqual(code, 0)
                text = app.read(name)
                self.assertIn(marker, text)
                # The tabular report cuts every field to 20 characters.
                self.assertIn(f"{self.http}/200k.bin"[:20], text)

    def test_the_last_export_switch_wins(self):
        app = App("lastswitch")
        app.write_config([f"{self.http}/200k.bin"])
        code, _ = app.run("/config", "velocimark.cfg", "/stext", "a.txt", "/sxml", "b.xml", "/hidden")
        self.assertEqual(code, 0)
        self.assertFalse(os.path.exists(os.path.join(app.dir, "a.txt")))
        self.assertIn("<?xml", app.read("b.xml"))

    def test_statuses_byte_counts_and_speeds(self):
        # 5 MB each, so that even on loopback every download lasts a few milliseconds.
        local = windows_path(os.path.join(self.data, "5m.bin"))
        items = [f"{self.http}/5m.bin", f"{self.https}/5m.bin", f"{self.ftp}/5m.bin",
                 f"{self.http}/chunked/5m.bin", local, f"{self.http}/missing.bin",
                 f"http://127.0.0.1:{os.environ['VM_REFUSED_PORT']}/x.bin"]
        code, rows = App("statuses").export_rows(items, options={"Sort": 8})
        self.assertEqual(code, 0)
        by_url = {row["URL"]: row for row in rows}
        for url in items[:5]:
            with self.subTest(url=url):
                row = by_url[url]
                self.assertEqual(row["Status"], "Finished")
                self.assertEqual(row["Downloaded"], "5120.0 KB")
                self.assertGreater(kb(row["Speed (Bytes)"]), 0)
                mbps = float(row["Speed (Bits)"].split()[0])
                self.assertAlmostEqual(mbps, kb(row["Speed (Bytes)"]) * 1024 * 8 / 1e6, delta=0.02)
                self.assertNotEqual(row["Start Time"], "")
        self.assertEqual(by_url[items[5]]["Status"], "Failed  (Server Status Code: 404)")
        self.assertTrue(by_url[items[6]]["Status"].startswith("Failed  (Error 12029:  "),
                        by_url[items[6]]["Status"])
        self.assertEqual([row["Download Order"] for row in rows], [str(i) for i in range(1, 8)])

    def test_unusable_urls_fail_at_once(self):
        items = ["", "garbage", "zz://host/x.bin", "http://", "http:///x.bin"]
        app = App("badurls")
        start = time.monotonic()
        code, rows = app.export_rows(items, "/ConnectTimeout", "20", "/UseAutoStopTime", "0")
        self.assertEqual(code, 0)
        self.assertLess(time.monotonic() - start, 15)
        self.assertEqual(len(rows), len(items))
        for row in rows:
            self.assertTrue(row["Status"].startswith("Failed  (Error 120"), row)

    def test_silent_server_ends_as_connect_timeout(self):
        url = f"http://127.0.0.1:{os.environ['VM_SILENT_PORT']}/never.bin"
        code, rows = App("silent").export_rows([url], "/ConnectTimeout", "2")
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Status"], "Connect Timeout")

    def test_failures_are_retried(self):
        token = uuid.uuid4().hex
        url = f"{self.http}/missing.bin?{token}"
        code, rows = App("retries").export_rows([url], "/TryAgainOnFail", "1", "/NumOfRetries", "3")
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Status"], "Failed  (Server Status Code: 404)")
        log = os.path.join(os.environ["VM_SERVERS_DIR"], "logs", "nginx-access.log")
        with open(log, encoding="latin-1") as f:
            self.assertEqual(sum(token in line for line in f), 4)

    def test_auto_stop_by_time(self):
        # The whole program: the override reaches the run and the report shows the duration.
        code, rows = App("stoptime").export_rows(
            [f"{self.http}/slow/big/1g.bin"], "/UseAutoStopTime", "1", "/AutoStopTime", "2")
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Status"], "Finished")
        self.assertIn(seconds(rows[0]["Download Duration"]), (2, 3))
        self.assertGreater(kb(rows[0]["Downloaded"]), 0)

    def test_auto_stop_by_size(self):
        code, rows = App("stopsize").export_rows(
            [f"{self.http}/5m.bin"], "/UseAutoStopTime", "0", "/UseAutoStopSize", "1",
            "/AutoStopSize", "100", "/AutoStopSizeUnit", "2")
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Status"], "Finished")
        self.assertGreaterEqual(kb(rows[0]["Downloaded"]), 100)
        self.assertLess(kb(rows[0]["Downloaded"]), 5120)

    def test_auto_stop_by_stable_speed(self):
        code, rows = App("stopstable").export_rows(
            [f"{self.http}/slow/big/1g.bin"], "/UseAutoStopTime", "1", "/AutoStopTime", "40",
            "/UseAutoStopStable", "1", "/AutoStopStableValue", "10", "/AutoStopStableUnit", "1")
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Status"], "Finished")
        self.assertGreaterEqual(seconds(rows[0]["Download Duration"]), 4)
        self.assertLess(seconds(rows[0]["Download Duration"]), 40)

    def test_disabled_items_are_skipped_and_left_out(self):
        items = [(f"{self.http}/200k.bin", "on", 0), (f"{self.http}/1m.bin", "off", 1)]
        code, rows = App("disabled").export_rows(items)
        self.assertEqual(code, 0)
        self.assertEqual([row["Name"] for row in rows], ["on"])
        code, rows = App("disabled-shown").export_rows(items, "/DontAddDisabled", "0")
        self.assertEqual(code, 0)
        self.assertEqual({row["Name"]: row["Status"] for row in rows},
                         {"on": "Finished", "off": "Disabled"})
        self.assertEqual([row["Downloaded"] for row in rows if row["Name"] == "off"], [""])

    def test_empty_list_quits_at_once_with_an_empty_report(self):
        app = App("empty")
        app.write_config([])
        code, elapsed = app.run("/config", "velocimark.cfg", "/stext", "report.txt", "/hidden")
        self.assertEqual(code, 0)
        self.assertEqual(app.read("report.txt"), "")
        self.assertLess(elapsed, 30)

    def test_unwritable_report_path_exits_with_one(self):
        for switch in ("/stext", "/sjson"):  # the JSON writer fails on a path of its own
            with self.subTest(switch=switch):
                app = App("unwritable")
                app.write_config([f"{self.http}/200k.bin"])
                code, _ = app.run("/config", "velocimark.cfg", switch,
                                  "Z:\\no\\such\\folder\\r.txt", "/hidden", timeout=60)
                self.assertEqual(code, 1)

    def test_export_never_saves_the_configuration(self):
        app = App("exportnosave")
        app.write_config([f"{self.http}/200k.bin"], {"AutoStopTime": 7})
        before = app.read("velocimark.cfg")
        code, _ = app.run("/config", "velocimark.cfg", "/stext", "r.txt", "/hidden",
                          "/AutoStopTime", "9")
        self.assertEqual(code, 0)
        self.assertEqual(app.read("velocimark.cfg"), before)

    def test_normal_exit_saves_and_nosaveload_does_not(self):
        # Without /nosaveload a normal exit rewrites the file in the program's layout...
        app = App("saves")
        app.write_config([f"{self.http}/200k.bin"], {"AutoStopTime": 7})
        self.assertEqual(app.start_and_close("/config", "velocimark.cfg"), (0, 0))
        saved = app.read("velocimark.cfg")
        self.assertTrue(saved.startswith("[General]\r\nShowGridLines=0\r\n"), saved[:80])
        self.assertIn("AutoStopTime=7\r\n", saved)
        self.assertIn(f"URL={self.http}/200k.bin\r\n", saved)

        # ... while with it the file stays exactly as it was.
        app = App("nosaveload")
        app.write_config([f"{self.http}/200k.bin"], {"AutoStopTime": 7})
        before = app.read("velocimark.cfg")
        self.assertEqual(app.start_and_close("/config", "velocimark.cfg", "/nosaveload"), (0, 0))
        self.assertEqual(app.read("velocimark.cfg"), before)

    def test_unicode_configuration_loads_and_is_saved_as_eight_bit_text(self):
        # Notepad's "Unicode": UTF-16LE after a byte order mark.
        app = App("unicodecfg")
        text = ("[General]\r\nAutoStopTime=7\r\nShowGridLines=1\r\nNumOfDownloads=1\r\n"
                f"[Download0]\r\nURL={self.http}/200k.bin\r\nDownloadName=Caf\u00e9\r\n")
        with open(app.config, "wb") as f:
            f.write(b"\xff\xfe" + text.encode("utf-16-le"))
        self.assertEqual(app.start_and_close("/config", "velocimark.cfg"), (0, 0))
        saved = app.read("velocimark.cfg")
        self.assertTrue(saved.startswith("[General]\r\nShowGridLines=1\r\n"), saved[:80])
        self.assertIn("AutoStopTime=7\r\n", saved)
        self.assertIn(f"URL={self.http}/200k.bin\r\nDownloadName=Caf\u00e9\r\n", saved)

    def test_damaged_item_count_loads_only_the_items_there(self):
        app = App("damagedcount")
        app.write_config([], raw="[General]\r\nNumOfDownloads=2000000000\r\nAddExportHeaderLine=1\r\n"
                                 f"[Download0]\r\nURL={self.http}/200k.bin\r\n")
        code, elapsed = app.run("/config", "velocimark.cfg", "/scomma", "out.csv", "/hidden")
        self.assertEqual(code, 0)
        rows = list(csv.DictReader(io.StringIO(app.read("out.csv"))))
        self.assertEqual(len(rows), 1)
        self.assertEqual(rows[0]["Status"], "Finished")
        self.assertLess(elapsed, 15)
        print(f"\n  damaged count: one item exported in {elapsed:.1f} s", file=sys.stderr)

    def test_config_names_a_new_file_created_at_exit(self):
        app = App("newconfig")
        self.assertEqual(app.start_and_close("/config", "fresh.cfg"), (0, 0))
        saved = app.read("fresh.cfg")
        self.assertTrue(saved.startswith("[General]\r\n"))
        self.assertIn("NumOfDownloads=0\r\n", saved)


class StartUpSwitches(unittest.TestCase):
    def test_savelangfile_writes_general_and_strings_then_exits(self):
        app = App("savelang")
        code, _ = app.run("/savelangfile", timeout=60)
        self.assertEqual(code, 0)
        text = app.read("velocimark_lng.ini")
        self.assertIn("[general]\r\n", text)
        self.assertIn("TranslatorName=\r\n", text)
        self.assertIn("Version=1.27\r\n", text)
        self.assertIn("[strings]\r\n", text)
        self.assertIn("455=Failed\r\n", text)
        self.assertFalse(os.path.exists(app.config))

    def test_a_translation_file_changes_the_report(self):
        require_servers("VM_HTTP_URL")
        app = App("translated")
        with open(os.path.join(app.dir, "velocimark_lng.ini"), "w", newline="") as f:
            f.write("[strings]\r\n1008=Zustand\r\n15=Serverstatus %d\r\n13=%s%s%n\r\n")
        url = f"{os.environ['VM_HTTP_URL']}/missing.bin"
        code, rows = app.export_rows([url])
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Zustand"], "Failed  (Serverstatus 404)")

    def test_a_unicode_translation_file_renames_a_column(self):
        require_servers("VM_HTTP_URL")
        app = App("translatedunicode")
        with open(os.path.join(app.dir, "velocimark_lng.ini"), "wb") as f:
            f.write(b"\xff\xfe" + "; \u0416\r\n[strings]\r\n1008=Zustand\r\n".encode("utf-16-le"))
        code, rows = app.export_rows([f"{os.environ['VM_HTTP_URL']}/200k.bin"])
        self.assertEqual(code, 0)
        self.assertEqual(rows[0]["Zustand"], "Finished")

    def test_junk_configuration_and_translation_files_are_survived(self):
        app = App("junk")
        junk = bytes((i * 7919 + 13) % 256 for i in range(300000))
        with open(app.config, "wb") as f:
            f.write(b"[General]\r\nNumOfDownloads=2000000000\r\n" + junk)
        with open(os.path.join(app.dir, "velocimark_lng.ini"), "wb") as f:
            f.write(b"[strings]\r\n4=%s%s%s%n\r\n13=" + b"x" * 100000 + b"\r\n" + junk)
        self.assertEqual(app.start_and_close("/config", "velocimark.cfg", timeout=120), (0, 0))

    def test_deleteregkey_exits_at_once_touching_nothing(self):
        app = App("deleteregkey")
        code, elapsed = app.run("/deleteregkey", timeout=60)
        self.assertEqual(code, 0)
        self.assertEqual(sorted(os.listdir(app.dir)), ["velocimark.exe"])


if __name__ == "__main__":
    e2e.main()
