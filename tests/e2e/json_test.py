#!/usr/bin/env python3
"""The /sjson export end to end under Wine: schema, figures, steady speed, hostile texts.

Runs like e2e_test.py (same arguments, same servers) and checks the document against
schema/velocimark-results.schema.json with python3-jsonschema.
"""
import datetime
import json
import os
import sys

import jsonschema

import e2e_support as e2e

SCHEMA_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "schema",
                           "velocimark-results.schema.json")


def load_schema():
    with open(SCHEMA_PATH, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def utc(text):
    return datetime.datetime.fromisoformat(text.replace("Z", "+00:00"))


def rate_bytes(text):
    """An nginx rate ("2m", "500k") in bytes per second."""
    units = {"k": 1024, "m": 1024 * 1024}
    return int(text[:-1]) * units[text[-1].lower()] if text[-1].isalpha() else int(text)


class SchemaFile(e2e.unittest.TestCase):
    def test_the_writers_golden_document_follows_the_schema(self):
        # The core tests' golden document has every optional field the writer knows.
        golden = os.path.join(os.path.dirname(SCHEMA_PATH), "..", "tests", "data", "reports",
                              "json", "run.json")
        with open(golden, encoding="utf-8") as f:
            load_schema().validate(json.load(f))


class JsonExport(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers()
        cls.validator = load_schema()
        cls.http = os.environ["VM_HTTP_URL"]
        cls.ftp = os.environ["VM_FTP_URL"]
        cls.data = os.environ["VM_DATA_DIR"]

    def run_json(self, app, items=None, options=None):
        """Exports the list (or the configuration already written) and validates the document."""
        if items is not None:
            app.write_config(items, options)
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/hidden")
        self.assertEqual(code, 0)
        with open(os.path.join(app.dir, "r.json"), "rb") as f:
            raw = f.read()
        self.assertEqual(raw[:1], b"{")  # no byte order mark
        document = json.loads(raw.decode("utf-8"))
        self.validator.validate(document)
        return document

    def test_every_kind_of_item_validates_and_matches_the_list(self):
        local = e2e.windows_path(os.path.join(self.data, "5m.bin"))
        items = [(f"{self.http}/5m.bin", "http"), (f"{self.http}/missing.bin", "404"),
                 (f"http://127.0.0.1:{os.environ['VM_REFUSED_PORT']}/x.bin", "refused"),
                 (f"{self.ftp}/5m.bin", "ftp"), (local, "local"),
                 (f"{self.http}/1m.bin", "off", 1)]
        options = {"DontAddDisabled": 0, "AddExportHeaderLine": 1, "Sort": 8}
        doc = self.run_json(e2e.App("json-kinds"), items, options)
        by_name = {item["name"]: item for item in doc["items"]}
        self.assertEqual([item["order"] for item in doc["items"]], [1, 2, 3, 4, 5, 6])
        self.assertEqual({n: i["status"] for n, i in by_name.items()},
                         {"http": "finished", "404": "failed", "refused": "failed",
                          "ftp": "finished", "local": "finished", "off": "disabled"})
        self.assertEqual(by_name["http"]["http_status"], 200)
        self.assertEqual(by_name["404"]["http_status"], 404)
        self.assertEqual(by_name["refused"]["error_code"], 12029)
        self.assertNotIn("http_status", by_name["ftp"])
        self.assertEqual((by_name["off"]["attempts"], by_name["off"]["enabled"]), (0, False))
        self.assertNotIn("connected", by_name["local"]["phases_ms"])
        # WinINet reports sending every request (it skips resolving and connecting for a
        # host it has just used).
        self.assertIn("request_sent", by_name["http"]["phases_ms"])
        self.assertIn("request_sent", by_name["404"]["phases_ms"])
        run_ms = (utc(doc["run_end"]) - utc(doc["run_start"])).total_seconds() * 1000
        for name in ("http", "ftp", "local"):
            with self.subTest(item=name):
                item = by_name[name]
                self.assertEqual(item["attempts"], 1)
                phases = [item["phases_ms"].get(k) for k in
                          ("name_resolved", "connected", "request_sent", "first_byte")]
                reported = [p for p in phases if p is not None]
                self.assertEqual(reported, sorted(reported))
                # The response came before the run ended.
                self.assertLessEqual(item["phases_ms"]["first_byte"], run_ms)
                self.assertLessEqual(utc(doc["run_start"]), utc(item["start_time"]))

        # The same list as a comma-delimited report: the same statuses, and bytes that are
        # the Downloaded cells times 1,024.
        code, rows = e2e.App("json-kinds-csv").export_rows(items, options=options)
        self.assertEqual(code, 0)
        for row in rows:
            with self.subTest(row=row["Name"]):
                item = by_name[row["Name"]]
                self.assertEqual(item["status_text"], row["Status"])
                if row["Downloaded"]:
                    self.assertAlmostEqual(item["bytes"], e2e.kb(row["Downloaded"]) * 1024,
                                           delta=0.05 * 1024)

    def test_steady_speed_against_a_throttled_server(self):
        # nginx lets the first second's worth through at once, then sends at the rate: the
        # average of the whole download is well above the rate, the steady speed is not.
        rate = "2m"
        url = f"{self.http}/rate/{rate}/18m.bin"
        doc = self.run_json(e2e.App("json-steady"), [(url, "throttled")],
                            {"UseAutoStopTime": 1, "AutoStopTime": 30})
        item = doc["items"][0]
        configured = rate_bytes(rate)
        print(f"\nconfigured {configured} B/s, steady {item.get('steady_bytes_per_s')} B/s, "
              f"average {item['average_bytes_per_s']} B/s", file=sys.stderr)
        self.assertEqual(item["status"], "finished")
        self.assertEqual(item["bytes"], 18 * 1024 * 1024)
        self.assertIn("steady_bytes_per_s", item)
        self.assertLess(abs(item["steady_bytes_per_s"] / configured - 1), 0.02)
        self.assertGreater(abs(item["average_bytes_per_s"] / configured - 1), 0.02)
        self.assertLessEqual(item["phases_ms"]["first_byte"], item["duration_ms"])
        samples = item["samples"]
        self.assertGreaterEqual(len(samples), 5)
        self.assertEqual([s["ms"] for s in samples], sorted(s["ms"] for s in samples))
        for s in samples:
            self.assertLessEqual(s["data_ms"], s["ms"])
            self.assertLessEqual(s["bytes"], item["bytes"])

    def test_hostile_texts_come_back_unchanged(self):
        # Quotes, backslashes, control characters and 8-bit characters of the system's
        # code page (Windows-1252 here) in a name and in a URL.
        name = b'a "quoted" \\ back\\\\slash \x01\x08\x0c\x1b\x1f\x7f\ttab caf\xe9 \x80 \xff end'
        url = f"{self.http}/missing.bin?q=\"x\"\\y".encode() + b"\xe9\x02"
        app = e2e.App("json-hostile")
        with open(app.config, "wb") as f:
            f.write(b"[General]\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=" + url +
                    b"\r\nDownloadName=" + name + b"\r\nDisabled=0\r\n")
        item = self.run_json(app)["items"][0]
        self.assertEqual(item["name"], name.decode("cp1252"))
        self.assertEqual(item["url"], url.decode("cp1252"))


if __name__ == "__main__":
    e2e.main()
