#!/usr/bin/env python3
"""FTP export runs leave nothing behind: no cache copy in the prefix, no busy Wine server.

Wine's library writes every FTP download into the prefix's INetCache, in spite of the
no-cache flags, and a process that ends while an FTP close is under way leaves the Wine
server spinning on one core for good. Each case runs a whole FTP download as an export
run and then looks at the prefix's cache folder and at the CPU time of the prefix's Wine
server. Runs alone (RUN_SERIAL): other programs in the prefix would keep its server busy.
"""
import glob
import os
import shutil
import subprocess
import time
import unittest

import e2e_support as e2e
from e2e_support import require_servers, wine_env

RUN_TIMEOUT = 300
# How long after the end of a run the server is watched, and the share of one core it may
# use meanwhile: an idle server uses almost none, a spinning one all it can get.
SETTLE_SECONDS = 2.0
WATCH_SECONDS = 3.0
BUSY_SHARE = 0.05



def prefix():
    return wine_env()["WINEPREFIX"]


def cache_files():
    """Every file in the prefix's Internet cache folders but their indexes."""
    found = set()
    for root in glob.glob(os.path.join(prefix(), "drive_c", "users", "*", "**", "INetCache"),
                          recursive=True):
        for folder, _, names in os.walk(root):
            found.update(os.path.join(folder, n) for n in names if n != "index.dat")
    return found


def server_pids():
    """The Wine server processes of this prefix: their working folder is named after the
    prefix's device and inode."""
    st = os.stat(prefix())
    folder = "server-%x-%x" % (st.st_dev, st.st_ino)
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if (open(f"/proc/{entry}/comm").read().startswith("wineserver")
                    and os.path.basename(os.readlink(f"/proc/{entry}/cwd")) == folder):
                pids.append(int(entry))
        except OSError:
            pass
    return pids


def cpu_seconds(pid):
    try:
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def busiest_server_share(seconds):
    """The largest share of one core that a server of the prefix used over the time."""
    before = {pid: cpu_seconds(pid) for pid in server_pids()}
    time.sleep(seconds)
    return max([(cpu_seconds(pid) - used) / seconds for pid, used in before.items()] or [0.0])


class FtpExportLeavesNothingBehind(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_servers("VM_FTP_URL")
        big = os.environ.get("VM_BIG_FILES") == "1"
        # A long download leaves the server spinning in about two of five runs without
        # the clean exit; a short one seldom does.
        cls.url = os.environ["VM_FTP_URL"] + ("/big/1g.bin" if big else "/5m.bin")
        cls.runs = 3 if big else 5

    def run_export(self, folder):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(e2e.ARGS.exe, os.path.join(folder, "velocimark.exe"))
        with open(os.path.join(folder, "velocimark.cfg"), "w", newline="") as f:
            f.write("[General]\r\nUseAutoStopTime=0\r\nNumOfDownloads=1\r\n"
                    f"[Download0]\r\nURL={self.url}\r\nDownloadName=\r\nDisabled=0\r\n")
        proc = subprocess.run(["wine", "velocimark.exe", "/config", "velocimark.cfg",
                               "/stext", "out.txt", "/hidden"], cwd=folder, env=wine_env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=RUN_TIMEOUT)
        with open(os.path.join(folder, "out.txt"), encoding="latin-1") as f:
            report = f.read()
        return proc.returncode, report

    def test_no_cache_copy_and_an_idle_server_after_each_run(self):
        share = busiest_server_share(WATCH_SECONDS)
        self.assertLess(share, BUSY_SHARE,
                        "the Wine server was busy before the first run: another program "
                        "of this prefix left it spinning")
        for run in range(self.runs):
            before = cache_files()
            code, report = self.run_export(os.path.join(e2e.ARGS.work, f"run{run}"))
            left = sorted(cache_files() - before)
            for path in left:  # the copies of a failing build must not fill the disk
                os.remove(path)
            time.sleep(SETTLE_SECONDS)
            share = busiest_server_share(WATCH_SECONDS)
            with self.subTest(run=run, check="report"):
                self.assertEqual(code, 0)
                self.assertIn("Finished", report)
            with self.subTest(run=run, check="cache"):
                self.assertEqual(left, [])
            with self.subTest(run=run, check="server"):
                self.assertLess(share, BUSY_SHARE,
                                f"the Wine server used {share:.0%} of a core after the run")
                if share >= BUSY_SHARE:
                    return  # it spins for good: later runs would tell nothing


if __name__ == "__main__":
    e2e.main()
