#!/usr/bin/python3
"""veltrano-scan on a sample machine made by the sample builder, against what the machine's
description says the program must find: every option and output format (CSV and JSON read back
with Python's own parsers), the XML report and its ZIP archive, bad command lines and missing
roots, byte-identical output for a fixed --now, and the message statistics.

  veltrano_scan_test.py VELTRANO_SCAN SAMPLE_BUILDER MESSAGE_FILE WORK_DIR [unittest arguments]
"""
import calendar
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import error_report_xml  # noqa: E402
import manifest_expectations as manifests  # noqa: E402
import sample_expectations as expect  # noqa: E402

SCAN, BUILDER, MESSAGES, WORK = sys.argv[1:5]
NOW = "2026-03-01T12:00:00Z"
# The same instant worked out here, not by the parser the builder and the scanner share.
UNIX_TO_FILETIME_SECONDS = 11_644_473_600
NOW_UNIX = calendar.timegm((2026, 3, 1, 12, 0, 0))
NOW_FILETIME = (NOW_UNIX + UNIX_TO_FILETIME_SECONDS) * 10_000_000
INTERVALS = ["week", "month", "6months", "all"]
TITLES = ["AppName / SourceName", "Error Name / ID", "Error Count", "Last Error Time",
          "Last error (UTC)", "App Path"]
MACHINE = "FAMILY-PC"


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def run(*args, env_tz="UTC"):
    env = dict(os.environ, TZ=env_tz, LANG="C.UTF-8")
    return subprocess.run([SCAN] + list(args), capture_output=True, env=env, timeout=120)


def age_text(filetime, now_unix=NOW_UNIX):
    """The list's relative age, from the rule as the window states it (UTC, whole seconds)."""
    d = now_unix - (filetime // 10_000_000 - UNIX_TO_FILETIME_SECONDS)
    if d < 0:
        return "The input time is in the future"
    for unit, seconds in (("day", 86400), ("hour", 3600), ("minute", 60), ("second", 1)):
        n = d // seconds
        if n >= 2 or (unit == "second" and n != 1):
            return "%d %ss ago" % (n, unit)
        if n == 1:
            return "1 %s ago" % unit
    raise AssertionError("unreachable")


class SampleScan(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        cls.drive = os.path.join(WORK, "drive")
        description = os.path.join(WORK, "sample.json")
        subprocess.run([BUILDER, "--out", cls.drive, "--now", NOW, "--describe", description],
                       check=True, timeout=120)
        cls.sample = expect.Sample(description, MESSAGES)

    def scan(self, *args):
        result = run("--root", self.drive, "--now", NOW, *args)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return result.stdout.decode("utf-8")

    def scan_json(self, *args):
        return json.loads(self.scan("--format", "json", *args))

    def expected_rows(self, interval):
        week, month, half_year = self.sample.interval_starts()
        start = {"week": week, "month": month, "6months": half_year, "all": 0}[interval]
        return [e for e in self.sample.listed() if e.LastErrorDateTime >= start], start

    # --- message statistics ---

    def expected_stats(self, counts):
        return {"errors": counts["errors"], **{b: counts.get(b, 0) for b in manifests.BUCKETS}}

    def test_message_stats_count_every_error_record_in_its_bucket(self):
        got = json.loads(self.scan("--message-stats", "--format", "json"))
        providers, total = manifests.message_stats(self.sample)
        self.assertEqual(got["total"], self.expected_stats(total))
        self.assertEqual(set(got["providers"]), set(providers))
        for name, counts in providers.items():
            with self.subTest(provider=name):
                self.assertEqual(got["providers"][name], self.expected_stats(counts))
        # The sample has every outcome but a missing registry and a message that cannot be
        # formatted.
        for bucket in manifests.BUCKETS[:-1]:
            if bucket != "noRegistry":
                self.assertGreater(total.get(bucket, 0), 0, bucket)
        # And the list shows the texts of the manifest-based providers (the listing's test
        # compares them with the derived ones).
        names = {p["name"] for p in self.sample.description["manifestProviders"]}
        with_text = [e for e in self.sample.listed() if e.AppName in names and e.ErrorText]
        self.assertGreaterEqual(len(with_text), 4)

    def test_message_stats_table_has_one_row_per_provider_and_the_total(self):
        lines = self.scan("--message-stats").splitlines()
        providers, total = manifests.message_stats(self.sample)
        self.assertEqual(len(lines), 2 + len(providers))
        self.assertEqual(lines[-1].split(),
                         ["total"] + [str(v) for v in self.expected_stats(total).values()])

    # --- what the scan finds ---

    def test_json_holds_every_listed_error_as_the_sample_defines_it(self):
        report = self.scan_json("--interval", "all")
        found = {(e["AppName"], e["ErrorName"]): e for e in report["errors"]}
        listed = self.sample.listed()
        self.assertEqual(sorted(found), sorted((e.AppName, e.ErrorName) for e in listed))
        self.assertEqual(report["totalErrors"], len(listed))
        for e in listed:
            with self.subTest(error=e.key):
                got = found[(e.AppName, e.ErrorName)]
                self.assertEqual(got["Category"], e.Category)
                self.assertEqual(got["ErrorCount"], e.ErrorCount)
                self.assertEqual(got["AppPath"], e.AppPath)
                self.assertEqual(got["ErrorSummary"], e.ErrorSummary)
                self.assertEqual(got["MessageTemplate"], e.MessageTemplate)
                self.assertEqual(got["ErrorTextParams"], e.ErrorTextParams)
                # Report files begin with a byte-order mark; what the command line shows has none.
                if e.text_choices:
                    self.assertIn(got["ErrorText"],
                                  [t.replace("\ufeff", "") for t in e.text_choices])
                else:
                    self.assertEqual(got["ErrorText"], e.ErrorText)
                self.assertEqual(list(zip(got["Days"], got["DayCounts"])), e.day_counts())
                self.assertEqual(got["LastErrorDateTime"], expect.filetime_iso(e.LastErrorDateTime))
                self.assertEqual(sorted(got["OccurrenceTimes"]),
                                 sorted({expect.filetime_iso(t) for t in e.times}))
                self.assertEqual(got["Linked"], 0)

    def test_crashes_are_joined_to_their_report_files(self):
        joined = [e for e in self.sample.listed() if e.joined_with is not None]
        # The sample's lived-in shape: several programs crash and hang, most of them reported.
        self.assertGreaterEqual(len([e for e in joined if e.Category == 4]), 5)
        self.assertGreaterEqual(len([e for e in joined if e.Category == 3]), 2)
        self.assertGreaterEqual(len([e for e in self.sample.listed() if e.Category == 1]), 2)
        found = {e["AppName"]: e for e in self.scan_json("--interval", "all")["errors"]}
        for e in joined:
            with self.subTest(error=e.key):
                text = found[e.AppName]["ErrorText"]
                self.assertTrue(text.startswith("Details from the event log: \r\n"))
                self.assertIn("\r\nDetails from WER file: \r\n", text)
                summary = found[e.AppName]["ErrorSummary"]
                self.assertEqual(summary.split("\r\n")[0],
                                 expect.ui3_summary(e.joined_with.ErrorText))
                if e.Category == 4:
                    self.assertIn("\r\nException Code returned was 0x", summary)
                self.assertNotIn(e.joined_with.AppName, [r["AppName"] for r in found.values()
                                                         if r["Category"] == 1])

    def test_each_interval_lists_the_errors_last_seen_in_it_newest_first(self):
        lists = []
        for interval in INTERVALS:
            with self.subTest(interval=interval):
                report = self.scan_json("--interval", interval)
                expected, start = self.expected_rows(interval)
                rows = [(e["AppName"], e["ErrorName"], e["Count"]) for e in report["errors"]]
                self.assertEqual(rows, [(e.AppName, e.ErrorName,
                                         e.count_since(start) if start else e.ErrorCount)
                                        for e in expected])
                lists.append(rows)
        self.assertEqual(len({tuple(r) for r in lists}), 4, "every interval lists different errors")

    def test_without_an_interval_the_first_interval_with_errors_is_shown(self):
        report = self.scan_json()
        self.assertEqual((report["interval"], report["Machine"]), ("week", MACHINE))
        self.assertEqual(len(report["errors"]), len(self.expected_rows("week")[0]))
        # The same drive analysed three years on: nothing in the last six months, so all of it.
        later = json.loads(run("--root", self.drive, "--now", "2029-03-01T12:00:00Z",
                               "--format", "json").stdout)
        self.assertEqual(later["interval"], "all")
        self.assertEqual(len(later["errors"]), len(self.sample.listed()))

    def test_dates_in_utc_or_in_the_machines_zone_and_one_burst_counted_in_full(self):
        rows = self.scan_json("--interval", "all")["errors"]
        lines = {tuple(r[:2]): r for r in csv.reader(io.StringIO(
            self.scan("--format", "csv", "--interval", "all", "--local"), newline=""))}
        self.assertEqual(lines[("AppName / SourceName", "Error Name / ID")][4],
                         "Last error (local time)")
        berlin = run("--root", self.drive, "--now", NOW, "--format", "csv", "--interval", "all",
                     "--local", env_tz="Europe/Berlin").stdout.decode()
        offsets = {r[4][19:] for r in list(csv.reader(io.StringIO(berlin, newline="")))[1:]}
        self.assertTrue(offsets and offsets <= {"+01:00", "+02:00"}, offsets)
        for r in rows:
            self.assertEqual(lines[(r["AppName"], r["ErrorName"])][4],
                             r["LastErrorDateTime"][:19] + "+00:00")
        # DCOM's timeouts come five to a second: every record counts, each second is one time.
        dcom = next(r for r in rows if r["AppName"] == "DCOM" and r["ErrorName"] == "10010")
        self.assertEqual((dcom["ErrorCount"], len(dcom["OccurrenceTimes"])), (8, 2))
        self.assertEqual(sum(dcom["DayCounts"]), 8)

    # --- output formats ---

    def test_the_fixed_now_is_the_instant_it_names(self):
        self.assertEqual(self.sample.now, NOW_FILETIME)

    def test_csv_reads_back_as_the_rows_of_the_json_output(self):
        for interval in ("week", "all"):
            with self.subTest(interval=interval):
                table = list(csv.reader(io.StringIO(self.scan("--format", "csv", "--interval",
                                                              interval), newline="")))
                self.assertEqual(table[0], TITLES)
                rows = self.scan_json("--interval", interval)["errors"]
                self.assertEqual(table[1:], [[r["AppName"], r["ErrorName"], str(r["Count"]),
                                              r["Age"], r["LastErrorDateTime"], r["AppPath"]]
                                             for r in rows])
                # The ages against the sample's own times and the instant worked out above.
                expected, _ = self.expected_rows(interval)
                self.assertEqual([row[3] for row in table[1:]],
                                 [age_text(e.LastErrorDateTime) for e in expected])

    def test_table_has_the_titles_one_line_per_row_and_the_status_text(self):
        lines = self.scan("--interval", "all").split("\n")
        self.assertEqual(lines[0].split("  ")[0], TITLES[0])
        for title in TITLES:
            self.assertIn(title, lines[0])
        count = len(self.sample.listed())
        self.assertEqual(lines[count + 1], "")
        self.assertTrue(lines[count + 2].startswith("%s: %d errors found" % (MACHINE, count)),
                        lines[count + 2])
        self.assertEqual(lines[count + 3:], [""])

    def test_german_texts(self):
        result = self.scan("--lang", "de", "--format", "csv", "--interval", "all")
        self.assertTrue(result.startswith("AppName / Quelle,"), result[:80])
        self.assertIn("vor ", result)
        report = json.loads(self.scan("--lang", "de", "--format", "json", "--interval", "all"))
        joined = [e for e in report["errors"] if e["Category"] == 4 and
                  (e["ErrorText"] or "").startswith("Einzelheiten aus dem Ereignisprotokoll: ")]
        self.assertTrue(joined)
        self.assertIn("Der zurückgegebene Ausnahmecode war 0x", joined[0]["ErrorSummary"])

    def test_a_fixed_now_gives_identical_output_run_after_run(self):
        for fmt in ("table", "csv", "json"):
            with self.subTest(format=fmt):
                first = run("--root", self.drive, "--now", NOW, "--format", fmt).stdout
                second = run("--root", self.drive, "--now", NOW, "--format", fmt).stdout
                self.assertEqual(first, second)
                later = run("--root", self.drive, "--now", "2026-03-03T12:00:00Z", "--format",
                            fmt).stdout
                self.assertNotEqual(first, later)
        xml = [os.path.join(WORK, "same%d.xml" % i) for i in (1, 2)]
        for path in xml:
            self.scan("--xml", path)
        self.assertEqual(read_bytes(xml[0]), read_bytes(xml[1]))

    # --- the XML report and its archive ---

    def test_xml_report_holds_the_listed_errors_masked_newest_first(self):
        path = os.path.join(WORK, "report.xml")
        self.scan("--xml", path)
        raw = error_report_xml.read_raw(path)
        self.assertNotIn("\n", raw.replace("\r\n", ""), "every line ends with CR LF")
        errors = error_report_xml.read(path)
        listed = self.sample.listed()
        self.assertEqual([e["id"] for e in errors], list(range(1, len(listed) + 1)))
        self.assertEqual([(e["AppName"], e["ErrorName"]) for e in errors],
                         [(expect.mask(e.AppName, expect.DRIVE_VARIABLES), e.ErrorName)
                          for e in listed])
        masked = lambda text: error_report_xml.as_parsed(expect.mask(text, expect.DRIVE_VARIABLES))
        for got, e in zip(errors, listed):
            with self.subTest(error=e.key):
                self.assertEqual(got["Category"], expect.CATEGORY_TEXTS[e.Category])
                self.assertEqual(got["ErrorCount"], str(e.ErrorCount))
                self.assertEqual(got["AppPath"], masked(e.AppPath))
                self.assertEqual(got["ErrorSummary"], masked(e.ErrorSummary))
                self.assertEqual(got["LastErrorDateTime"],
                                 expect.filetime_iso(e.LastErrorDateTime)[:19].replace("T", " "))
                if e.MessageTemplate is not None:
                    self.assertEqual(got["ErrorText"], masked(e.MessageTemplate))
                    self.assertEqual(got["ErrorTextParams"], masked(e.ErrorTextParams))
                else:
                    self.assertIn(got["ErrorText"], [masked(t) for t in e.text_choices] or
                                  [masked(e.ErrorText or "")])
                    self.assertNotIn("ErrorTextParams", got)

    def test_zip_archive_holds_the_report_under_its_file_name(self):
        xml, archive = os.path.join(WORK, "packed.xml"), os.path.join(WORK, "packed.zip")
        self.scan("--xml", xml, "--zip", archive)
        with zipfile.ZipFile(archive) as z:
            self.assertIsNone(z.testzip())
            self.assertEqual(z.namelist(), ["packed.xml"])
            self.assertEqual(z.read("packed.xml"), read_bytes(xml))
        alone = os.path.join(WORK, "alone.zip")
        self.scan("--zip", alone)
        self.assertFalse(os.path.exists(os.path.join(WORK, "alone.xml")))
        with zipfile.ZipFile(alone) as z:
            self.assertEqual(z.namelist(), ["alone.xml"])
            self.assertEqual(z.read("alone.xml"), read_bytes(xml))

    # --- what was read, and what was skipped ---

    def test_sources_name_each_log_with_its_records_and_time_span(self):
        import Evtx.Evtx as evtx  # python-evtx: the records counted by another reader
        report = self.scan_json("--interval", "all")
        logs = {s["log"]: s for s in report["sources"]["logs"]}
        self.assertEqual(sorted(logs), ["Application", "System"])
        for name, log in logs.items():
            with self.subTest(log=name):
                path = os.path.join(self.drive, "Windows", "System32", "winevt", "Logs",
                                    name + ".evtx")
                with evtx.Evtx(path) as file:
                    times = [r.timestamp() for r in file.records()]
                self.assertEqual(log["outcome"], "read")
                self.assertEqual(log["records"], len(times))
                self.assertEqual(log["oldest"], min(times).strftime("%Y-%m-%dT%H:%M:%SZ"))
                self.assertEqual(log["newest"], max(times).strftime("%Y-%m-%dT%H:%M:%SZ"))
                self.assertEqual((log["damagedChunks"], log["damagedRecords"], log["truncated"]),
                                 (0, 0, False))
        stderr = run("--root", self.drive, "--now", NOW).stderr.decode()
        self.assertIn("System: C:\\Windows\\System32\\winevt\\Logs\\System.evtx: %d records, "
                      % logs["System"]["records"], stderr)

    def test_damaged_logs_are_named_and_the_rest_still_read(self):
        drive = os.path.join(WORK, "damaged")
        shutil.rmtree(drive, ignore_errors=True)
        shutil.copytree(self.drive, drive)
        logs = os.path.join(drive, "Windows", "System32", "winevt", "Logs")
        os.remove(os.path.join(logs, "Application.evtx"))
        os.mkdir(os.path.join(logs, "Application.evtx"))
        system = os.path.join(logs, "System.evtx")
        data = bytearray(read_bytes(system))
        self.assertGreater(len(data), 4096 + 3 * 65536, "the sample's System log has 3+ chunks")
        data[4096 + 65536] ^= 0xFF  # the second chunk loses its signature
        with open(system, "wb") as f:
            f.write(data[:4096 + 2 * 65536 + 3000])  # and the file is cut inside the third
        result = run("--root", drive, "--now", NOW, "--format", "json", "--interval", "all")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        report = json.loads(result.stdout)
        found = {s["log"]: s for s in report["sources"]["logs"]}
        self.assertEqual(found["Application"]["outcome"], "not a file")
        self.assertEqual(found["System"]["outcome"], "read")
        self.assertEqual(found["System"]["damagedChunks"], 1)
        self.assertTrue(found["System"]["truncated"])
        self.assertGreater(found["System"]["records"], 0)
        self.assertTrue(report["errors"], "the first chunk's errors still come out")
        stderr = run("--root", drive, "--now", NOW).stderr.decode()
        self.assertIn("Application.evtx is not a file, skipped", stderr)
        self.assertIn("1 damaged chunk skipped, ", stderr)
        self.assertIn(", the file is cut short\n", stderr)

    def test_a_drive_where_nothing_can_be_read_fails_with_exit_code_1(self):
        drive = os.path.join(WORK, "bare")
        os.makedirs(os.path.join(drive, "Windows", "System32"), exist_ok=True)
        result = run("--root", drive, "--now", NOW)
        self.assertEqual(result.returncode, 1)
        self.assertIn("Application: no log file", result.stderr.decode())
        self.assertIn("could be read", result.stderr.decode().splitlines()[-1])

    # --- bad command lines ---

    def test_bad_options_fail_with_one_line_naming_the_option(self):
        cases = [(["--bogus"], "--bogus"), (["--interval", "year"], "--interval"),
                 (["--lang", "fr"], "--lang"), (["--format", "yaml"], "--format"),
                 (["--now", "yesterday"], "--now"), (["--now", "2026-03-01T12:00:00"], "--now"),
                 (["--root"], "--root"), (["--xml"], "--xml")]
        for args, option in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, b"")
                message = result.stderr.decode()
                self.assertEqual(message.count("\n"), 1, message)
                self.assertIn(option, message)

    def test_a_missing_root_fails_with_exit_code_1(self):
        missing = os.path.join(WORK, "no such drive")
        result = run("--root", missing)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode().count("\n"), 1)
        self.assertIn(missing, result.stderr.decode())

    def test_an_unwritable_report_fails_with_exit_code_1(self):
        result = run("--root", self.drive, "--now", NOW, "--xml",
                     os.path.join(WORK, "no such folder", "r.xml"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("r.xml", result.stderr.decode())

    def test_help_and_version(self):
        for option, text in (("--help", "Usage: veltrano-scan"), ("--version", "veltrano-scan ")):
            result = run(option)
            self.assertEqual(result.returncode, 0)
            self.assertTrue(result.stdout.decode().startswith(text))

    def test_without_a_root_the_bundled_sample_is_scanned(self):
        result = run("--interval", "all", "--format", "json")
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        names = {e["AppName"] for e in json.loads(result.stdout)["errors"]}
        self.assertIn("Application Error: lumen.exe", names)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
