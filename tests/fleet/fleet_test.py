#!/usr/bin/python3
"""veltrano-scan over a fleet, loaded into a ClickHouse server of the test's own, against what
scans of each machine on its own say: three sample machines of different names and errors, and a
collector whose ForwardedEvents log (read independently with python-evtx) holds the records of
two more computers, other logs and records without a computer. Every NDJSON line is validated
against the JSON Schema in docs/; every fleet view is compared with numbers derived from the
single-machine scans, before and after a second scan with a later --now. Loading lines again
(a whole file, a part of it, an overlapping file) changes no table and no view. Scan lines, made
from what the single-machine scans say they read, name the machines that could not be read or
were not scanned. Then the bad input: unreadable machine folders, two folders of one computer
name, a damaged ForwardedEvents chunk, lines of an unknown schema.

  fleet_test.py VELTRANO_SCAN SAMPLE_BUILDER SOURCE_DIR WORK_DIR [unittest arguments]
"""
import collections
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import unittest
import zlib
import xml.etree.ElementTree as ET

import jsonschema
import Evtx.Evtx as evtx

SCAN, BUILDER, SOURCE, WORK = sys.argv[1:5]
sys.path.insert(0, os.path.join(SOURCE, "tools", "fleet"))
from clickhouse_server import ClickHouseServer  # noqa: E402
SCHEMA_FILE = os.path.join(SOURCE, "docs", "fleet-schema.json")
SQL_FILE = os.path.join(SOURCE, "tools", "fleet", "clickhouse", "schema.sql")
LOAD = os.path.join(SOURCE, "tools", "fleet", "load.sh")
NOW = "2026-12-08T12:00:00Z"
LATER = "2026-12-09T12:00:00Z"
FOLDER_MACHINES = {"pc-a": ("PC-A", 1), "pc-b": ("PC-B", 2), "pc-c": ("PC-C", 3)}
SENDERS = {"FWD-1": 4, "FWD-2": 5}
COLLECTOR = ("COLLECTOR", 7)
PERIODS = {"week": "WeekCount", "month": "MonthCount", "6months": "HalfYearCount",
           "all": "ErrorCount"}
EXTRA_KEYS = ("Schema", "Machine", "ScanTime")
VIEWS = ("recent_scans", "recent", "latest", "previous_scans", "top_errors", "error_machines",
         "new_errors", "last_scans", "failed_scans", "stale_machines")
# The columns of a crash dump's fields and their defaults, which lines before veltrano-fleet-4
# leave them at.
DUMP_DEFAULTS = {
    "DumpFile": "", "DumpJoin": "", "DumpCount": 0, "DumpException": "",
    "DumpExceptionName": "", "DumpFaultModule": "", "DumpFaultModuleVersion": "",
    "DumpFaultOffset": "", "FaultAgreement": "", "CrashSignature": "", "CrashSignatureHash": "",
    "CrashFrames": [], "CrashFrameSources": [], "DumpOsVersion": "", "DumpProcessId": None,
    "BugCheckCode": "", "BugCheckName": "", "BugCheckParameters": [], "BugCheckDriver": "",
    "FoldedRecords": 0}


def without_dumps(line):
    """A line as a scan before veltrano-fleet-4 wrote it: no dump fields."""
    return {k: v for k, v in line.items() if k not in DUMP_DEFAULTS and k != "DumpModules"}

ISO_TIME = re.compile(r"^(\d{4}-\d\d-\d\d)T(\d\d:\d\d:\d\d)Z$")
EVENT_NS = "{http://schemas.microsoft.com/win/2004/08/events/event}"


def run(*args):
    env = dict(os.environ, TZ="UTC", LANG="C.UTF-8")
    return subprocess.run([SCAN] + list(args), capture_output=True, env=env, timeout=300)


def build(folder, computer, seed, now, *extra):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([BUILDER, "--out", folder, "--now", now, "--computer", computer,
                    "--seed", str(seed)] + list(extra), check=True, timeout=120)


def key(error):
    return error["AppName"] + "_" + error["ErrorName"]


def comparable(row):
    """A line or a row of JSONEachRow as a text to compare: ClickHouse gives times back without
    T and Z, and 64-bit integers quoted, so times are written its way and integers as texts."""
    def value(v):
        if isinstance(v, list):
            return [value(e) for e in v]
        if isinstance(v, int):
            return str(v)
        if isinstance(v, str):
            return ISO_TIME.sub(r"\1 \2", v)
        return v
    return json.dumps({k: value(v) for k, v in row.items()}, sort_keys=True)


SCAN_SCHEMA = "veltrano-fleet-scan-1"


def scan_facts(report):
    """What a machine's scan line must say of it, from its single-machine JSON scan (--interval
    all): the facts of its logs, its errors, its registry, and whether it was read whole."""
    logs = report["sources"]["logs"]
    whole = all(l["outcome"] == "read" and not (l["damagedChunks"] or l["damagedRecords"]
                                                  or l["truncated"]) for l in logs)
    anything = any(l["outcome"] == "read" for l in logs) or \
        any(e["Category"] == 1 for e in report["errors"])
    return {
        "Status": "read" if whole else "damaged" if anything else "nothing readable",
        "Errors": len(report["errors"]), "Registry": int(not report["sources"]["missingHives"]),
        "Logs": [l["log"] for l in logs], "LogPaths": [l["path"] for l in logs],
        "LogOutcomes": [l["outcome"] for l in logs], "LogRecords": [l["records"] for l in logs],
        "LogOldest": [l["oldest"] for l in logs], "LogNewest": [l["newest"] for l in logs],
        "LogDamagedChunks": [l["damagedChunks"] for l in logs],
        "LogDamagedRecords": [l["damagedRecords"] for l in logs],
        "LogTruncated": [int(l["truncated"]) for l in logs],
    }


def hand_made_scan_line(machine, now, status):
    """A scan line of a machine no sample drive gives: one that read nothing, or one whose logs
    were damaged and cut short."""
    line = {
        "Schema": SCAN_SCHEMA, "Machine": machine,
        "Folder": "/srv/triage/" + machine.lower(), "ScanTime": now, "Status": status,
        "Errors": 0, "Registry": 0, "Logs": ["Application", "System"],
        "LogPaths": ["C:\\Windows\\System32\\winevt\\Logs\\%s.evtx" % log
                     for log in ("Application", "System")],
        "LogOutcomes": ["unreadable", "no file"], "LogRecords": [0, 0],
        "LogOldest": [None, None], "LogNewest": [None, None], "LogDamagedChunks": [0, 0],
        "LogDamagedRecords": [0, 0], "LogTruncated": [0, 0],
        "ReportFolders": [], "ReportFolderQueued": [], "ReportFolderReports": [],
    }
    if status == "damaged":
        line.update({
            "Errors": 3, "Registry": 1, "LogOutcomes": ["read", "read"], "LogRecords": [412, 0],
            "LogOldest": ["2026-10-01T08:00:00Z", None],
            "LogNewest": ["2026-12-07T18:30:00Z", None], "LogDamagedChunks": [2, 0],
            "LogDamagedRecords": [5, 0], "LogTruncated": [0, 1],
            "ReportFolders": ["C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportQueue"],
            "ReportFolderQueued": [1], "ReportFolderReports": [2]})
    return line


def forwarded_records(path):
    """(chunk number, channel, computer, level) of every record, read by python-evtx."""
    records = []
    with evtx.Evtx(path) as log:
        for number, chunk in enumerate(log.chunks()):
            for record in chunk.records():
                system = ET.fromstring(record.xml()).find(EVENT_NS + "System")
                records.append((number, system.findtext(EVENT_NS + "Channel") or "",
                                system.findtext(EVENT_NS + "Computer") or "",
                                int(system.findtext(EVENT_NS + "Level"))))
    return records


class Fleet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        cls.fleet = os.path.join(WORK, "fleet")
        for folder, (computer, seed) in FOLDER_MACHINES.items():
            build(os.path.join(cls.fleet, folder), computer, seed, NOW)
        os.makedirs(os.path.join(cls.fleet, "not-a-machine", "Documents"))
        with open(os.path.join(cls.fleet, "inventory.txt"), "w") as f:
            f.write("a file beside the machines\n")
        senders = ",".join("%s:%d" % s for s in SENDERS.items())
        cls.collector = os.path.join(WORK, "collector")
        build(cls.collector, *COLLECTOR, NOW, "--forwarded", senders)
        cls.forwarded_log = os.path.join(cls.collector, "Windows", "System32", "winevt", "Logs",
                                         "ForwardedEvents.evtx")
        # The same machines on their own: what each scan alone says.
        cls.alone = {"COLLECTOR": os.path.join(WORK, "alone", "collector")}
        build(cls.alone["COLLECTOR"], *COLLECTOR, NOW)
        for computer, seed in SENDERS.items():
            cls.alone[computer] = os.path.join(WORK, "alone", computer)
            build(cls.alone[computer], computer, seed, NOW)
        for folder, (computer, _) in FOLDER_MACHINES.items():
            cls.alone[computer] = os.path.join(cls.fleet, folder)
        cls.records = forwarded_records(cls.forwarded_log)
        with open(SCHEMA_FILE) as f:
            cls.validator = jsonschema.Draft7Validator(json.load(f))

        cls.server = ClickHouseServer(os.path.join(WORK, "clickhouse"))
        cls.addClassCleanup(cls.server.stop)
        cls.server.start()

    # --- helpers ---

    def fresh_tables(self):
        self.server.client("--query", "DROP DATABASE IF EXISTS veltrano")
        with open(SQL_FILE, "rb") as sql:
            self.server.client("--multiquery", stdin=sql)

    def fleet_scan(self, now, *args, fmt="ndjson"):
        result = run("--fleet", self.fleet, "--root", self.collector, "--now", now, "--format",
                     fmt, *args)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return result

    def ndjson(self, result):
        """The error lines of a run, every line of it validated (its scan lines too)."""
        lines = [json.loads(line) for line in result.stdout.decode().splitlines()]
        for line in lines:
            self.validator.validate(line)
        return [line for line in lines if line["Schema"] != SCAN_SCHEMA]

    def alone_report(self, root, now):
        result = run("--root", root, "--now", now, "--format", "json", "--interval", "all")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return json.loads(result.stdout)

    def alone_scan(self, root, now):
        return self.alone_report(root, now)["errors"]

    def expected_errors(self, now):
        """Each machine's errors as its own scan lists them; a sender's are the event-log
        errors of the same machine scanned alone (its report files do not travel)."""
        machines = {}
        for computer, root in self.alone.items():
            errors = self.alone_scan(root, now)
            if computer in SENDERS:
                errors = [e for e in errors if e["Category"] != 1]
            machines[computer] = errors
        return machines

    def query(self, sql):
        out = self.server.client("--query", sql + " FORMAT JSONEachRow").decode()
        return [json.loads(line) for line in out.splitlines()]

    def load(self, result):
        self.load_lines(result.stdout.decode().splitlines())

    def load_lines(self, lines, stdin=False):
        """Loads NDJSON lines (texts) with load.sh, from a file or from its standard input."""
        data = "".join(line + "\n" for line in lines).encode()
        if stdin:
            subprocess.run([LOAD, "-"] + self.server.address(), input=data, check=True,
                           timeout=120)
            return
        path = os.path.join(WORK, "scan.ndjson")
        with open(path, "wb") as f:
            f.write(data)
        subprocess.run([LOAD, path] + self.server.address(), check=True, timeout=120)

    def two_scans(self):
        """Two days of the fleet as the program writes them, each day one file, with two machines
        the sample drives do not give: one that reads nothing on the second day, one whose logs
        are damaged on the second day after reading nothing on the first. PC-C is not scanned on
        the second day; one of PC-A's errors is new on it."""
        first = [json.dumps(hand_made_scan_line("EMPTY-PC", NOW, "read")),
                 json.dumps(hand_made_scan_line("DAMAGED-PC", NOW, "nothing readable"))]
        first += self.fleet_scan(NOW).stdout.decode().splitlines()
        dropped = next(i for i, text in enumerate(first)
                       if json.loads(text)["Schema"] != SCAN_SCHEMA and
                       json.loads(text)["Machine"] == "PC-A")
        new_key = key(json.loads(first.pop(dropped)))
        later = [json.dumps(hand_made_scan_line("EMPTY-PC", LATER, "nothing readable")),
                 json.dumps(hand_made_scan_line("DAMAGED-PC", LATER, "damaged"))]
        later += [text for text in self.fleet_scan(LATER).stdout.decode().splitlines()
                  if json.loads(text)["Machine"] != "PC-C"]
        for text in first + later:
            self.validator.validate(json.loads(text))
        return first, later, new_key

    def answers(self):
        """Every view's rows and every table's deduplicated rows, each as a sorted list."""
        sources = ["veltrano." + view for view in VIEWS]
        sources += ["veltrano.errors FINAL", "veltrano.scans FINAL"]
        return {source: sorted(json.dumps(row, sort_keys=True)
                               for row in self.query("SELECT * FROM " + source))
                for source in sources}

    def check_views(self, expected):
        for period, field in PERIODS.items():
            want = collections.defaultdict(lambda: [0, 0])
            for errors in expected.values():
                for e in errors:
                    if e[field] > 0:
                        want[key(e)][0] += 1
                        want[key(e)][1] += e[field]
            got = {r["ErrorKey"]: [int(r["Machines"]), int(r["Occurrences"])]
                   for r in self.query("SELECT ErrorKey, Machines, Occurrences "
                                       "FROM veltrano.top_errors WHERE Period = '%s'" % period)}
            self.assertEqual(got, dict(want), period)
        want = {(m, key(e)): e["ErrorCount"] for m, errors in expected.items() for e in errors}
        got = {(r["Machine"], r["ErrorKey"]): r["ErrorCount"]
               for r in self.query("SELECT Machine, ErrorKey, ErrorCount "
                                   "FROM veltrano.error_machines")}
        self.assertEqual(got, want)

    # --- the tests ---

    def test_fleet_lines_and_views_agree_with_the_machines_scanned_alone(self):
        self.fresh_tables()
        first = self.fleet_scan(NOW)
        lines = self.ndjson(first)
        stderr = first.stderr.decode()
        self.assertIn("not-a-machine: no Windows\\System32 inside", stderr)
        by_machine = collections.defaultdict(list)
        for line in lines:
            self.assertEqual((line["Schema"], line["ScanTime"]), ("veltrano-fleet-4", NOW))
            by_machine[line["Machine"]].append({k: v for k, v in line.items()
                                                if k not in EXTRA_KEYS})
        expected = self.expected_errors(NOW)

        # A machine of its own folder: its lines are its single scan's rows, field by field.
        for computer in [c for c, _ in FOLDER_MACHINES.values()] + ["COLLECTOR"]:
            self.assertEqual(by_machine[computer], expected[computer], computer)
        alone = run("--root", self.alone["PC-A"], "--now", NOW, "--format", "ndjson")
        self.assertEqual([l for l in lines if l["Machine"] == "PC-A"], self.ndjson(alone))

        # A sender: what its forwarded records give is what its own logs give.
        counted = ("ErrorCount", "WeekCount", "MonthCount", "HalfYearCount", "Category",
                   "FirstErrorDateTime", "LastErrorDateTime", "OccurrenceTimes")
        for computer in SENDERS:
            got = {key(e): [e[f] for f in counted] for e in by_machine[computer]}
            want = {key(e): [e[f] for f in counted] for e in expected[computer]}
            self.assertEqual(got, want, computer)

        # Records without a computer, and records of other logs, as python-evtx reads the file.
        unnamed = [r for r in self.records
                   if not r[2] and r[1] in ("Application", "System") and r[3] <= 2]
        self.assertGreater(len(unnamed), 0)
        self.assertEqual(sum(e["ErrorCount"] for e in by_machine["(unknown)"]), len(unnamed))
        expected["(unknown)"] = by_machine["(unknown)"]
        other = collections.Counter(r[1] for r in self.records
                                    if r[1] not in ("Application", "System"))
        self.assertIn("%d records from %d computers; skipped %d records of other logs (%s)" % (
            len(self.records), len(SENDERS) + 1, sum(other.values()),
            ", ".join("%s %d" % item for item in sorted(other.items()))), stderr)
        self.assertEqual(set(by_machine), set(expected))

        self.load(first)
        self.check_views(expected)
        self.assertEqual(self.query("SELECT * FROM veltrano.new_errors"), [])

        # A day later PC-B has errors of its own (another seed), the others the same ones.
        build(os.path.join(self.fleet, "pc-b"), "PC-B", 12, LATER)
        before = {key(e) for e in expected["PC-B"]}
        later = self.expected_errors(LATER)
        later["(unknown)"] = [e for e in self.ndjson(self.fleet_scan(LATER))
                              if e["Machine"] == "(unknown)"]
        self.load(self.fleet_scan(LATER))
        self.check_views(later)
        new = {(r["Machine"], r["ErrorKey"])
               for r in self.query("SELECT Machine, ErrorKey FROM veltrano.new_errors")}
        want = {("PC-B", k) for k in {key(e) for e in later["PC-B"]} - before}
        self.assertGreater(len(want), 0)
        self.assertEqual(new, want)

    def test_several_machines_get_a_machine_column_and_key(self):
        lines = self.ndjson(self.fleet_scan(NOW, "--interval", "all"))
        rows = [(l["Machine"], l["AppName"], l["ErrorName"]) for l in lines]
        text = self.fleet_scan(NOW, "--interval", "all", fmt="csv").stdout.decode()
        records = list(csv.reader(io.StringIO(text, newline="")))
        self.assertEqual(records[0][0], "Computer")
        self.assertEqual([tuple(r[:3]) for r in records[1:]], rows)
        table = self.fleet_scan(NOW, "--interval", "all", fmt="table").stdout.decode()
        self.assertTrue(table.startswith("Computer  "))
        self.assertIn("\nPC-C: ", table)
        report = json.loads(self.fleet_scan(NOW, "--interval", "all", fmt="json").stdout)
        self.assertEqual([(m["Machine"], e["AppName"], e["ErrorName"])
                          for m in report for e in m["errors"]], rows)

    def test_unreadable_machines_are_named_and_the_others_still_come_out(self):
        broken = os.path.join(WORK, "broken-fleet")
        shutil.rmtree(broken, ignore_errors=True)
        os.makedirs(broken)
        os.symlink(os.path.join(self.fleet, "pc-a"), os.path.join(broken, "pc-a"))
        os.symlink("loop", os.path.join(broken, "loop"))  # a link to itself: never readable
        missing = os.path.join(WORK, "no-such-machine")
        result = run("--fleet", broken, "--root", missing, "--now", NOW, "--format", "ndjson")
        self.assertEqual(result.returncode, 3)  # some machines read, some not
        *problems, summary = result.stderr.decode().splitlines()
        self.assertEqual(summary, "veltrano-scan: 2 machines: 1 read, 1 with nothing readable")
        self.assertEqual(len(problems), 2, problems)
        self.assertTrue(any(os.path.join(broken, "loop") in p for p in problems), problems)
        self.assertTrue(any(missing in p for p in problems), problems)
        machines = {l["Machine"] for l in self.ndjson(result)}
        self.assertEqual(machines, {"PC-A"})

    def test_two_folders_of_one_computer_name_are_both_kept(self):
        twins = os.path.join(WORK, "twins")
        build(os.path.join(twins, "left"), "TWIN", 1, NOW)
        build(os.path.join(twins, "right"), "TWIN", 2, NOW)
        # The left one given once more: a folder is one machine, however often it is named.
        result = run("--fleet", twins, "--root", os.path.join(twins, "left", ""), "--now", NOW,
                     "--format", "ndjson")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        self.assertIn("given twice, scanned once", result.stderr.decode())
        lines = self.ndjson(result)
        for side in ("left", "right"):
            got = [{k: v for k, v in l.items() if k not in EXTRA_KEYS}
                   for l in lines if l["Machine"] == "TWIN (%s)" % side]
            self.assertEqual(got, self.alone_scan(os.path.join(twins, side), NOW), side)
        self.assertEqual({l["Machine"] for l in lines}, {"TWIN (left)", "TWIN (right)"})

    def test_without_a_computer_name_in_its_hive_a_machine_is_named_by_its_logs_or_folder(self):
        unnamed = os.path.join(WORK, "unnamed")
        shutil.rmtree(unnamed, ignore_errors=True)
        shutil.copytree(os.path.join(self.fleet, "pc-c"), unnamed)
        os.remove(os.path.join(unnamed, "Windows", "System32", "config", "SYSTEM"))
        bare = os.path.join(WORK, "bare-folder")
        os.makedirs(os.path.join(bare, "Windows", "System32"), exist_ok=True)
        result = run("--root", unnamed, "--root", bare + os.sep, "--now", NOW, "--format", "json")
        # The bare folder holds nothing to read: named, and the run says some machines were not.
        self.assertEqual(result.returncode, 3, result.stderr.decode())
        self.assertIn("bare-folder (%s): nothing readable" % (bare + os.sep), result.stderr.decode())
        self.assertEqual([m["Machine"] for m in json.loads(result.stdout)],
                         ["PC-C", "bare-folder"])

    def test_a_damaged_forwarded_chunk_is_skipped_and_the_rest_is_read(self):
        damaged = os.path.join(WORK, "damaged-collector")
        shutil.rmtree(damaged, ignore_errors=True)
        shutil.copytree(self.collector, damaged)
        chunks = max(r[0] for r in self.records) + 1
        self.assertGreaterEqual(chunks, 3)
        middle = chunks // 2
        log = os.path.join(damaged, os.path.relpath(self.forwarded_log, self.collector))
        with open(log, "r+b") as f:
            f.seek(4096 + middle * 65536 + 8)  # the record numbers: the header checksum fails
            f.write(b"\xff" * 32)
        result = run("--root", damaged, "--now", NOW, "--format", "ndjson")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        kept = [r for r in self.records if r[0] != middle]
        self.assertIn(": ForwardedEvents: %d records from" % len(kept), result.stderr.decode())
        self.assertIn("; 1 damaged chunks skipped", result.stderr.decode())
        lines = self.ndjson(result)
        for computer in SENDERS:
            errors = sum(1 for r in kept if r[2] == computer and r[3] <= 2
                         and r[1] in ("Application", "System"))
            got = sum(l["ErrorCount"] for l in lines if l["Machine"] == computer)
            # Occurrences of one error at the same second count once.
            self.assertLessEqual(got, errors)
            self.assertGreater(got, 0.9 * errors)

    def test_loading_lines_again_changes_no_table_and_no_view(self):
        self.fresh_tables()
        # No merge removes the copies meanwhile: the views must read past them.
        for table in ("errors", "scans"):
            self.server.client("--query", "SYSTEM STOP MERGES veltrano." + table)
        first, later, _ = self.two_scans()
        self.load_lines(first)
        self.load_lines(later)
        want = self.answers()
        for source in VIEWS:
            self.assertNotEqual(want["veltrano." + source], [], source)
        stored_rows = self.query("SELECT count() AS n FROM veltrano.errors")[0]["n"]
        self.assertEqual(int(stored_rows), len(want["veltrano.errors FINAL"]))

        half = len(later) // 2
        retries = {"the first file again": first, "the second file again": later,
                   "the first half of the second file": later[:half],
                   "an overlapping file": first[len(first) // 2:] + later[:half]}
        for name, lines in retries.items():
            self.load_lines(lines, stdin=name == "the first half of the second file")
            got = self.answers()
            for source in want:
                self.assertEqual(got[source], want[source], "%s: %s" % (name, source))
        stored_rows = self.query("SELECT count() AS n FROM veltrano.errors")[0]["n"]
        self.assertGreater(int(stored_rows), len(want["veltrano.errors FINAL"]))

        # Once merged, one row of each key is left, and the answers are the same.
        for table in ("errors", "scans"):
            self.server.client("--query", "SYSTEM START MERGES veltrano." + table)
            self.server.client("--query", "OPTIMIZE TABLE veltrano.%s FINAL" % table)
        self.assertEqual(self.answers(), want)
        for table in ("errors", "scans"):
            stored_rows = self.query("SELECT count() AS n FROM veltrano." + table)[0]["n"]
            self.assertEqual(int(stored_rows), len(want["veltrano.%s FINAL" % table]), table)

    def test_scan_lines_name_the_unreadable_and_the_stale_machines(self):
        self.fresh_tables()
        first, later, new_key = self.two_scans()
        self.load_lines(first + later)
        scans = [line for line in map(json.loads, first + later) if line["Schema"] == SCAN_SCHEMA]
        # A sample machine's scan line says what its scan alone says.
        for computer in [c for c, _ in FOLDER_MACHINES.values()]:
            line = next(l for l in scans if l["Machine"] == computer and l["ScanTime"] == NOW)
            want = scan_facts(self.alone_report(self.alone[computer], NOW))
            self.assertEqual({k: line[k] for k in want}, want, computer)
            self.assertGreater(sum(line["ReportFolderReports"]), 0, computer)

        # The table gives back every line as it was loaded.
        got = sorted(comparable(row) for row in self.query("SELECT * FROM veltrano.scans FINAL"))
        self.assertEqual(got, sorted(comparable(line) for line in scans))

        failed = self.query("SELECT Machine, Folder, ScanTime FROM veltrano.failed_scans")
        self.assertEqual(failed, [{"Machine": "EMPTY-PC", "Folder": "/srv/triage/empty-pc",
                                   "ScanTime": "2026-12-09 12:00:00"}])
        stale = self.query("SELECT Machine, ScanTime, DaysBehind FROM veltrano.stale_machines "
                           "WHERE DaysBehind > 0.5")
        self.assertEqual(stale, [{"Machine": "PC-C", "ScanTime": "2026-12-08 12:00:00",
                                  "DaysBehind": 1}])
        self.assertEqual(self.query("SELECT Machine FROM veltrano.stale_machines "
                                    "WHERE DaysBehind > 1"), [])
        machines = {r["Machine"] for r in self.query("SELECT Machine FROM veltrano.stale_machines")}
        self.assertEqual(machines, {line["Machine"] for line in scans})
        self.assertIn({"Machine": "PC-A", "ErrorKey": new_key},
                      self.query("SELECT Machine, ErrorKey FROM veltrano.new_errors"))

    def test_error_lines_of_both_schemas_are_loaded_with_every_field(self):
        self.fresh_tables()
        lines = [without_dumps(l) for l in self.ndjson(self.fleet_scan(NOW))]
        added = {"InsertionStrings": ["lumen.exe", "4.2.1.318", "ntdll.dll"],
                 "MissingText": "not registered", "Queued": 1, "FaultModule": "ntdll.dll",
                 "FaultModuleVersion": "10.0.19041.3636", "FaultOffset": "0x000000000004a1b2"}
        # Version 3 with values that differ from the columns' defaults; version 2 without them.
        version3 = [dict(l, Schema="veltrano-fleet-3", **added) for l in lines
                    if l["Machine"] == "PC-A"]
        version2 = [dict({k: v for k, v in l.items() if k not in added}, Schema="veltrano-fleet-2")
                    for l in lines if l["Machine"] == "PC-B"]
        for line in version3 + version2:
            self.validator.validate(line)
        self.load_lines([json.dumps(line) for line in version3 + version2])
        got = sorted(comparable(row) for row in self.query("SELECT * FROM veltrano.errors FINAL"))
        empty = dict(DUMP_DEFAULTS, InsertionStrings=[], MissingText="", Queued=0,
                     FaultModule="", FaultModuleVersion="", FaultOffset="")
        self.assertEqual(got, sorted(comparable(dict(empty, **line))
                                     for line in version3 + version2))

        # What the JSON Schema refuses: a version 3 line without its fields, a version 2 line
        # with them, a scan line's unknown outcome, a kind of line it does not know.
        line = version3[0]
        self.assertFalse(self.validator.is_valid({k: v for k, v in line.items()
                                                  if k != "FaultOffset"}))
        self.assertFalse(self.validator.is_valid(dict(version2[0], Queued=0)))
        self.assertFalse(self.validator.is_valid(dict(line, MissingText="lost")))
        scan = hand_made_scan_line("EMPTY-PC", NOW, "nothing readable")
        self.validator.validate(scan)
        self.assertFalse(self.validator.is_valid(dict(scan, LogOutcomes=["read", "gone"])))
        self.assertFalse(self.validator.is_valid(dict(scan, LogOldest=["", None])))
        self.assertFalse(self.validator.is_valid(dict(line, Schema="veltrano-fleet-4")))

    def crash_line(self, base, machine, scan_time, app, signature, crashes):
        """An error line of veltrano-fleet-4: a crash of app with a joined dump whose signature is
        (module, version, offset), or none."""
        line = dict(base, Schema="veltrano-fleet-4", Machine=machine, ScanTime=scan_time,
                    AppName="Application Error: " + app, ErrorName="1000", ErrorCount=crashes,
                    **DUMP_DEFAULTS)
        if signature is None:
            return line
        module, version, offset = signature
        text = "%s|%s|%s" % signature
        line.update({
            "DumpFile": "C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\"
                        "AppCrash_%s\\memory.hdmp" % app,
            "DumpJoin": "report folder", "DumpCount": 2, "DumpException": "0xc0000005",
            "DumpExceptionName": "STATUS_ACCESS_VIOLATION", "DumpFaultModule": module,
            "DumpFaultModuleVersion": version, "DumpFaultOffset": "0x%016x" % int(offset, 16),
            "FaultAgreement": "differs", "CrashSignature": text,
            "CrashSignatureHash": "%08x" % (zlib.crc32(text.encode()) & 0xffffffff),
            "CrashFrames": ["%s+%s" % (module, offset), "0x00007ff6a1b2c3d4"],
            "CrashFrameSources": ["context", "scan"],
            "DumpModules": [{"Name": module, "Version": version,
                             "Path": "C:\\Program Files [x86]\\Lumen\\" + module,
                             "TimeStamp": 1764000000, "PdbName": module[:-4] + ".pdb",
                             "PdbId": "3f2a9c0e5b7d4e1f8a6b2c9d0e1f2a3b1", "Base": "0x7ffb1c000000",
                             "Size": 1200128}],
            "DumpOsVersion": "10.0.19045", "DumpProcessId": 4242,
        })
        return line

    def test_crash_lines_load_and_signatures_count_each_machines_latest_scan(self):
        self.fresh_tables()
        alone = run("--root", self.alone["PC-A"], "--now", NOW, "--format", "ndjson")
        base = next(dict(without_dumps(l), Schema="veltrano-fleet-3")
                    for l in map(json.loads, alone.stdout.decode().splitlines())
                    if l["Schema"] != SCAN_SCHEMA)
        shared = ("lumen.dll", "1.2.0.0", "0x1a2b")
        other = ("kestrel.dll", "4.0.1.7", "0x88")
        lonely = ("ntdll.dll", "10.0.19041.3636", "0x4a1b2")
        gone = ("quill.dll", "2.0.0.0", "0x10")
        early = "2026-12-07T12:00:00Z"
        lines = [
            self.crash_line(base, "PC-1", NOW, "lumen.exe", shared, 3),
            self.crash_line(base, "PC-1", NOW, "tally.exe", lonely, 10),
            self.crash_line(base, "PC-2", NOW, "lumen.exe", shared, 2),
            self.crash_line(base, "PC-2", NOW, "kestrel.exe", other, 1),
            self.crash_line(base, "PC-2", NOW, "notes.exe", None, 6),
            # PC-3's older scan had other crashes; only its latest scan counts.
            self.crash_line(base, "PC-3", early, "quill.exe", gone, 7),
            self.crash_line(base, "PC-3", early, "lumen.exe", shared, 4),
            self.crash_line(base, "PC-3", NOW, "kestrel.exe", other, 1),
        ]
        old = dict(base, Machine="PC-3", ScanTime=NOW)  # a veltrano-fleet-3 line of the same file
        self.load_lines([json.dumps(line) for line in lines + [old]])

        # Every field comes back as it was written, but the module list, which has no column;
        # the old line's dump columns are at their defaults.
        got = sorted(comparable(row) for row in self.query("SELECT * FROM veltrano.errors FINAL"))
        want = [{k: v for k, v in line.items() if k != "DumpModules"} for line in lines]
        want.append(dict(DUMP_DEFAULTS, **old))
        self.assertEqual(got, sorted(comparable(line) for line in want))

        def signature(parts):
            text = "%s|%s|%s" % parts
            return "%08x" % (zlib.crc32(text.encode()) & 0xffffffff), text
        rows = self.query("SELECT * FROM veltrano.top_crash_signatures")
        self.assertEqual(
            [(r["CrashSignatureHash"], r["CrashSignature"], r["FaultModule"],
              r["FaultModuleVersion"], int(r["Machines"]), r["MachineNames"], int(r["Crashes"]),
              r["LastSeen"]) for r in rows],
            [signature(shared) + (shared[0], shared[1], 2, ["PC-1", "PC-2"], 5, ISO_TIME.sub(
                r"\1 \2", base["LastErrorDateTime"])),
             signature(other) + (other[0], other[1], 2, ["PC-2", "PC-3"], 2, ISO_TIME.sub(
                 r"\1 \2", base["LastErrorDateTime"])),
             signature(lonely) + (lonely[0], lonely[1], 1, ["PC-1"], 10, ISO_TIME.sub(
                 r"\1 \2", base["LastErrorDateTime"]))])

        # Loaded again, the lines count once.
        self.load_lines([json.dumps(line) for line in lines + [old]])
        self.assertEqual(self.query("SELECT * FROM veltrano.top_crash_signatures"), rows)

    def test_load_refuses_a_missing_file(self):
        result = subprocess.run([LOAD, os.path.join(WORK, "none.ndjson")], capture_output=True)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"cannot read", result.stderr)

    def test_load_refuses_a_file_with_a_line_of_an_unknown_schema_whole(self):
        self.fresh_tables()
        first, _, _ = self.two_scans()
        unknown = json.dumps(dict(json.loads(first[-1]), Schema="veltrano-fleet-9"))
        for lines, number, why in ((first + [unknown], len(first) + 1,
                                    'unknown Schema "veltrano-fleet-9"'),
                                   (['{"Machine": "PC-A"}'] + first, 1, "no Schema")):
            path = os.path.join(WORK, "refused.ndjson")
            with open(path, "w") as f:
                f.write("".join(line + "\n" for line in lines))
            result = subprocess.run([LOAD, path] + self.server.address(), capture_output=True,
                                    timeout=120)
            self.assertEqual(result.returncode, 1)
            self.assertIn(("%s:%d: %s;" % (path, number, why)).encode(), result.stderr)
            for table in ("errors", "scans"):
                self.assertEqual(self.query("SELECT count() AS n FROM veltrano." + table),
                                 [{"n": "0"}], table)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
