#!/usr/bin/env python3
"""Which server answered, end to end under Wine: the /sjson "server" object and the /sprom
info series, against nginx locations that add cache headers, over http, https, ::1 and ftp.

Runs like e2e_test.py (same arguments, same servers)."""
import os
import re

import e2e_support as e2e
import json_test


class PathIdentity(e2e.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        e2e.require_servers("VM_HTTP_URL")
        http, https, ftp = (os.environ[k] for k in ("VM_HTTP_URL", "VM_HTTPS_URL", "VM_FTP_URL"))
        items = [(f"{http}/hit/200k.bin", "hit"), (f"{http}/miss/200k.bin", "miss"),
                 (f"{https}/hit/200k.bin", "https"), (f"{http}/longheader/empty.bin", "long"),
                 (f"{ftp}/200k.bin", "ftp")]
        if os.environ.get("VM_HTTP_IPV6") == "1":
            items.append((f"http://[::1]:{os.environ['VM_HTTP_PORT']}/hit/200k.bin", "ipv6"))
        app = e2e.App("path-identity")
        app.write_config(items)
        code, _ = app.run("/config", "velocimark.cfg", "/sjson", "r.json", "/sprom", "r.prom",
                          "/hidden")
        assert code == 0, code
        with open(os.path.join(app.dir, "r.json"), encoding="utf-8") as f:
            cls.document = json_test.json.load(f)
        with open(os.path.join(app.dir, "r.prom"), encoding="utf-8") as f:
            cls.metrics = f.read()
        cls.items = {item["name"]: item for item in cls.document["items"]}

    def test_the_document_validates(self):
        json_test.load_schema().validate(self.document)
        for item in self.items.values():
            self.assertEqual(item["status"], "finished", item["name"])

    def test_address_version_and_cache_headers_over_http_and_https(self):
        for name, cache in (("hit", "HIT"), ("miss", "MISS"), ("https", "HIT")):
            server = self.items[name]["server"]
            self.assertEqual(server["address"], "127.0.0.1", name)
            self.assertEqual(server["family"], "ipv4", name)
            self.assertEqual(server["http_version"], "HTTP/1.1", name)
            self.assertEqual(server["headers"]["x-cache"], cache, name)
            self.assertEqual(server["headers"]["content-type"], "application/octet-stream")
        self.assertEqual(self.items["hit"]["server"]["headers"]["via"], "1.1 edge-a")
        self.assertNotIn("via", self.items["miss"]["server"]["headers"])
        self.assertEqual(self.items["hit"]["server"]["headers"]["server"], "nginx")
        # Where the library tells the secure connection, both parts are there.
        https = self.items["https"]["server"]
        self.assertEqual("tls_protocol" in https, "tls_cipher" in https)

    def test_a_header_of_10000_characters_is_cut(self):
        self.assertEqual(self.items["long"]["server"]["headers"]["x-cache"], "L" * 255)

    def test_ftp_has_the_address_only(self):
        server = self.items["ftp"]["server"]
        self.assertEqual(server["address"], "127.0.0.1")
        self.assertEqual(server["headers"], {})
        self.assertNotIn("http_version", server)

    def test_ipv6(self):
        if "ipv6" not in self.items:
            self.skipTest("the loopback has no ::1")
        server = self.items["ipv6"]["server"]
        self.assertEqual((server["address"], server["family"]), ("::1", "ipv6"))

    def test_prometheus_info_series(self):
        lines = [l for l in self.metrics.splitlines() if l.startswith("velocimark_download_info{")]
        hit = [l for l in lines if 'name="hit"' in l]
        self.assertEqual(len(hit), 1, lines)
        self.assertRegex(hit[0], r'address="127\.0\.0\.1",http_version="HTTP/1\.1",'
                                 r'cache="HIT"\} 1$')
        self.assertTrue(any(re.search(r'name="ftp".*cache=""\} 1$', l) for l in lines), lines)


if __name__ == "__main__":
    e2e.main()
