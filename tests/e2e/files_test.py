#!/usr/bin/env python3
"""The user's files under hostile command lines and configurations, end to end under Wine.

Every case runs velocimark.exe in a folder of its own, as an export run or as a normal
start and close, and compares the bytes (and the kind: link, read-only) of every file in
that folder before and after: nothing may change unless the case asked for it, and every
refusal must give its documented exit code. The items are local files, so no server is
needed. Run against an older build with --exe to see which cases it fails.
"""
import json
import os
import shutil
import stat
import subprocess
import unittest

import e2e_support as e2e

RUN_TIMEOUT = 120

REPORT_NOT_WRITTEN = 1  # ExitCode::ReportNotWritten
CONFIG_UNREADABLE = 2   # ExitCode::ConfigUnreadable
NO_EXPORT_TO_DO = 3     # ExitCode::NoExportToDo
HISTORY_NOT_WRITTEN = 5  # ExitCode::HistoryNotWritten
PUSH_FAILED = 6         # ExitCode::PushFailed
ITEM_FAILED = 10        # ExitCode::ItemFailed
HOSTILE_TIMEOUT = 60    # a case that waits this long is a hang


def snapshot(folder):
    """Every file below folder: its bytes, or where a link points, and whether read-only."""
    files = {}
    for root, dirs, names in os.walk(folder):
        for name in names + [d for d in dirs if os.path.islink(os.path.join(root, d))]:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, folder)
            if rel == "boxes.txt":
                continue
            if os.path.islink(path):
                files[rel] = ("link", os.readlink(path))
            elif stat.S_ISFIFO(os.lstat(path).st_mode):
                files[rel] = ("fifo",)  # opening it would wait for a writer
            else:
                with open(path, "rb") as f:
                    files[rel] = (f.read(), bool(os.stat(path).st_mode & stat.S_IWUSR))
    return files


def config_text(items, options=None, count=None):
    lines = ["[General]"]
    lines += [f"{k}={v}" for k, v in (options or {}).items()]
    lines.append(f"NumOfDownloads={len(items) if count is None else count}")
    for i, url in enumerate(items):
        lines += [f"[Download{i}]", f"URL={url}", f"DownloadName=item{i}", "Disabled=0"]
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


class Folder:
    """A program folder with its configuration and some local files to measure."""

    def __init__(self, name):
        self.dir = os.path.join(e2e.ARGS.work, name)
        if os.path.ismount(self.dir):
            subprocess.run(["umount", self.dir], check=False)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        shutil.copy(e2e.ARGS.exe, os.path.join(self.dir, "velocimark.exe"))
        self.config = os.path.join(self.dir, "velocimark.cfg")
        self.win = e2e.windows_path(self.dir)
        for i in range(3):
            self.write(f"data{i}.bin", bytes([i]) * 50000)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def local_items(self, n=3):
        return [f"{self.win}\\data{i}.bin" for i in range(n)]

    def run(self, *args):
        proc = subprocess.run(["wine", "velocimark.exe", *args], cwd=self.dir, env=e2e.wine_env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=RUN_TIMEOUT)
        return proc.returncode

    def run_limited(self, *args):
        """An export run that must end by itself within HOSTILE_TIMEOUT; its exit code."""
        proc = subprocess.Popen(["wine", "velocimark.exe", *args], cwd=self.dir, env=e2e.wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            return proc.wait(timeout=HOSTILE_TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise

    def run_visible(self, *args):
        """A visible run that ends by itself; its boxes are answered. Returns (exit, boxes)."""
        proc = subprocess.Popen(["wine", "velocimark.exe", *args], cwd=self.dir, env=e2e.wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self._tool("--keep")
        return proc.wait(timeout=RUN_TIMEOUT), self.boxes()

    def start_and_close(self, *args):
        """A normal start, closed as a user would; returns (exit code, box texts)."""
        proc = subprocess.Popen(["wine", "velocimark.exe", *args], cwd=self.dir, env=e2e.wine_env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        closing = self._tool()
        code = proc.wait(timeout=RUN_TIMEOUT)
        if closing != 0:
            code = ("window not closed", closing, code)
        return code, self.boxes()

    def _tool(self, *extra):
        if os.path.exists(self.path("boxes.txt")):
            os.remove(self.path("boxes.txt"))
        return subprocess.run(["wine", e2e.ARGS.close_tool, "30", "--boxes", "boxes.txt", *extra],
                              cwd=self.dir, env=e2e.wine_env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=120).returncode

    def boxes(self):
        if not os.path.exists(self.path("boxes.txt")):
            return []
        with open(self.path("boxes.txt"), "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
        os.remove(self.path("boxes.txt"))
        return lines


class FilesSurvive(unittest.TestCase):
    def assertUnchanged(self, before, after, allowed=()):
        for name in sorted(set(before) | set(after)):
            if name in allowed:
                continue
            self.assertTrue(name in after, f"{name} was removed")
            self.assertTrue(name in before, f"{name} was created")
            self.assertEqual(before[name], after[name], f"{name} changed")

    # --- Export runs: refused targets and configurations -----------------------------

    def test_export_targets_that_are_refused(self):
        """Every export switch; the target spelled in many ways; nothing written anywhere."""
        folder = Folder("targets")
        folder.write("velocimark.cfg", config_text(folder.local_items(1)))
        # The language file, as /savelangfile writes it.
        self.assertEqual(folder.run("/savelangfile"), 0)
        os.symlink("velocimark.cfg", folder.path("link.txt"))
        # A name whose first 259 characters name an existing file of the user's.
        prefix = folder.win + "\\"
        victim = "v" * (259 - len(prefix))
        folder.write(victim, b"the user's file")
        overlong = prefix + victim + "w" * 30 + ".txt"
        cases = [
            ("/stab", overlong),
            ("/sjson", overlong),
            ("/stab", "velocimark.cfg"),
            ("/stext", "VELOCIMARK.CFG"),
            ("/sjson", "velocimark.cfg"),
            ("/shtml", ".\\sub\\..\\velocimark.cfg"),
            ("/sxml", folder.win.upper() + "\\.\\velocimark.cfg"),
            ("/scomma", folder.win + "/x/..\\velocimark.cfg. "),
            ("/sverhtml", "velocimark_lng.ini"),
            ("/stabular", "velocimark.exe"),
            ("/stab", ".\\link.txt"),
        ]
        before = snapshot(folder.dir)
        for switch, target in cases:
            with self.subTest(switch=switch, target=target[-40:]):
                self.assertEqual(folder.run(switch, target, "/hidden"), REPORT_NOT_WRITTEN)
                self.assertUnchanged(before, snapshot(folder.dir))
        # /config names the file in use.
        folder.write("other.cfg", config_text(folder.local_items(1)))
        before = snapshot(folder.dir)
        self.assertEqual(folder.run("/config", "other.cfg", "/stab", ".\\OTHER.cfg", "/hidden"),
                         REPORT_NOT_WRITTEN)
        self.assertUnchanged(before, snapshot(folder.dir))
        # Visible: the same refusal, and a box that names the file.
        code, boxes = folder.run_visible("/stab", "velocimark.cfg")
        self.assertEqual(code, REPORT_NOT_WRITTEN)
        self.assertTrue(any("velocimark.cfg" in b for b in boxes), boxes)
        self.assertUnchanged(before, snapshot(folder.dir))

    def test_configurations_an_export_cannot_read(self):
        folder = Folder("unreadable-export")
        good = config_text(folder.local_items())
        long_config = folder.win + "\\" + "c" * (300 - len(folder.win))
        # The file that a cut /config name would read.
        folder.write("c" * (259 - len(folder.win) - 1), good)
        cases = [
            ("nul byte", good[:40] + b"\0" + good[40:], []),
            ("nul at the end", good + b"\0", []),
            ("too long a name", good, ["/config", long_config]),
            ("a folder", None, ["/config", "folder.cfg"]),
        ]
        os.makedirs(folder.path("folder.cfg"))
        for name, data, extra in cases:
            with self.subTest(case=name):
                if data is not None:
                    folder.write("velocimark.cfg", data)
                before = snapshot(folder.dir)
                self.assertEqual(folder.run(*extra, "/scomma", "r.csv", "/hidden"),
                                 CONFIG_UNREADABLE)
                self.assertUnchanged(before, snapshot(folder.dir))
        folder.write("velocimark.cfg", cases[0][1])
        code, boxes = folder.run_visible("/scomma", "r.csv")
        self.assertEqual(code, CONFIG_UNREADABLE)
        self.assertTrue(any("velocimark.cfg" in b and "NUL" in b for b in boxes), boxes)

    def test_sections_the_count_does_not_cover_are_run(self):
        folder = Folder("counts")
        items = folder.local_items()
        for name, count in [("too small", "1"), ("missing", None), ("negative", "-3"),
                            ("hex", "0x3")]:
            with self.subTest(count=name):
                text = config_text(items, {"DontAddDisabled": 0}, count=count or 0)
                if count is None:
                    text = text.replace(b"NumOfDownloads=0\r\n", b"")
                folder.write("velocimark.cfg", text)
                self.assertEqual(folder.run("/stab", "r.txt", "/hidden"), 0)
                report = folder.read("r.txt").decode("latin-1")
                for i in range(3):
                    self.assertIn(f"data{i}.bin", report)
                self.assertEqual(report.count("Finished"), 3)

    def test_overlong_texts_fail_and_are_never_cut(self):
        folder = Folder("longtexts")
        prefix = folder.win + "\\"
        # The first 259 characters of this path name data0-like file that exists.
        cut = "d" * (259 - len(prefix))
        folder.write(cut, b"x" * 10000)
        long_path = prefix + cut + "e" * 40
        long_url = "http://127.0.0.1:9/" + "u" * 5000
        folder.write("velocimark.cfg", config_text([long_path, long_url, folder.local_items(1)[0]],
                                                   {"ConnectTimeout": 5}))
        self.assertEqual(folder.run("/stab", "r.txt", "/hidden"), 0)
        rows = folder.read("r.txt").decode("latin-1").splitlines()
        self.assertEqual(len(rows), 3)
        status = {}
        for row in rows:  # URL, name, status ... in the list's sort order
            cells = row.split("\t")
            status[cells[1]] = (cells[0], cells[2])
        # Failed with their reasons, the whole texts in the report; never the cut file.
        self.assertEqual(status["item0"][0], long_path)
        self.assertRegex(status["item0"][1], r"^Failed .*Error 206")
        self.assertEqual(status["item1"][0], long_url)
        self.assertRegex(status["item1"][1], r"^Failed .*Error 12005")
        self.assertEqual(status["item2"][1], "Finished")
        # A normal start and close writes both back whole.
        code, boxes = folder.start_and_close()
        self.assertEqual((code, boxes), (0, []))
        saved = folder.read("velocimark.cfg").decode("latin-1")
        self.assertIn("URL=" + long_path + "\r\n", saved)
        self.assertIn("URL=" + long_url + "\r\n", saved)

    def test_a_full_disk_leaves_the_older_report_whole(self):
        if os.geteuid() != 0:
            self.skipTest("mounting a small file system needs root")
        folder = Folder("fulldisk")
        disk = folder.path("disk")
        os.makedirs(disk)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=96k", "tmpfs", disk]).returncode:
            self.skipTest("cannot mount a tmpfs here")
        try:
            items = [f"{folder.win}\\data0.bin?{i:04d}" + "p" * 150 for i in range(1000)]
            folder.write("velocimark.cfg",
                         config_text(items, {"DontAddDisabled": 0}).replace(
                             b"\r\nDisabled=0", b"\r\nDisabled=1"))
            older = b"the report of yesterday\r\n" * 100
            folder.write("disk/r.txt", older)
            before = snapshot(folder.dir)
            self.assertEqual(folder.run("/stab", folder.win + "\\disk\\r.txt", "/hidden"),
                             REPORT_NOT_WRITTEN)
            self.assertUnchanged(before, snapshot(folder.dir))
            self.assertEqual(os.listdir(disk), ["r.txt"])
        finally:
            subprocess.run(["umount", disk], check=False)

    # --- Normal start and close ------------------------------------------------------

    def test_scratch_reports_of_the_user_survive_a_normal_exit(self):
        folder = Folder("scratch")
        folder.write("velocimark.cfg", config_text(folder.local_items()))
        folder.write("testreport.txt", b"my notes")
        folder.write("testreport.html", b"<p>my page</p>")
        before = snapshot(folder.dir)
        code, boxes = folder.start_and_close()
        self.assertEqual((code, boxes), (0, []))
        self.assertUnchanged(before, snapshot(folder.dir), allowed={"velocimark.cfg"})

    def test_unreadable_configuration_is_said_and_kept(self):
        folder = Folder("unreadable-start")
        good = config_text(folder.local_items())
        for name, data in [("nul byte", good[:30] + b"\0" + good[30:]),
                           ("utf-16 without its mark", "[General]\r\n".encode("utf-16-le"))]:
            with self.subTest(case=name):
                folder.write("velocimark.cfg", data)
                before = snapshot(folder.dir)
                code, boxes = folder.start_and_close()
                self.assertEqual(code, 0)
                self.assertEqual(len(boxes), 1, boxes)
                self.assertIn((folder.win + "\\velocimark.cfg").lower(), boxes[0].lower())
                self.assertIn("NUL", boxes[0])
                self.assertIn("will not be saved", boxes[0])
                self.assertUnchanged(before, snapshot(folder.dir))

    def test_read_only_and_linked_configurations(self):
        folder = Folder("readonly")
        text = config_text(folder.local_items(), count=1)  # the save adds the other two
        folder.write("velocimark.cfg", text)
        os.chmod(folder.config, 0o444)
        before = snapshot(folder.dir)
        code, boxes = folder.start_and_close()
        self.assertEqual(code, 0)
        self.assertEqual(len(boxes), 1, boxes)
        self.assertIn("velocimark.cfg", boxes[0])
        self.assertUnchanged(before, snapshot(folder.dir))

        linked = Folder("linked")
        os.makedirs(linked.path("real"))
        linked.write("real/target.cfg", text)
        os.symlink("real/target.cfg", linked.config)
        code, boxes = linked.start_and_close()
        self.assertEqual((code, boxes), (0, []))
        self.assertTrue(os.path.islink(linked.config))
        saved = linked.read("real/target.cfg").decode("latin-1")
        self.assertIn("NumOfDownloads=3\r\n", saved)

    def test_saves_that_fail_say_so_and_near_the_bound_succeed(self):
        folder = Folder("savefail")
        missing = folder.win + "\\no such folder\\v.cfg"
        code, boxes = folder.start_and_close("/config", missing)
        self.assertEqual(code, 0)
        self.assertEqual(len(boxes), 1, boxes)
        self.assertIn(missing, boxes[0])
        # A name 2 characters short of the bound: its temporary file must still fit.
        near = folder.win + "\\" + "n" * (257 - len(folder.win) - 1)
        self.assertEqual(len(near), 257)
        code, boxes = folder.start_and_close("/config", near)
        self.assertEqual((code, boxes), (0, []))
        self.assertTrue(os.path.exists(folder.path(near[len(folder.win) + 1:])))


    # --- Hostile command lines: one table, every user file compared ---------------------

    def test_hostile_command_lines(self):
        """Each line with the exit code it must give and the files it may create; every
        other file's bytes (and read-only bit) must be as before, and no case may hang."""
        folder = Folder("hostile")
        good = config_text(folder.local_items(1))
        folder.write("velocimark.cfg", good)
        folder.write("off.cfg", config_text(folder.local_items(2)).replace(b"Disabled=0",
                                                                         b"Disabled=1"))
        folder.write("page.html", b"<p>yesterday's page</p>")
        os.chmod(folder.path("page.html"), 0o444)
        folder.write("runs.jsonl", b'{"format_version":1,"items":[]}\n')
        os.mkfifo(folder.path("h.fifo"))
        long_push = "http://127.0.0.1:9/" + "p" * 2100
        cases = [
            # The page goes through the one writer like every export.
            (["/schart", "COM1"], REPORT_NOT_WRITTEN, set()),
            (["/schart", "page.html"], REPORT_NOT_WRITTEN, set()),
            # Streams of the configuration, as every output switch.
            (["/stab", "velocimark.cfg::$DATA"], REPORT_NOT_WRITTEN, set()),
            (["/stab", "velocimark.cfg:stream"], REPORT_NOT_WRITTEN, set()),
            (["/sprom", "velocimark.cfg:m"], REPORT_NOT_WRITTEN, set()),
            (["/schart", "velocimark.cfg:p"], REPORT_NOT_WRITTEN, set()),
            (["/sjson", "r.json", "/history", "velocimark.cfg:h"], HISTORY_NOT_WRITTEN,
             {"r.json"}),
            # A switch without its value: no file named after the next switch, no wait.
            (["/sprom"], NO_EXPORT_TO_DO, set()),
            (["/push"], NO_EXPORT_TO_DO, set()),
            (["/sjson", "r.json", "/history"], NO_EXPORT_TO_DO, set()),
            (["/sprom", "/strict"], NO_EXPORT_TO_DO, set()),
            (["/sjson", "r.json", "/sprom"], NO_EXPORT_TO_DO, set()),
            # A /config that is not there runs nothing.
            (["/config", "typo.cfg", "/sjson", "r.json", "/strict"], CONFIG_UNREADABLE, set()),
            (["/config", "no folder\\c.cfg", "/sjson", "r.json"], CONFIG_UNREADABLE, set()),
            (["/config", "nul.cfg", "/sjson", "r.json"], CONFIG_UNREADABLE, set()),
            (["/config", "typo.cfg"], CONFIG_UNREADABLE, set()),
            # A run history is no configuration.
            (["/config", "runs.jsonl", "/sjson", "r.json"], CONFIG_UNREADABLE, set()),
            # Nothing tested is no success under /strict.
            (["/config", "off.cfg", "/sjson", "r.json", "/strict"], ITEM_FAILED, {"r.json"}),
            # A Pushgateway address past its bound is refused, not cut.
            (["/sjson", "r.json", "/push", long_push], PUSH_FAILED, set()),
            # Histories that never end: a device and a pipe nobody writes.
            (["/history", "Z:\\dev\\zero", "/schart", "p.html"], HISTORY_NOT_WRITTEN,
             {"p.html"}),
            (["/history", "h.fifo", "/schart", "p.html"], HISTORY_NOT_WRITTEN, {"p.html"}),
        ]
        before = snapshot(folder.dir)
        for args, expected, created in cases:
            with self.subTest(args=" ".join(args)[:80]):
                try:
                    code = folder.run_limited(*args, "/hidden")
                except subprocess.TimeoutExpired:
                    self.fail("no end within %d s" % HOSTILE_TIMEOUT)
                after = snapshot(folder.dir)
                self.assertEqual(code, expected)
                self.assertUnchanged(before, after, allowed=created)
                for name in created:
                    self.assertIn(name, after)
                    os.remove(folder.path(name))
        doc = None
        folder.run_limited("/config", "off.cfg", "/sjson", "r.json", "/strict", "/hidden")
        with open(folder.path("r.json"), encoding="utf-8") as f:
            doc = json.load(f)
        self.assertEqual([w["code"] for w in doc["warnings"]], ["nothing_tested"])

    def test_visible_starts_say_what_they_refuse(self):
        folder = Folder("hostile-visible")
        notes = b"Meeting notes\r\nTODO: ask a=b\r\n"
        folder.write("notes.txt", notes)
        folder.write("runs.jsonl", b'{"format_version":1,"items":[{"url":"http://x/?a=b"}]}\n')
        folder.write("velocimark.cfg", config_text(folder.local_items(1)))
        before = snapshot(folder.dir)

        def start_and_close_with_box(*args, allowed=()):
            # On a loaded machine the close tool can close the window before the box that
            # the window posts at its start is shown: one more try then.
            for _ in range(3):
                code, boxes = folder.start_and_close(*args)
                self.assertEqual(code, 0)
                self.assertUnchanged(before, snapshot(folder.dir), allowed)
                if boxes:
                    return boxes
            return boxes

        for name in ("notes.txt", "runs.jsonl"):
            with self.subTest(config=name):
                boxes = start_and_close_with_box("/config", name)
                self.assertEqual(len(boxes), 1, boxes)
                self.assertIn("not a configuration", boxes[0])
        # A switch without its value is named; the start goes on without it.
        boxes = start_and_close_with_box("/sprom", allowed={"velocimark.cfg"})
        self.assertTrue(any("/sprom" in b for b in boxes), boxes)
        # An export run with one does not run.
        code, boxes = folder.run_visible("/sjson", "r.json", "/history")
        self.assertEqual(code, NO_EXPORT_TO_DO)
        self.assertTrue(any("/history" in b for b in boxes), boxes)
        self.assertFalse(os.path.exists(folder.path("r.json")))


if __name__ == "__main__":
    e2e.main()
