#!/usr/bin/python3
"""The error records of the real event logs among the shared samples, counted by python-evtx per
error and per day, against veltrano-scan's JSON output (ErrorCount, Days and DayCounts) and against the
bars of its report page in headless Chromium. Each sample machine gets a drive of its own. A
record python-evtx cannot read (the forwarded one of MSExchange_Management_wec) is named on stderr
and left out; its machine is still compared, so an error the scan found in it would fail here.

  real_log_counts_test.py VELTRANO_SCAN SAMPLES_DIR WORK_DIR [unittest arguments]
"""
import collections
import datetime
import json
import multiprocessing
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from headless_chromium import HeadlessChromium, find_chromium  # noqa: E402

SCAN, SAMPLES, WORK = sys.argv[1:4]
NOW = "2026-12-09T00:00:00Z"
EVENT = "{http://schemas.microsoft.com/win/2004/08/events/event}"
EPOCH = datetime.date(1970, 1, 1)
# The category of a crash or a hang, and how much of the program's name the list keeps.
CRASH_SOURCES = {"Application Error": (4, 108), "Application Hang": (3, 109)}
READ_BARS = """[...document.querySelectorAll(".chart-block .bar")].map((bar) => ({
  from: Number(bar.dataset.from), to: Number(bar.dataset.to),
  counts: bar.dataset.counts.split(",").map(Number), title: bar.title}))"""
BAR_TITLE = re.compile(r"^\D*(\d{4}-\d{2}-\d{2}): Total (\d+) \(")
MACHINES = []


def skip_or_fail(why):
    # Where no test may skip (the project's CI), what is missing fails the test instead.
    if os.environ.get("VELTRANO_NO_SKIPS") == "1":
        raise AssertionError(why + " (VELTRANO_NO_SKIPS=1: no test may skip here)")
    raise unittest.SkipTest(why)


def sample_machines():
    """{machine: {log: sample}}: DAM_<machine>__<log>.evtx share a machine; any other log is a
    machine of its own, its System log unless its name says Application."""
    found = collections.defaultdict(dict)
    for name in sorted(os.listdir(os.path.join(SAMPLES, "evtx"))):
        m = re.fullmatch(r"DAM_(.+)__(Application|System)\.evtx", name)
        if m:
            found[m[1]][m[2]] = os.path.join(SAMPLES, "evtx", name)
        elif name.endswith(".evtx"):
            log = "Application" if "Application" in name else "System"
            found[name[:-5]][log] = os.path.join(SAMPLES, "evtx", name)
    return found


def chunk_records(evtx, chunk):
    """(record, recovered) for the records of a chunk. python-evtx stops at the first record it
    cannot frame (the zero-size record of sample-with-zero-data-size-event); those the chunk's
    header still declares after it, whole with their size repeated at their end, are recovered
    from there on, as the scan recovers them."""
    end = chunk.offset() + 0x200
    for record in chunk.records():
        end = record.offset() + record.size()
        yield record, False
    ids = range(chunk.log_first_record_number(), chunk.log_last_record_number() + 1)
    buf, limit = chunk._buf, chunk.offset() + min(chunk.next_record_offset(), 0x10000)
    at = buf.find(b"**\0\0", end, limit)
    while 0 <= at < limit:
        size, number = struct.unpack_from("<IQ", buf, at + 4)
        whole = 24 <= size <= limit - at and struct.unpack_from("<I", buf, at + size - 4)[0] == size
        if whole and number in ids:
            yield evtx.Record(buf, at, chunk), True
        at = buf.find(b"**\0\0", at + (size if whole and number in ids else 1), limit)


def error_of(event, record):
    """(AppName, ErrorName, Category, day) of an error record (Level 1 or 2), or None."""
    system = event.find(EVENT + "System")
    if (system.findtext(EVENT + "Level") or "").strip() not in ("1", "2"):
        return None
    # The list names a record's source as the classic event log does, and the reader hands that
    # on (EvtxEventFields::ClassicSource): the provider's EventSourceName when it has one ("DCOM"
    # for Microsoft-Windows-DistributedCOM), else its Name.
    provider = system.find(EVENT + "Provider")
    source = provider.get("EventSourceName") or provider.get("Name") or ""
    event_id = int(system.findtext(EVENT + "EventID")) & 0xFFFF  # without the Qualifiers
    created = system.find(EVENT + "TimeCreated")
    stamp = created.get("SystemTime") if created is not None else None
    day = stamp[:10] if stamp else record.timestamp().strftime("%Y-%m-%d")
    category, limit = CRASH_SOURCES.get(source, (2, 0))
    program = (event.findtext(EVENT + "EventData/" + EVENT + "Data") or "") if limit else ""
    # python-evtx writes an array of strings as "<string>item</string>\n" per item.
    items = re.match(r"<string>(.*?)</string>\n", program, re.S)
    program = items[1] if items else program
    if program:  # cut as the list cuts it, in UTF-16 units
        source += ": " + program.encode("utf-16-le", "surrogatepass")[:2 * limit].decode(
            "utf-16-le", "surrogatepass")
    return source, str(event_id), category, day


def count_part(job):
    """The error records in every parts-th chunk of a log, how many of them were recovered, and
    what python-evtx could not read."""
    import Evtx.BinaryParser
    import Evtx.Evtx as evtx
    # Whole ticks: python-evtx's own conversion goes through a float of seconds, which can round
    # a time in the last microsecond of a day into the next day.
    Evtx.BinaryParser.parse_filetime = lambda ticks: \
        datetime.datetime(1601, 1, 1) + datetime.timedelta(microseconds=ticks // 10)
    path, part, parts = job
    errors, recovered, notes = [], 0, []
    with evtx.Evtx(path) as log:
        for index, chunk in enumerate(log.chunks()):
            # A chunk without its signature is where the readers disagree (see the samples'
            # MANIFEST); the scan skips it, as libevtx does.
            if index % parts != part or not chunk.check_magic():
                continue
            for record, recovering in chunk_records(evtx, chunk):
                try:
                    found = error_of(ET.fromstring(record.xml()), record)
                except Exception as e:
                    notes.append("%s: python-evtx cannot read record %d (%r); left out"
                                 % (os.path.basename(path), record.record_num(), e))
                    continue
                if found:
                    errors.append(found)
                    recovered += recovering
    return errors, recovered, notes


class Machine:
    def __init__(self, name, logs):
        self.name, self.logs, self.page = name, logs, os.path.join(WORK, name + ".html")
        self.drive = os.path.join(WORK, name)
        folder = os.path.join(self.drive, "Windows", "System32", "winevt", "Logs")
        os.makedirs(folder)
        for log, sample in logs.items():
            os.symlink(sample, os.path.join(folder, log + ".evtx"))
        self.records = []  # (AppName, ErrorName, Category, day) of each error record
        self.plain = collections.Counter()  # per sample, those python-evtx reads by itself


def setUpModule():
    """The sample machines, counted by python-evtx and scanned, once for every test."""
    if not os.path.isdir(os.path.join(SAMPLES, "evtx")):
        skip_or_fail("no shared samples at " + SAMPLES)
    try:
        import Evtx.Evtx  # noqa: F401
    except ImportError:
        skip_or_fail("needs python-evtx (Debian's python3-evtx)")
    shutil.rmtree(WORK, ignore_errors=True)
    found = [Machine(name, logs) for name, logs in sample_machines().items()]
    parts = os.cpu_count() or 1
    jobs = sorted(((m, (path, part, parts)) for m in found for path in m.logs.values()
                   for part in range(parts)), key=lambda job: -os.path.getsize(job[1][0]))
    with multiprocessing.Pool(parts) as pool:
        counted = pool.map(count_part, [job for _, job in jobs], chunksize=1)
    for (m, (path, _, _)), (errors, recovered, notes) in zip(jobs, counted):
        m.records += errors
        m.plain[os.path.basename(path)] += len(errors) - recovered
        for note in notes:
            print(note, file=sys.stderr)
    for m in found:
        result = subprocess.run([SCAN, "--root", m.drive, "--interval", "all", "--format", "json",
                                 "--now", NOW, "--html", m.page], capture_output=True,
                                env=dict(os.environ, TZ="UTC", LANG="C.UTF-8"), timeout=300)
        if result.returncode != 0:
            raise AssertionError("veltrano-scan on %s: %s" % (m.name, result.stderr.decode()))
        m.json = json.loads(result.stdout)
    MACHINES.extend(found)


class ErrorCounts(unittest.TestCase):
    def test_python_evtx_finds_the_errors_the_samples_list(self):
        listed = {}  # the errors and critical records of each log, as the MANIFEST counts them
        with open(os.path.join(SAMPLES, "MANIFEST.md"), encoding="utf-8") as f:
            for cells in (line.split("|") for line in f):
                if len(cells) > 8 and cells[1].strip().endswith(".evtx`"):
                    listed[cells[1].strip(" `")] = int(cells[6]) + int(cells[7])
        for m in MACHINES:
            for sample in map(os.path.basename, m.logs.values()):
                with self.subTest(sample=sample):
                    self.assertEqual(m.plain[sample], listed[sample])

    def test_every_error_is_counted_in_full_and_per_day(self):
        for m in MACHINES:
            expected = collections.Counter((r[0], r[1]) for r in m.records)
            days, categories = collections.defaultdict(collections.Counter), {}
            for app, name, category, day in m.records:
                days[(app, name)][day] += 1
                categories[(app, name)] = category
            got = {(e["AppName"], e["ErrorName"]): e for e in m.json["errors"]}
            with self.subTest(machine=m.name):
                self.assertEqual(sorted(got), sorted(expected))
            for key in sorted(set(got) & set(expected)):
                e = got[key]
                with self.subTest(machine=m.name, error="%s %s" % key, field="ErrorCount"):
                    self.assertEqual(e["Category"], categories[key])
                    self.assertEqual(e["ErrorCount"], expected[key])
                with self.subTest(machine=m.name, error="%s %s" % key, field="DayCounts"):
                    # Days, oldest first, each once, and the records of each.
                    self.assertEqual(len(e["Days"]), len(e["DayCounts"]))
                    self.assertEqual(e["Days"], sorted(set(e["Days"])))
                    self.assertEqual(dict(zip(e["Days"], e["DayCounts"])), dict(days[key]))


class PageBars(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not find_chromium():
            skip_or_fail("needs Debian's chromium (tools/ci/packages.sh)")
        cls.browser = HeadlessChromium(window=(1280, 700)).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.browser.__exit__(None, None, None)

    def test_the_bars_of_all_days_hold_every_error_record_once(self):
        for m in MACHINES:
            per_day = collections.defaultdict(lambda: [0, 0, 0, 0])
            for _, _, category, day in m.records:
                per_day[(datetime.date.fromisoformat(day) - EPOCH).days][category - 1] += 1
            with self.subTest(machine=m.name):
                self.browser.open(m.page)
                self.assertEqual(self.browser.evaluate("document.body.dataset.ready"), "1")
                self.browser.evaluate("document.querySelector('[data-range=\"all\"]').click()")
                bars = self.browser.evaluate(READ_BARS)
                self.assertTrue(bars)
                wrong, held, last = [], 0, -10**9
                for bar in bars:
                    self.assertTrue(last < bar["from"] <= bar["to"], "bars out of order")
                    last = bar["to"]
                    days = [per_day[d] for d in range(bar["from"], bar["to"] + 1) if d in per_day]
                    expected = [sum(counts[k] for counts in days) for k in range(4)]
                    held += sum(expected)
                    title = BAR_TITLE.match(bar["title"])
                    self.assertIsNotNone(title, bar["title"])
                    self.assertEqual(title[1], str(EPOCH + datetime.timedelta(bar["from"])))
                    if bar["counts"] != expected or int(title[2]) != sum(expected):
                        wrong.append("%s: python-evtx %s" % (bar["title"], expected))
                if wrong:
                    self.fail("%d of %d bars differ:\n%s"
                              % (len(wrong), len(bars), "\n".join(wrong[:12])))
                self.assertEqual(held, len(m.records), "error records outside every bar")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
