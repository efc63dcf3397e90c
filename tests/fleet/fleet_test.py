#!/usr/bin/python3
"""veltrano-scan over a fleet, loaded into a ClickHouse server of the test's own, against what
scans of each machine on its own say: three sample machines of different names and errors, and a
collector whose ForwardedEvents log (read independently with python-evtx) holds the records of
two more computers, other logs and records without a computer. Every NDJSON line is validated
against the JSON Schema in docs/; every fleet view is compared with numbers derived from the
single-machine scans, before and after a second scan with a later --now. Then the bad input:
unreadable machine folders, two folders of one computer name, a damaged ForwardedEvents chunk.

  fleet_test.py VELTRANO_SCAN SAMPLE_BUILDER SOURCE_DIR WORK_DIR [unittest arguments]
"""
import collections
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import unittest
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
        with open(SQL_FILE, "rb") as sql:
            cls.server.client("--multiquery", stdin=sql)

    # --- helpers ---

    def fleet_scan(self, now, *args, fmt="ndjson"):
        result = run("--fleet", self.fleet, "--root", self.collector, "--now", now, "--format",
                     fmt, *args)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return result

    def ndjson(self, result):
        lines = [json.loads(line) for line in result.stdout.decode().splitlines()]
        for line in lines:
            self.validator.validate(line)
        return lines

    def alone_scan(self, root, now):
        result = run("--root", root, "--now", now, "--format", "json", "--interval", "all")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return json.loads(result.stdout)["errors"]

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
        path = os.path.join(WORK, "scan.ndjson")
        with open(path, "wb") as f:
            f.write(result.stdout)
        subprocess.run([LOAD, path] + self.server.address(), check=True, timeout=120)

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
        first = self.fleet_scan(NOW)
        lines = self.ndjson(first)
        stderr = first.stderr.decode()
        self.assertIn("not-a-machine: no Windows\\System32 inside", stderr)
        by_machine = collections.defaultdict(list)
        for line in lines:
            self.assertEqual((line["Schema"], line["ScanTime"]), ("veltrano-fleet-3", NOW))
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
        self.assertEqual(result.returncode, 1)
        problems = result.stderr.decode().splitlines()
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
        self.assertEqual(result.returncode, 0, result.stderr.decode())
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

    def test_load_refuses_a_missing_file(self):
        result = subprocess.run([LOAD, os.path.join(WORK, "none.ndjson")], capture_output=True)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"cannot read", result.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
