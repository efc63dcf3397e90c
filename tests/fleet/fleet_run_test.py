#!/usr/bin/python3
"""A run of several machines says what a run of one says, machine by machine: the same source
facts on standard error (after the machine's name) and in JSON, a scan line per machine in NDJSON
(validated against the JSON Schema in docs/), the message statistics per machine and in total,
machines of which nothing could be read named with a summary line and exit status 3, and a
machine folder whose name is not UTF-8 scanned as it is alone.

  fleet_run_test.py VELTRANO_SCAN SAMPLE_BUILDER SOURCE_DIR WORK_DIR [unittest arguments]
"""
import json
import os
import shutil
import subprocess
import sys
import unittest

import jsonschema

SCAN, BUILDER, SOURCE, WORK = sys.argv[1:5]
NOW = "2026-12-08T12:00:00Z"
SCHEMA_FILE = os.path.join(SOURCE, "docs", "fleet-schema.json")
MACHINES = {"pc-a": ("PC-A", 1), "pc-b": ("PC-B", 2)}
# A machine folder named in Latin-1 bytes, as an old archive or a copied NTFS name gives it.
ODD_NAME = b"caf\xe9-pc"


def run(*args):
    env = dict(os.environ, TZ="UTC", LANG="C.UTF-8")
    return subprocess.run([SCAN, "--now", NOW] + [os.fsencode(a) for a in args],
                          capture_output=True, env=env, timeout=300)


def build(folder, computer, seed):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run([BUILDER, "--out", folder, "--now", NOW, "--computer", computer,
                    "--seed", str(seed)], check=True, timeout=120, capture_output=True)


class FleetRun(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        cls.fleet = os.path.join(WORK, "fleet")
        for folder, (computer, seed) in MACHINES.items():
            build(os.path.join(cls.fleet, folder), computer, seed)
        # A machine whose System log lost its middle chunk, and one with a Windows folder but
        # nothing in it that can be read.
        cls.damaged = os.path.join(cls.fleet, "pc-damaged")
        build(cls.damaged, "PC-D", 3)
        os.remove(os.path.join(cls.damaged, "Windows", "System32", "config", "SOFTWARE"))
        system = os.path.join(cls.damaged, "Windows", "System32", "winevt", "Logs", "System.evtx")
        with open(system, "r+b") as f:
            f.seek(4096 + 8)
            f.write(b"\xff" * 32)
        cls.empty = os.path.join(cls.fleet, "pc-empty")
        os.makedirs(os.path.join(cls.empty, "Windows", "System32"))
        with open(SCHEMA_FILE) as f:
            cls.validator = jsonschema.Draft7Validator(json.load(f))

    def test_each_machine_says_what_it_says_alone_and_the_unreadable_one_is_named(self):
        result = run("--fleet", self.fleet)
        self.assertEqual(result.returncode, 3, result.stderr.decode())
        stderr = result.stderr.decode().splitlines()
        self.assertEqual(stderr[-1], "veltrano-scan: 4 machines: 3 read, 1 with nothing readable")
        self.assertTrue(any("pc-empty" in l and "nothing readable" in l for l in stderr), stderr)
        for folder in ("pc-a", "pc-b"):
            alone = run("--root", os.path.join(self.fleet, folder))
            self.assertEqual(alone.returncode, 0)
            name = MACHINES[folder][0]
            said = [l for l in alone.stderr.decode().splitlines()]
            self.assertEqual([l[len(name) + 2:] for l in stderr if l.startswith(name + ": ")],
                             said, folder)
        self.assertTrue(any(": System: " in l and "1 damaged chunk skipped" in l for l in stderr))

        # JSON carries the same facts per machine.
        report = json.loads(run("--fleet", self.fleet, "--format", "json").stdout)
        alone = json.loads(run("--root", os.path.join(self.fleet, "pc-b"), "--format",
                               "json").stdout)
        pc_b = next(m for m in report if m["Machine"] == "PC-B")
        self.assertEqual(pc_b["sources"], alone["sources"])

    def test_ndjson_has_a_scan_line_per_machine_before_its_errors(self):
        result = run("--fleet", self.fleet, "--format", "ndjson")
        lines = [json.loads(l) for l in result.stdout.decode().splitlines()]
        for line in lines:
            self.validator.validate(line)
        scans = [l for l in lines if l["Schema"] == "veltrano-fleet-scan-1"]
        status = {l["Folder"].rsplit("/", 1)[-1]: l["Status"] for l in scans}
        self.assertEqual(status, {"pc-a": "read", "pc-b": "read", "pc-damaged": "damaged",
                                  "pc-empty": "nothing readable"})
        for scan in scans:
            errors = [l for l in lines if l["Schema"] != scan["Schema"]
                      and l["Machine"] == scan["Machine"]]
            self.assertEqual(scan["Errors"], len(errors))
            # The scan line comes first.
            self.assertLess(lines.index(scan), min([lines.index(e) for e in errors] or [1 << 30]))
        damaged = next(s for s in scans if s["Status"] == "damaged")
        self.assertEqual(damaged["LogDamagedChunks"][damaged["Logs"].index("System")], 1)
        self.assertEqual(damaged["Registry"], 0)
        empty = next(s for s in scans if s["Status"] == "nothing readable")
        self.assertEqual((empty["Errors"], set(empty["LogOutcomes"])), (0, {"no file"}))
        # A machine scanned alone gives the same lines as in the fleet.
        alone = run("--root", os.path.join(self.fleet, "pc-a"), "--format", "ndjson")
        self.assertEqual([json.loads(l) for l in alone.stdout.decode().splitlines()],
                         [l for l in lines if l["Machine"] == "PC-A"])

    def test_message_statistics_per_machine_and_in_total(self):
        result = run("--fleet", self.fleet, "--message-stats", "--format", "json")
        self.assertEqual(result.returncode, 3)
        got = json.loads(result.stdout)
        by_machine = {m["Machine"]: m for m in got["machines"]}
        for folder, (name, _) in MACHINES.items():
            alone = json.loads(run("--root", os.path.join(self.fleet, folder), "--message-stats",
                                   "--format", "json").stdout)
            self.assertEqual(by_machine[name]["providers"], alone["providers"])
            self.assertEqual(by_machine[name]["total"], alone["total"])
        for key in got["total"]:
            self.assertEqual(got["total"][key], sum(m["total"][key] for m in got["machines"]))
        table = run("--fleet", self.fleet, "--message-stats").stdout.decode()
        self.assertIn("PC-A:\nprovider", table)
        self.assertIn("All machines:\nprovider", table)

    def test_a_folder_whose_name_is_not_utf8_scans_as_it_does_alone(self):
        odd_fleet = os.path.join(WORK, "odd-fleet").encode()
        shutil.rmtree(odd_fleet, ignore_errors=True)
        os.makedirs(odd_fleet)
        odd = os.path.join(odd_fleet, ODD_NAME)
        shutil.copytree(os.path.join(self.fleet, "pc-b").encode(), odd)
        shutil.copytree(os.path.join(self.fleet, "pc-a").encode(), os.path.join(odd_fleet, b"pc-a"))
        fleet = run("--fleet", os.fsdecode(odd_fleet), "--format", "json", "--interval", "all")
        self.assertEqual(fleet.returncode, 0, fleet.stderr.decode())
        alone = run("--root", os.fsdecode(odd), "--format", "json", "--interval", "all")
        self.assertEqual(alone.returncode, 0, alone.stderr.decode())
        pc_b = next(m for m in json.loads(fleet.stdout) if m["Machine"] == "PC-B")
        self.assertGreater(len(pc_b["errors"]), 10)
        self.assertEqual(pc_b["errors"], json.loads(alone.stdout)["errors"])

    def test_options_of_one_machine_are_refused_with_several(self):
        for option in (["--xml", "r.xml"], ["--log", "System.evtx"], ["--reports", WORK]):
            with self.subTest(option=option[0]):
                result = run("--fleet", self.fleet, *option)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stderr.decode().count("\n"), 1)
                self.assertIn(option[0], result.stderr.decode())


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
