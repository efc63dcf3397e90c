#!/usr/bin/python3
"""veltrano-scan on a drive whose report folder holds a real crash dump (written on a Windows 10
machine by a crash reporter) beside its Report.wer, a damaged dump beside it, and a small dump of a
blue screen with nothing in the logs about it.

- The crash's dump facts in JSON (exception, process, OS, every module with its base, size, link
  time and PDB identity, the frames' modules and offsets) against minidump_peer.py, a reading of
  the format written apart from the program's reader.
- Every NDJSON line valid against docs/fleet-schema.json; the table's and CSV's crash column; the
  damaged dump named on standard error with the run still a success; --dumps off leaves every crash
  field empty and the column out.

  crash_dumps_test.py VELTRANO_SCAN SAMPLES_DIR WORK_DIR [unittest arguments]
"""
import csv
import datetime
import io
import json
import os
import shutil
import struct
import subprocess
import sys
import unittest

import jsonschema

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "..")
SCAN, SAMPLES, WORK = sys.argv[1:4]
DUMP = os.path.join(SAMPLES, "dumps", "crashtest_invalid_parameter_x64.dmp")
NOW = "2018-10-01T00:00:00Z"
FOLDER = "ProgramData/Microsoft/Windows/WER/ReportArchive/AppCrash_CrashTest.exe_1"
REPORT = "\r\n".join([
    "Version=1", "EventType=APPCRASH", "EventTime=131820228460000000",
    "Sig[0].Name=Application Name", "Sig[0].Value=CrashTest.exe",
    "Sig[3].Name=Fault Module Name", "Sig[3].Value=ucrtbased.dll",
    "Sig[6].Name=Exception Offset", "Sig[6].Value=00000000000a1b2c",
    "FriendlyEventName=Stopped working", "AppName=CrashTest.exe",
    "AppPath=C:\\build\\CrashTest.exe"])


BLUE_SCREEN_TIME = datetime.datetime(2018, 9, 20, 8, 0, 0)  # before the crash: both in one view


def small_kernel_dump():
    """A 64-bit small dump's header as the published DUMP_HEADER64 lays it out: DRIVER_IRQL_NOT_LESS_OR_EQUAL
    (0xD1) with its four parameters, Windows 10 build 17134, written at BLUE_SCREEN_TIME."""
    header = bytearray(0x2000)
    header[0:8] = b"PAGEDU64"
    struct.pack_into("<II", header, 0x08, 0xF, 17134)  # MajorVersion (free build), MinorVersion
    struct.pack_into("<II", header, 0x30, 0x8664, 4)  # MachineImageType, NumberProcessors
    struct.pack_into("<I", header, 0x38, 0xD1)  # BugCheckCode
    struct.pack_into("<4Q", header, 0x40, 0x28, 2, 0, 0xFFFFF8075A3B1C2D)  # BugCheckParameter1-4
    struct.pack_into("<I", header, 0xF98, 4)  # DumpType: triage
    ticks = (BLUE_SCREEN_TIME - datetime.datetime(1601, 1, 1)) // datetime.timedelta(microseconds=1) * 10
    struct.pack_into("<Q", header, 0xFA8, ticks)  # SystemTime
    return bytes(header)


def peer_reading(path):
    out = subprocess.run([sys.executable, os.path.join(SOURCE, "tests/platform/offline/dump/minidump_peer.py"),
                          path], check=True, capture_output=True, text=True).stdout
    lines = {}
    for line in out.splitlines():
        fields = line.split("\t")
        lines.setdefault(fields[0], []).append(fields[1:])
    return lines


def scan(*arguments):
    return subprocess.run([SCAN, "--root", os.path.join(WORK, "drive"), "--now", NOW, *arguments],
                          capture_output=True, text=True)


class CrashDumps(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(DUMP):
            raise unittest.SkipTest("the shared sample dump is not here")
        shutil.rmtree(WORK, ignore_errors=True)
        folder = os.path.join(WORK, "drive", FOLDER)
        os.makedirs(folder)
        os.makedirs(os.path.join(WORK, "drive", "Windows", "System32"))
        with open(os.path.join(folder, "Report.wer"), "wb") as f:
            f.write(REPORT.encode("utf-16"))  # with its byte-order mark, as WER writes it
        shutil.copy(DUMP, os.path.join(folder, "memory.hdmp"))
        with open(DUMP, "rb") as whole, open(os.path.join(folder, "cut.mdmp"), "wb") as f:
            f.write(whole.read(40))
        minidump = os.path.join(WORK, "drive", "Windows", "Minidump")
        os.makedirs(minidump)
        with open(os.path.join(minidump, "092018-7-01.dmp"), "wb") as f:
            f.write(small_kernel_dump())
        cls.peer = peer_reading(DUMP)
        run = scan("--format", "json")
        cls.stderr = run.stderr
        cls.status = run.returncode
        cls.errors = json.loads(run.stdout)["errors"]

    def crash(self):
        found = [e for e in self.errors if e["AppName"] == "CrashTest.exe"]
        self.assertEqual(len(found), 1)
        return found[0]

    def test_the_dump_says_what_an_independent_reading_of_it_says(self):
        e = self.crash()
        self.assertEqual(e["DumpJoin"], "report folder")
        self.assertTrue(e["DumpFile"].endswith("\\AppCrash_CrashTest.exe_1\\memory.hdmp"))
        thread, code = self.peer["exception"][0][:2]
        self.assertEqual(int(e["DumpException"], 16), int(code))
        self.assertEqual(e["DumpProcessId"], int(self.peer["misc"][0][1]))
        system = self.peer["system"][0]
        self.assertEqual(e["DumpOsVersion"], "%s.%s.%s" % (system[5], system[6], system[7]))
        modules = self.peer["module"]
        self.assertEqual(len(e["DumpModules"]), len(modules))
        self.assertEqual(len(modules), 31)
        for got, m in zip(e["DumpModules"], modules):
            base, size, _, stamp = (int(v) for v in m[:4])
            self.assertEqual((int(got["Base"], 16), got["Size"], got["TimeStamp"]), (base, size, stamp))
            self.assertEqual(got["Path"], m[-1])
            self.assertEqual(got["Name"], m[-1].rsplit("\\", 1)[-1].lower())
            # base size checksum time_stamp version "RSDS" guid age pdb path
            self.assertEqual(m[5], "RSDS")
            self.assertEqual(got["PdbName"], m[8])
            # The GUID's textual order (first three groups byte-swapped), then the age in hex.
            guid = bytes.fromhex(m[6])
            swapped = guid[3::-1] + guid[5:3:-1] + guid[7:5:-1] + guid[8:]
            self.assertEqual(got["PdbId"], swapped.hex().upper() + "%X" % int(m[7]))
        # Each frame lies where the peer's module list puts its address: the first is the
        # exception context's instruction pointer.
        context = next(c for c in self.peer["context"] if c[0] == "exception")
        self.assertEqual(e["CrashFrameSources"][0], "context")
        self.assertEqual(len(e["CrashFrames"]), len(e["CrashFrameSources"]))
        first_ip = int(context[1])
        owner = next(m for m in modules if int(m[0]) <= first_ip < int(m[0]) + int(m[1]))
        self.assertEqual(e["CrashFrames"][0], "%s+0x%x" % (owner[-1].rsplit("\\", 1)[-1].lower(),
                                                           first_ip - int(owner[0])))
        # The record's fault (the report's signature) is not the dump's, and both are kept.
        self.assertEqual(e["FaultAgreement"], "differs")
        self.assertTrue(e["CrashSignature"].startswith("crashtest.exe|"))
        self.assertRegex(e["CrashSignatureHash"], "^[0-9a-f]{8}$")

    def test_a_damaged_dump_is_named_and_nothing_else_is_lost(self):
        self.assertEqual(self.status, 0, self.stderr)
        self.assertIn("crash dump C:\\" + FOLDER.replace("/", "\\") + "\\cut.mdmp: ", self.stderr)
        table = scan()
        self.assertIn("crash dumps: 2 read, 1 joined to a crash, a stop error, 1 not readable",
                      table.stderr)

    def test_ndjson_lines_are_valid_and_the_table_shows_the_crash(self):
        with open(os.path.join(SOURCE, "docs", "fleet-schema.json")) as f:
            validator = jsonschema.Draft7Validator(json.load(f))
        lines = [json.loads(l) for l in scan("--format", "ndjson").stdout.splitlines()]
        self.assertTrue(any(l.get("Schema") == "veltrano-fleet-4" and l["CrashFrames"] for l in lines))
        for line in lines:
            validator.validate(line)
        table = scan().stdout.splitlines()
        self.assertTrue(table[0].rstrip().endswith("Crash (dump)"))
        hash_ = self.crash()["CrashSignatureHash"]
        self.assertTrue(any(("[%s]; record: ucrtbased.dll+0x00000000000a1b2c" % hash_) in l
                            for l in table), table)
        rows = list(csv.reader(io.StringIO(scan("--format", "csv").stdout)))
        self.assertEqual(rows[0][-1], "Crash (dump)")

    def test_a_blue_screen_known_only_from_its_kernel_dump_is_a_row(self):
        rows = [e for e in self.errors if e["AppName"] == "Windows"]
        self.assertEqual(len(rows), 1)
        row = rows[0]
        self.assertEqual((row["ErrorName"], row["ErrorCount"]), ("BlueScreen", 1))
        self.assertEqual(row["LastErrorDateTime"], BLUE_SCREEN_TIME.isoformat() + "Z")
        self.assertEqual(row["ErrorSummary"], "Stop error 0x000000d1 (DRIVER_IRQL_NOT_LESS_OR_EQUAL)")
        self.assertEqual(row["BugCheckCode"], "0x000000d1")
        self.assertEqual(row["BugCheckParameters"], ["0x0000000000000028", "0x0000000000000002",
                                                     "0x0000000000000000", "0xfffff8075a3b1c2d"])
        self.assertEqual(row["DumpFile"], "C:\\Windows\\Minidump\\092018-7-01.dmp")

    def test_dumps_off_reads_none(self):
        run = scan("--format", "json", "--dumps", "off")
        self.assertEqual(run.returncode, 0)
        self.assertNotIn("crash dump", run.stderr)
        e = [e for e in json.loads(run.stdout)["errors"] if e["AppName"] == "CrashTest.exe"][0]
        self.assertEqual((e["DumpFile"], e["CrashFrames"], e["DumpModules"]), ("", [], []))
        self.assertNotIn("Crash (dump)", scan("--dumps", "off").stdout)
        bad = scan("--dumps", "maybe")
        self.assertEqual(bad.returncode, 2)
        self.assertIn("--dumps takes on or off, not 'maybe'", bad.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
