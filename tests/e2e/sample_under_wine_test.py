#!/usr/bin/python3
"""End to end under Wine: the real Veltrano.exe on a fresh prefix seeded with the sample machine,
in the display the tests run in (xvfb-run around ctest). The XML report its export writes must
hold the sample's errors as its description defines them; veltrano-scan.exe, reading the same
drive through the offline adapters (the drive's hives and message files rather than Wine's
registry and FormatMessageW), must write the same report and join the same report files.

  sample_under_wine_test.py VELTRANO_EXE SCAN_EXE BUILDER_EXE PREFIX_SCRIPT MESSAGE_FILE WORK_DIR

Exits with 77 (skipped) without a display or without Wine.
"""
import glob
import json
import os
import shutil
import subprocess
import sys
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import error_report_xml  # noqa: E402
import sample_expectations as expect  # noqa: E402

VELTRANO, SCAN, BUILDER, PREFIX_SCRIPT, MESSAGES, WORK = sys.argv[1:7]
PREFIX = os.path.join(WORK, "wineprefix")
# Wine's 64-bit loader, so that Wine's own programs (cmd) are 64-bit like ours.
WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "wine64.sh")
ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
TEXT_FIELDS = ("AppName", "AppPath", "ErrorSummary", "ErrorText", "ErrorTextParams")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def wine_variables():
    """The path variables as the program's environment under Wine defines them."""
    listing = subprocess.run([WINE, "cmd", "/c", "set"], env=ENV, capture_output=True,
                             timeout=60).stdout.decode("utf-8", "replace")
    defined = {}
    for line in listing.splitlines():
        name, _, value = line.partition("=")
        defined[name.upper()] = value.strip("\r")
    variables = {}
    for name in expect.VARIABLE_ORDER:
        value = defined.get(name.strip("%").upper(), "")
        if value:
            variables[name] = value
    return variables


def wait_for_export(seconds):
    """The export's archive once it is complete; None when none comes in time."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        for archive in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "Temp", "VTDir",
                                              "*.zip")):
            try:
                with zipfile.ZipFile(archive) as z:
                    if z.testzip() is None:
                        return archive
            except (zipfile.BadZipFile, OSError):
                pass
        time.sleep(0.5)
    return None


class SampleUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        try:
            cls.run_programs()
        except BaseException:
            # unittest does not tear a class down whose set-up failed.
            cls.tearDownClass()
            raise

    @classmethod
    def run_programs(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        description = os.path.join(WORK, "sample.json")
        cls.started = time.time()
        subprocess.run([PREFIX_SCRIPT, PREFIX, BUILDER, "--describe", description], env=ENV,
                       check=True, timeout=300)
        cls.sample = expect.Sample(description, MESSAGES)
        cls.variables = wine_variables()

        window = subprocess.Popen([WINE, VELTRANO], env=ENV, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        archive = wait_for_export(120)
        cls.ended = time.time()
        if archive is not None:
            cls.archive = shutil.copy(archive, os.path.join(WORK, "window.zip"))
            cls.window_xml = shutil.copy(archive[:-4] + ".xml", os.path.join(WORK, "window.xml"))
            cls.base_name = os.path.basename(archive)[:-4]
        subprocess.run(["wineserver", "-k"], env=ENV, timeout=60)
        window.wait(timeout=60)
        if archive is None:
            raise AssertionError("Veltrano.exe wrote no export within two minutes")

        cls.scan_xml = os.path.join(WORK, "scan.xml")
        scan = subprocess.run([WINE, SCAN, "--root", "C:\\", "--interval", "all", "--format",
                               "json", "--xml", windows_path(cls.scan_xml)],
                              env=ENV, capture_output=True, timeout=180)
        if scan.returncode != 0:
            raise AssertionError("veltrano-scan.exe failed: " +
                                 scan.stderr.decode("utf-8", "replace"))
        cls.scan_report = json.loads(scan.stdout.decode("utf-8"))
        cls.scan_stdout = scan.stdout

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wineserver", "-k"], env=ENV, timeout=60)

    def test_the_scan_writes_its_line_ends_as_they_are(self):
        # The C runtime's text mode would make every LF a CR LF (and CSV's CR LF a CR CR LF).
        self.assertIn(b"\n", self.scan_stdout)
        self.assertNotIn(b"\r\n", self.scan_stdout)

    def masked(self, text):
        return error_report_xml.as_parsed(expect.mask(text, self.variables))

    def test_window_report_holds_the_sample_errors(self):
        errors = error_report_xml.read(self.window_xml)
        listed = self.sample.listed()
        self.assertEqual([(e["AppName"], e["ErrorName"]) for e in errors],
                         [(self.masked(e.AppName), e.ErrorName) for e in listed])
        self.assertEqual([e["id"] for e in errors], list(range(1, len(listed) + 1)))
        for got, e in zip(errors, listed):
            with self.subTest(error=e.key):
                self.assertEqual(got["Category"], expect.CATEGORY_TEXTS[e.Category])
                self.assertEqual(got["ErrorCount"], str(e.ErrorCount))
                self.assertEqual(got["AppPath"], self.masked(e.AppPath))
                self.assertEqual(got["ErrorSummary"], self.masked(e.ErrorSummary))
                self.assertTrue(got["LastErrorDateTime"])
                if e.MessageTemplate is not None:
                    self.assertEqual(got["ErrorText"], self.masked(e.MessageTemplate))
                    self.assertEqual(got["ErrorTextParams"], self.masked(e.ErrorTextParams))
                else:
                    self.assertIn(got["ErrorText"], [self.masked(t) for t in e.text_choices] or
                                  [self.masked(e.ErrorText or "")])

    def test_window_joins_report_files_to_their_crashes(self):
        errors = {e["AppName"]: e for e in error_report_xml.read(self.window_xml)}
        joined = [e for e in self.sample.listed() if e.joined_with is not None]
        self.assertGreaterEqual(len(joined), 7)
        for e in joined:
            with self.subTest(error=e.key):
                summary = errors[self.masked(e.AppName)]["ErrorSummary"]
                self.assertEqual(summary.split("\n")[0],
                                 expect.ui3_summary(e.joined_with.ErrorText))
                if e.Category == 4:
                    self.assertIn("\nException Code returned was 0x", summary)
                # The joined report file is not listed on its own.
                self.assertNotIn(e.joined_with.AppName, errors)

    def test_command_line_writes_the_same_report_as_the_window(self):
        # The command line masks the folders of the analysed drive; the window also those of
        # its user (and the user's and computer's names). Masked again with the window's
        # variables, both texts must agree.
        window = error_report_xml.read(self.window_xml)
        scan = error_report_xml.read(self.scan_xml)
        self.assertEqual(len(scan), len(window))
        for got, want in zip(scan, window):
            with self.subTest(error=want["AppName"]):
                self.assertEqual(set(got), set(want))
                for field, value in got.items():
                    if field in TEXT_FIELDS:
                        value = expect.mask(value, self.variables, names_in_text=True)
                    self.assertEqual(value, want[field], field)

    def test_command_line_joins_the_same_report_files(self):
        found = {(e["AppName"], e["ErrorName"]): e for e in self.scan_report["errors"]}
        self.assertEqual(len(found), len(self.sample.listed()))
        for e in self.sample.listed():
            with self.subTest(error=e.key):
                got = found[(e.AppName, e.ErrorName)]
                self.assertEqual(got["ErrorSummary"], e.ErrorSummary)
                # The window keeps the report's byte-order mark in its text; the command line
                # shows none.
                if e.joined_with is not None:
                    self.assertIn(got["ErrorText"],
                                  [t.replace("\ufeff", "") for t in e.text_choices])

    def test_a_root_whose_name_the_ansi_code_page_cannot_hold(self):
        # The prefix's logs in a drive folder of letters from three scripts: they reach the
        # program only through the UTF-16 command line.
        root = os.path.join(WORK, "Größe Ωmega ПК")
        logs = os.path.join(PREFIX, "drive_c", "windows", "system32", "winevt", "Logs")
        shutil.rmtree(root, ignore_errors=True)
        shutil.copytree(logs, os.path.join(root, "Windows", "System32", "winevt", "Logs"))
        scan = subprocess.run([WINE, SCAN, "--root", windows_path(root), "--interval", "all",
                               "--format", "json"], env=dict(ENV, LC_ALL="C.UTF-8"),
                              capture_output=True, timeout=180)
        self.assertEqual(scan.returncode, 0, scan.stderr.decode("utf-8", "replace"))
        report = json.loads(scan.stdout.decode("utf-8"))
        self.assertEqual({l["outcome"] for l in report["sources"]["logs"]}, {"read"})
        counts = lambda r: {(e["AppName"], e["ErrorName"]): e["ErrorCount"]  # noqa: E731
                            for e in r["errors"] if e["Category"] != 1}
        self.assertGreater(len(counts(report)), 5)
        self.assertEqual(counts(report), counts(self.scan_report))

    def test_export_archive_holds_the_report_under_its_time(self):
        filetime = int(self.base_name)
        unix = (filetime - expect.EPOCH_1970) / expect.TICKS_PER_SECOND
        self.assertGreaterEqual(unix, self.started - 1)
        self.assertLessEqual(unix, self.ended + 1)
        with zipfile.ZipFile(self.archive) as z:
            self.assertEqual(z.namelist(), [self.base_name + ".xml"])
            self.assertEqual(z.read(self.base_name + ".xml"), read_bytes(self.window_xml))


if __name__ == "__main__":
    if not os.environ.get("DISPLAY"):
        print("no display: run the Windows tests under xvfb-run")
        sys.exit(77)
    if shutil.which("wine") is None:
        print("no wine")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0]] + sys.argv[7:], verbosity=2)
