#!/usr/bin/python3
"""veltrano-scan --message-stats on a sample machine made by the sample builder: the counts per
provider and in total, read back from the JSON and the table, against the counts derived from the
machine's description (manifest_expectations.py); and the texts of the manifest-based providers'
errors in the list.

  message_stats_test.py VELTRANO_SCAN SAMPLE_BUILDER MESSAGE_FILE WORK_DIR [unittest arguments]
"""
import json
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import manifest_expectations as manifests  # noqa: E402
import sample_expectations as expect  # noqa: E402

SCAN, BUILDER, MESSAGES, WORK = sys.argv[1:5]
NOW = "2026-03-01T12:00:00Z"


def run(*args):
    return subprocess.run([SCAN] + list(args), capture_output=True, timeout=120,
                          env=dict(os.environ, TZ="UTC", LANG="C.UTF-8"))


class MessageStats(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        cls.drive = os.path.join(WORK, "drive")
        description = os.path.join(WORK, "sample.json")
        subprocess.run([BUILDER, "--out", cls.drive, "--now", NOW, "--describe", description],
                       check=True, timeout=120)
        cls.sample = expect.Sample(description, MESSAGES)
        cls.expected = manifests.message_stats(cls.sample)

    def stats(self, *args):
        result = run("--root", self.drive, "--message-stats", *args)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return result.stdout.decode("utf-8")

    def counts(self, expected):
        return {"errors": expected["errors"],
                **{b: expected.get(b, 0) for b in manifests.BUCKETS}}

    def test_json_counts_every_error_record_in_its_bucket(self):
        got = json.loads(self.stats("--format", "json"))
        providers, total = self.expected
        self.assertEqual(got["total"], self.counts(total))
        self.assertEqual(set(got["providers"]), set(providers))
        for name, expected in providers.items():
            with self.subTest(provider=name):
                self.assertEqual(got["providers"][name], self.counts(expected))
        # The sample has every kind of outcome.
        for bucket in manifests.BUCKETS[:-1]:
            self.assertGreater(total.get(bucket, 0), 0, bucket)

    def test_table_has_one_row_per_provider_and_the_total(self):
        lines = self.stats().splitlines()
        providers, total = self.expected
        self.assertEqual(len(lines), 2 + len(providers))
        self.assertEqual(lines[-1].split(), ["total"] + [str(v) for v in
                                                         self.counts(total).values()])

    def test_the_list_shows_the_manifest_texts(self):
        # Texts that come from the event query path: the listing's own test compares every
        # row; here the manifest-based providers' rows are checked to be there with a text.
        report = json.loads(run("--root", self.drive, "--now", NOW, "--interval", "all",
                                "--format", "json").stdout)
        found = {(e["AppName"], e["ErrorName"]): e for e in report["errors"]}
        names = {p["name"] for p in self.sample.description["manifestProviders"]}
        resolved = 0
        for e in self.sample.listed():
            if e.AppName in names and e.ErrorText:
                got = found[(e.AppName, e.ErrorName)]
                self.assertEqual(got["ErrorText"], e.ErrorText)
                self.assertIsNone(got["MessageTemplate"])
                resolved += 1
        self.assertGreaterEqual(resolved, 4)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:])
