"""What the end-to-end tests share: the Wine environment, a program folder with its
configuration (App), the skip when the local test servers are not running, and the
command line every test script takes (--exe, --close-tool, --work).

A test script imports this module as e2e, defines its unittest cases and ends with
e2e.main().
"""
import argparse
import csv
import io
import os
import shutil
import subprocess
import sys
import time
import unittest

ARGS = None
RUN_TIMEOUT = 120


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", env.get("VM_WINEPREFIX", ""))
    env["WINEARCH"] = "win32"
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    return env


def require_servers(variable="VM_HTTP_PORT"):
    """Skips the calling test (or class, from setUpClass) when the local test servers that
    set the variable are not running."""
    if variable not in os.environ:
        raise unittest.SkipTest("the local test servers are not running")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class App:
    """One program folder with its configuration."""

    def __init__(self, name):
        self.dir = os.path.join(ARGS.work, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        shutil.copy(ARGS.exe, os.path.join(self.dir, "velocimark.exe"))
        self.config = os.path.join(self.dir, "velocimark.cfg")

    def write_config(self, items, options=None, raw=None):
        lines = ["[General]"]
        for key, value in (options or {}).items():
            lines.append(f"{key}={value}")
        lines.append(f"NumOfDownloads={len(items)}")
        for i, item in enumerate(items):
            fields = list(item) if isinstance(item, tuple) else [item]
            url, name, disabled = fields + ["", "", 0][len(fields):]
            lines += [f"[Download{i}]", f"URL={url}", f"DownloadName={name}", f"Disabled={disabled}"]
        text = raw if raw is not None else "\r\n".join(lines) + "\r\n"
        with open(self.config, "w", newline="") as f:
            f.write(text)

    def run(self, *args, timeout=RUN_TIMEOUT):
        start = time.monotonic()
        proc = subprocess.run(["wine", "velocimark.exe", *args], cwd=self.dir, env=wine_env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        return proc.returncode, time.monotonic() - start

    def start(self, *args):
        return subprocess.Popen(["wine", "velocimark.exe", *args], cwd=self.dir, env=wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def close_window(self):
        # A message box the program shows is answered, its text kept in boxes.txt.
        return subprocess.run(["wine", ARGS.close_tool, "30", "--boxes", "boxes.txt"],
                              cwd=self.dir, env=wine_env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=90).returncode

    def start_and_close(self, *args, timeout=60):
        """Starts the window, closes it as a user would; returns (closing, exit) codes."""
        proc = self.start(*args)
        closing = self.close_window()
        return closing, proc.wait(timeout=timeout)

    def read(self, name, encoding="latin-1"):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read().decode(encoding)

    def export_rows(self, items, *switches, options=None):
        """Runs a comma-delimited export with a header line; returns (exit code, rows)."""
        opts = {"AddExportHeaderLine": 1, "DontAddDisabled": 1}
        opts.update(options or {})
        self.write_config(items, opts)
        code, _ = self.run("/config", "velocimark.cfg", "/scomma", "out.csv", "/hidden", *switches)
        rows = list(csv.DictReader(io.StringIO(self.read("out.csv"))))
        return code, rows


def kb(cell):
    return float(cell.split()[0])


def seconds(duration):
    h, m, s = (int(x) for x in duration.split(":"))
    return h * 3600 + m * 60 + s


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--close-tool", required=True)
    parser.add_argument("--work", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    ARGS.close_tool = os.path.abspath(ARGS.close_tool)
    ARGS.work = os.path.abspath(ARGS.work)
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=[sys.argv[0], "-v", *rest])
