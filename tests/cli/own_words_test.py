#!/usr/bin/python3
"""veltrano-scan on what users usually bring: exported logs without their drive, a drive without
its registry, report folders with a queue beside the archive, and wrong input.

- The crash and hang records of the shared real logs, read by python-evtx: the facts the scan
  takes from their strings are those the published message texts put on their lines (by insert
  number), and the report identifier is the one the same log's Windows Error Reporting record
  names for that crash.
- The bundled sample machine with its registry and message files removed: the same crashes with
  the same facts, joined to the same reports, their rows showing the records' own strings (in
  headless Chromium), and --message-stats naming the missing registry.
- Real report folders in a ReportArchive and a ReportQueue: a report in both counts once.

  own_words_test.py VELTRANO_SCAN SAMPLE_BUILDER SAMPLES_DIR WORK_DIR [unittest arguments]
"""
import collections
import glob
import html
import json
import os
import re
import shutil
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

import Evtx.Evtx as evtx

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from headless_chromium import HeadlessChromium  # noqa: E402

SCAN, BUILDER, SAMPLES, WORK = sys.argv[1:5]
NOW = "2026-12-09T00:00:00Z"
EVENT = "{http://schemas.microsoft.com/win/2004/08/events/event}"
GUID = re.compile(r"^[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}$")
HEX8 = re.compile(r"^[0-9a-fA-F]{8}$")
HEX = re.compile(r"^[0-9a-fA-F]{1,16}$")
PATH = re.compile(r"^([A-Za-z]:\\|\\\\)")
VERSION = re.compile(r"^[0-9.]+$")
STRING_ITEM = re.compile(r"<string>(.*?)</string>", re.S)
CATEGORIES = {"Application Error": 4, "Application Hang": 3}


def skip_or_fail(why):
    # Where no test may skip (the project's CI), what is missing fails the test instead.
    if os.environ.get("VELTRANO_NO_SKIPS") == "1":
        raise AssertionError(why + " (VELTRANO_NO_SKIPS=1: no test may skip here)")
    raise unittest.SkipTest(why)


def need_samples():
    if not os.path.isdir(os.path.join(SAMPLES, "evtx")):
        skip_or_fail("no shared samples at " + SAMPLES)


def run(*args):
    env = dict(os.environ, TZ="UTC", LANG="C.UTF-8")
    return subprocess.run([SCAN, "--now", NOW] + list(args), capture_output=True, env=env,
                          timeout=300)


def scan_json(*args):
    """The JSON report, and what a table run says on standard error (a JSON run off a terminal
    keeps its facts to the report's "sources")."""
    result = run("--format", "json", "--interval", "all", *args)
    if result.returncode != 0:
        raise AssertionError(result.stderr.decode())
    table = run(*args)
    return json.loads(result.stdout), table.stderr.decode()


def shaped(value, pattern, prefix=""):
    return prefix + value if pattern.match(value) else ""


def facts_from_message_layout(source, strings):
    """What the published message texts of the two events put on their lines, by insert number:
    crash (13 strings from Windows 7, 15 from Windows 8) "Faulting module name: %4, version: %5",
    "Exception code: 0x%7", "Fault offset: 0x%8", "Faulting application path: %11",
    "Report Id: %13"; hang (7, 9 or 10) "Application Path: %6", "Report Id: %7"."""
    s = strings
    if source == "Application Error" and len(s) >= 13:
        return {"AppPath": shaped(s[10], PATH), "ExceptionCode": shaped(s[6], HEX8, "0x"),
                "ReportId": shaped(s[12], GUID), "FaultModule": s[3],
                "FaultModuleVersion": shaped(s[4], VERSION), "FaultOffset": shaped(s[7], HEX, "0x")}
    if source == "Application Hang" and len(s) >= 7:
        return {"AppPath": shaped(s[5], PATH), "ReportId": shaped(s[6], GUID),
                "ExceptionCode": "", "FaultModule": ""}
    return {}


def read_records(path):
    """(source, event id, time, strings) of every record python-evtx reads."""
    records = []
    with evtx.Evtx(path) as log:
        for record in log.records():
            try:
                root = ET.fromstring(record.xml())
            except Exception:  # the forwarded record python-evtx cannot render
                continue
            system = root.find(EVENT + "System")
            provider = system.find(EVENT + "Provider")
            source = provider.get("EventSourceName") or provider.get("Name")
            data = root.find(EVENT + "EventData")
            strings = []
            for d in data.findall(EVENT + "Data") if data is not None else []:
                # A classic source's strings stored as one array value: python-evtx writes each
                # as a <string> element inside the one Data.
                items = STRING_ITEM.findall(d.text or "")
                strings += [html.unescape(i) for i in items] if items else [d.text or ""]
            records.append((source, int(system.findtext(EVENT + "EventID")),
                            system.find(EVENT + "TimeCreated").get("SystemTime"), strings))
    return records


def real_machines():
    found = collections.defaultdict(list)
    for path in sorted(glob.glob(os.path.join(SAMPLES, "evtx", "*.evtx"))):
        m = re.fullmatch(r"DAM_(.+)__(Application|System)\.evtx", os.path.basename(path))
        if m:
            found[m[1]].append(path)
    return found


class RealLogsWithoutTheirDrive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        need_samples()
        os.makedirs(WORK, exist_ok=True)

    def test_crash_facts_come_from_the_strings_and_join_the_reports_they_name(self):
        crashes_seen = joined = 0
        for machine, logs in real_machines().items():
            with self.subTest(machine=machine):
                report, stderr = scan_json(*[a for log in logs for a in ("--log", log)])
                self.assertIn("Registry: no SYSTEM and no SOFTWARE hive", stderr)
                self.assertEqual(report["sources"]["missingHives"], ["SYSTEM", "SOFTWARE"])
                self.assertEqual(sorted(l["path"] for l in report["sources"]["logs"]),
                                 sorted(logs))
                # Crash, hang and report records are written to the Application log.
                records = [r for log in logs if log.endswith("__Application.evtx")
                           for r in read_records(log)]
                # The report each Windows Error Reporting record names for a crashed program:
                # "Event Name: %3", "P1: %6" (the program), "Report Id: %20".
                named = {(r[3][5], r[3][19]) for r in records
                         if r[0] == "Windows Error Reporting" and r[1] == 1001
                         and len(r[3]) >= 20 and r[3][2] in ("APPCRASH", "AppHangB1")}
                errors = {e["AppName"]: e for e in report["errors"]}
                for source, event_id in (("Application Error", 1000), ("Application Hang", 1002)):
                    mine = [r for r in records if r[0] == source and r[1] == event_id]
                    latest = {}
                    for r in sorted(mine, key=lambda r: r[2]):
                        latest[source + ": " + r[3][0][:108] if r[3] and r[3][0] else source] = r
                    for name, r in latest.items():
                        crashes_seen += 1
                        entry = errors[name]
                        self.assertEqual(entry["Category"], CATEGORIES[source])
                        self.assertIsNone(entry["ErrorText"])
                        self.assertEqual(entry["MissingText"], "no registry on the drive")
                        self.assertEqual(entry["InsertionStrings"], r[3])
                        want = facts_from_message_layout(source, r[3])
                        self.assertTrue(want, "a layout of %d strings" % len(r[3]))
                        self.assertEqual({k: entry[k] for k in want}, want, name)
                        if (r[3][0], want["ReportId"]) in named:
                            joined += 1
        # The shared Server 2012 R2 machine's spoolsv.exe crash and its report.
        self.assertGreaterEqual(crashes_seen, 1)
        self.assertGreaterEqual(joined, 1)

    def test_the_page_shows_the_records_own_strings(self):
        logs = real_machines()["Win2012R2_StolenSzechuan"]
        page = os.path.join(WORK, "own-words.html")
        result = run("--html", page, *[a for log in logs for a in ("--log", log)])
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        with HeadlessChromium(window=(1280, 900)) as browser:
            browser.open(page)
            self.assertEqual(browser.evaluate("document.body.dataset.ready"), "1")
            header = browser.evaluate("document.body.innerText")
            self.assertIn("no SYSTEM and no SOFTWARE hive", header)
            detail = browser.evaluate("""(() => {
                const row = [...document.querySelectorAll('[data-entry]')]
                    .find((r) => r.textContent.includes('Application Error: spoolsv.exe'));
                row.click();
                return document.querySelector('#details pre.detail').textContent;
            })()""")
        self.assertIn("The source's message text is not on this drive: the drive has no registry",
                      detail)
        self.assertIn("%7: c0000005", detail.replace("\r\n", "\n").split("\n"))
        self.assertIn("%13: 56b7eab8-fa28-11ea-80bf-000c29e184e6", detail.splitlines())


class SampleWithoutItsRegistry(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.full = os.path.join(WORK, "sample")
        shutil.rmtree(cls.full, ignore_errors=True)
        subprocess.run([BUILDER, "--out", cls.full, "--now", NOW], check=True, timeout=120,
                       capture_output=True)
        # A triage collection of the same machine: its logs and report folders, no hives and no
        # message files.
        cls.bare = os.path.join(WORK, "sample-collection")
        shutil.rmtree(cls.bare, ignore_errors=True)
        shutil.copytree(cls.full, cls.bare)
        for pattern in ("Windows/System32/config/*", "Windows/**/*.dll", "Windows/**/*.mui",
                        "Windows/**/*.mun"):
            for path in glob.glob(os.path.join(cls.bare, pattern), recursive=True):
                os.remove(path)

    def test_the_same_crashes_with_the_same_facts_join_the_same_reports(self):
        told, _ = scan_json("--root", self.full)
        own, stderr = scan_json("--root", self.bare)
        self.assertIn("Registry: no SYSTEM and no SOFTWARE hive", stderr)
        crashes = [e for e in told["errors"] if e["Category"] in (3, 4)]
        self.assertGreaterEqual(len(crashes), 5)
        theirs = {e["AppName"]: e for e in own["errors"]}
        for e in crashes:
            with self.subTest(error=e["AppName"]):
                self.assertIsNotNone(e["ErrorText"])
                mine = theirs[e["AppName"]]
                self.assertIsNone(mine["ErrorText"])
                for field in ("AppPath", "ReportId", "ExceptionCode", "FaultModule",
                              "FaultModuleVersion", "FaultOffset", "ErrorCount",
                              "InsertionStrings"):
                    self.assertEqual(mine[field], e[field], field)
                # The facts the message text gave are those its strings give.
                want = facts_from_message_layout(e["AppName"].split(":")[0],
                                                 e["InsertionStrings"])
                self.assertEqual({k: e[k] for k in want}, want)
        # The same report files are joined: the same ones stay listed.
        listed = lambda r: sorted((e["AppName"], e["ErrorName"], e["ErrorCount"])  # noqa: E731
                                  for e in r["errors"] if e["Category"] == 1)
        self.assertEqual(listed(own), listed(told))
        self.assertEqual(own["totalErrors"], told["totalErrors"])

    def test_message_stats_name_the_missing_registry(self):
        result = run("--root", self.bare, "--message-stats", "--format", "json")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        total = json.loads(result.stdout)["total"]
        self.assertGreater(total["errors"], 100)
        self.assertEqual(total["noRegistry"], total["errors"])
        self.assertEqual(total["notRegistered"], 0)
        self.assertIn(b"Registry: no SYSTEM and no SOFTWARE hive", result.stderr)


class ReportQueues(unittest.TestCase):
    """The real Windows 10 report folders: two reports of each of two problems."""

    @classmethod
    def setUpClass(cls):
        need_samples()
        source = os.path.join(SAMPLES, "wer", "DAM_Win10_RathbunVM")
        folders = sorted(os.listdir(source))
        by_id = {f.rsplit("_", 1)[-1]: f for f in folders}
        cls.ids = {}
        for name in folders:
            with open(os.path.join(source, name, "Report.wer"), "rb") as f:
                text = f.read().decode("utf-16")
            keys = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
            cls.ids[name] = (keys["AppName"], keys["FriendlyEventName"], keys["ReportIdentifier"])
        wcp1371 = by_id["4318f466-4848-4745-bb07-3d7718c6d5df"]
        wcp1525 = by_id["f645636f-91b0-4fa5-8f72-f4c27e9e99ce"]
        store_a = by_id["2a4190e6-61ae-491a-a9e1-60a1eea50d0d"]
        store_b = by_id["28961b78-8919-41e1-9d52-b51e097f127a"]
        wer = "Microsoft/Windows/WER"
        user_wer = "Users/anna/AppData/Local/Microsoft/Windows/WER"
        # One report in the archive and, not yet cleaned up, still in the queue; one in the
        # queue only; the other problem's two in the machine's and a user's archive.
        cls.placement = [("ProgramData/%s/ReportArchive" % wer, wcp1371),
                         ("ProgramData/%s/ReportQueue" % wer, wcp1371),
                         ("ProgramData/%s/ReportQueue" % wer, wcp1525),
                         ("ProgramData/%s/ReportArchive" % wer, store_a),
                         ("%s/ReportArchive" % user_wer, store_b)]
        cls.drive = os.path.join(WORK, "queued-drive")
        shutil.rmtree(cls.drive, ignore_errors=True)
        for where, name in cls.placement:
            shutil.copytree(os.path.join(source, name), os.path.join(cls.drive, where, name))
        os.makedirs(os.path.join(cls.drive, "Windows", "System32"))
        # The same folders given as a WER folder of their own.
        cls.given = os.path.join(WORK, "given-wer")
        shutil.rmtree(cls.given, ignore_errors=True)
        for where, name in cls.placement[:4]:
            shutil.copytree(os.path.join(source, name),
                            os.path.join(cls.given, os.path.basename(where), name))

    def expected(self, placement):
        """{(AppName, FriendlyEventName): (count, queued)}: each report identifier once, queued
        when no archive holds it."""
        archived = {self.ids[n][2] for w, n in placement if w.endswith("ReportArchive")}
        reports = {}
        for where, name in placement:
            app, event, rid = self.ids[name]
            reports.setdefault((app, event), {})[rid] = rid not in archived
        return {k: (len(v), int(any(v.values()))) for k, v in reports.items()}

    def reports_of(self, report):
        return {(e["AppName"], e["ErrorName"]): (e["ErrorCount"], e["Queued"])
                for e in report["errors"] if e["Category"] == 1}

    def test_a_report_in_queue_and_archive_counts_once_and_queued_ones_are_marked(self):
        report, _ = scan_json("--root", self.drive)
        want = self.expected(self.placement)
        self.assertEqual(self.reports_of(report), want)
        self.assertIn((2, 1), want.values())  # the check can fail: one problem is queued
        self.assertIn((2, 0), want.values())

    def test_report_folders_given_directly(self):
        report, _ = scan_json("--reports", self.given)
        self.assertEqual(self.reports_of(report), self.expected(self.placement[:4]))
        queue = os.path.join(self.given, "ReportQueue")
        report, _ = scan_json("--reports", queue)
        self.assertEqual({v[1] for v in self.reports_of(report).values()}, {1})


class WrongInput(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        need_samples()
        cls.drive = os.path.join(WORK, "wrong")
        shutil.rmtree(cls.drive, ignore_errors=True)
        cls.logs = os.path.join(cls.drive, "Windows", "System32", "winevt", "Logs")
        os.makedirs(cls.logs)
        shutil.copy(os.path.join(SAMPLES, "evtx", "DAM_Win2012R2_StolenSzechuan__Application.evtx"),
                    os.path.join(cls.logs, "Application.evtx"))
        cls.noise = os.path.join(WORK, "noise", "System.evtx")
        os.makedirs(os.path.dirname(cls.noise), exist_ok=True)
        with open(cls.noise, "wb") as f:
            f.write(bytes((i * 7919 + 13) % 251 for i in range(17 * 65536 + 4096)))

    def test_random_bytes_named_like_a_log_are_not_an_event_log(self):
        result = run("--log", self.noise)
        self.assertEqual(result.returncode, 1)
        self.assertIn("System: %s is not an event log (no file header), skipped" % self.noise,
                      result.stderr.decode())
        self.assertNotIn("damaged chunk", result.stderr.decode())

    def test_a_root_that_is_no_drive_says_what_to_give(self):
        log = os.path.join(self.logs, "Application.evtx")
        result = run("--root", log)
        self.assertEqual(result.returncode, 2)
        self.assertIn("is a file: --root takes the folder that stands for C:\\", result.stderr.decode())
        self.assertIn("--log " + log, result.stderr.decode())
        result = run("--root", self.logs)
        self.assertEqual(result.returncode, 2)
        self.assertIn("lies inside a drive: give --root " + self.drive, result.stderr.decode())
        self.assertIn("--log " + log, result.stderr.decode())

    def test_a_log_of_another_channel_or_twice_is_refused(self):
        security = os.path.join(SAMPLES, "evt", "evt-parser__Security.evt")
        renamed = os.path.join(WORK, "noise", "SecEvent.evt")
        shutil.copy(security, renamed)
        result = run("--log", renamed)
        self.assertEqual(result.returncode, 2)
        self.assertIn("cannot tell which log it is", result.stderr.decode())
        app = os.path.join(self.logs, "Application.evtx")
        result = run("--log", app, "--log", app)
        self.assertEqual(result.returncode, 2)
        self.assertIn("a second Application log", result.stderr.decode())


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
