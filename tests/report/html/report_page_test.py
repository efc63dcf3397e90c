#!/usr/bin/python3
"""The report page in a real browser: veltrano-scan --html on the sample machine, opened from disk
in headless Chromium with the network off, read back from the rendered document and checked
against the JSON output of the same scan (rows, counts, ages, tooltips, daily bars, filters,
sorting, search, details); a drive of hostile report files whose texts must stay text; and a page
of two machines (machine column, filter, one timeline per machine).

  report_page_test.py VELTRANO_SCAN SAMPLE_BUILDER WORK_DIR [unittest arguments]
"""
import datetime
import json
import os
import re
import shutil
import subprocess
import sys
import unittest
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from headless_chromium import HeadlessChromium, find_chromium  # noqa: E402

SCAN, BUILDER, WORK = sys.argv[1:4]
NOW = "2026-03-01T12:00:00Z"
INTERVALS = ["week", "month", "6months", "all"]
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=datetime.timezone.utc)

# Collects every rendered row of the virtual list by scrolling it from top to bottom.
COLLECT_ROWS = """(async () => {
  const frame = () => new Promise((r) => requestAnimationFrame(() => r()));
  const settle = async () => { for (let i = 0; i < 3; ++i) await frame(); };
  const box = document.getElementById("rows");
  const rows = new Map();
  box.scrollTop = 0; await settle();
  for (;;) {
    for (const r of box.querySelectorAll(".row")) {
      const cell = (c) => r.querySelector("." + c);
      rows.set(Number(r.dataset.pos), {
        machine: cell("machine") ? cell("machine").textContent : null,
        icon: cell("app").querySelector("i").className,
        app: cell("app").textContent, name: cell("name").textContent,
        count: cell("count").textContent, age: cell("age").textContent,
        path: cell("path").textContent, countTip: cell("count").title, ageTip: cell("age").title,
        entry: Number(r.dataset.entry)});
    }
    if (box.scrollTop + box.clientHeight >= box.scrollHeight - 1) break;
    box.scrollTop += box.clientHeight; await settle();
  }
  return [...rows.keys()].sort((a, b) => a - b).map((k) => rows.get(k));
})()"""

# The bars of every chart block: [{machine, max, height, bars: [{from, to, counts, segs}]}].
READ_BARS = """[...document.querySelectorAll(".chart-block")].map((b) => {
  const chart = b.querySelector(".chart");
  return {machine: b.dataset.machine, max: Number(chart.dataset.max),
          height: Number(chart.dataset.height),
          bars: [...chart.querySelectorAll(".bar")].map((bar) => ({
            from: Number(bar.dataset.from), to: Number(bar.dataset.to),
            counts: bar.dataset.counts.split(",").map(Number), title: bar.title,
            segs: [...bar.querySelectorAll(".seg")].map((s) => ({
              cls: s.className, n: Number(s.dataset.n),
              height: parseFloat(s.style.height)}))}))};
})"""


def click(selector):
    return f"document.querySelector({json.dumps(selector)}).click()"


def day_of(iso):
    t = datetime.datetime.strptime(iso, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=datetime.timezone.utc)
    return (t - EPOCH).days


def local_text(iso):
    """The host clock's date text under TZ=UTC: "YYYY-MM-DD HH:MM:SS", the date alone at midnight."""
    text = iso.replace("T", " ").rstrip("Z")
    return text[:10] if text.endswith("00:00:00") else text


def expected_tooltip(error, interval):
    """The window's occurrence tooltip, from the JSON fields alone."""
    count = {"week": error["WeekCount"], "month": error["MonthCount"],
             "6months": error["HalfYearCount"], "all": error["ErrorCount"]}[interval]
    first = {"week": error["WeekFirstTime"], "month": error["MonthFirstTime"],
             "6months": error["HalfYearFirstTime"], "all": error["FirstErrorDateTime"]}[interval]
    times = error["OccurrenceTimes"][:8 if count > 10 else count]
    lines = ["Error was recorded at:"] + [local_text(t) for t in times]
    if count > 10:
        lines += ["...", local_text(first)]
    return "\n".join(lines) + "\n"


def per_day(errors):
    """Occurrences per day and category (1 to 4), from the JSON's day counts."""
    days = {}
    for e in errors:
        for day, n in zip(e["Days"], e["DayCounts"]):
            days.setdefault(day_of(day + "T00:00:00Z"), [0, 0, 0, 0])[e["Category"] - 1] += n
    return days


def as_utf8(text):
    """A text as UTF-8 output shows it: a lone surrogate becomes U+FFFD (the page keeps it)."""
    return re.sub("[\ud800-\udfff]", "\ufffd", text)


def run(*args):
    env = dict(os.environ, TZ="UTC", LANG="C.UTF-8")
    result = subprocess.run(list(args), capture_output=True, env=env, timeout=120)
    if result.returncode != 0:
        raise AssertionError(f"{args[0]} failed: {result.stderr.decode(errors='replace')}")
    return result.stdout


def write_report(folder, fields):
    """A report file as Windows writes it: UTF-16LE with a byte-order mark, CRLF lines."""
    os.makedirs(folder, exist_ok=True)
    text = "".join(f"{key}={value}\r\n" for key, value in fields)
    with open(os.path.join(folder, "Report.wer"), "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le", errors="surrogatepass"))


def filetime(iso):
    t = datetime.datetime.strptime(iso, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=datetime.timezone.utc)
    return int((t - EPOCH).total_seconds()) * 10_000_000 + 116444736000000000


HOSTILE = [
    # (AppName, FriendlyEventName, AppPath, ReportDescription, EventTime)
    ("<img src=x onerror=alert(1)>", "</script><script>window.pwned=1</script>",
     "C:\\\"><svg onload=alert(2)>\\a&amp;b.exe", "<b>bold</b> & \"quoted\" \u2028 next ]]>",
     "2026-02-28T10:00:00Z"),
    ("<!-- <script>window.pwned=2</script>", "&lt;escaped&gt; \u2029 \U0001F600",
     "javascript:alert(3)", "{{constructor.constructor('window.pwned=3')()}}",
     "2026-02-20T08:30:00Z"),
    ("\"'><iframe src=javascript:alert(4)>", "<style>body{display:none}</style>",
     "C:\\x\ud800y.exe", "onmouseover=alert(5) \"", "2026-01-15T23:59:59Z"),
]


def write_hostile_drive(root):
    archive = os.path.join(root, "ProgramData", "Microsoft", "Windows", "WER", "ReportArchive")
    for i, (app, name, path, description, time) in enumerate(HOSTILE):
        write_report(os.path.join(archive, f"AppCrash_{i}"), [
            ("EventType", "APPCRASH"), ("EventTime", filetime(time)),
            ("FriendlyEventName", name), ("AppName", app), ("AppPath", path),
            ("ReportDescription", description),
            ("IntegratorReportIdentifier", f"00000000-0000-0000-0000-00000000000{i}")])


# Where no test may skip (the project's CI), a missing browser fails the test instead.
@unittest.skipUnless(find_chromium() or os.environ.get("VELTRANO_NO_SKIPS") == "1",
                     "needs Debian's chromium (tools/ci/packages.sh)")
class ReportPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        cls.drive = os.path.join(WORK, "FAMILY-DRIVE")
        run(BUILDER, "--out", cls.drive, "--now", NOW)
        cls.page = os.path.join(WORK, "sample.html")
        cls.json = {}
        for interval in INTERVALS:
            args = ["--root", cls.drive, "--now", NOW, "--format", "json", "--interval", interval]
            if interval == "all":
                args += ["--html", cls.page]
            cls.json[interval] = json.loads(run(SCAN, *args))
        cls.hostile = os.path.join(WORK, "<svg onload=alert(6)>")
        write_hostile_drive(cls.hostile)
        cls.browser = HeadlessChromium(window=(1280, 700)).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.browser.__exit__(None, None, None)

    def load(self, page):
        self.browser.open(page)
        self.assertEqual(self.browser.evaluate("document.body.dataset.ready"), "1")

    def rows(self):
        return self.browser.evaluate(COLLECT_ROWS)

    def expect_rows(self, rows, errors, interval):
        self.assertEqual([(r["app"], r["name"]) for r in rows],
                         [(e["AppName"], e["ErrorName"]) for e in errors])
        for row, e in zip(rows, errors):
            with self.subTest(interval=interval, error=e["AppName"] + "_" + e["ErrorName"]):
                self.assertEqual(row["count"], str(e["Count"]))
                self.assertEqual(row["age"], e["Age"])
                self.assertEqual(as_utf8(row["path"]), e["AppPath"])
                self.assertEqual(row["icon"], f"icon k{e['Category']}")
                self.assertEqual(row["countTip"], expected_tooltip(e, interval))
                self.assertEqual(row["ageTip"], row["countTip"])

    def test_the_list_of_every_interval_is_the_scans_list(self):
        self.load(self.page)
        self.assertLess(os.path.getsize(self.page), 1 << 20)
        # Opens on the window's own choice, with its status line.
        first = self.json["week"]
        self.assertEqual(self.browser.evaluate(
            "document.querySelector('.intervals [aria-pressed=true]').dataset.interval"), "1")
        for i, interval in enumerate(INTERVALS, 1):
            self.browser.evaluate(click(f'.intervals [data-interval="{i}"]'))
            report = self.json[interval]
            self.expect_rows(self.rows(), report["errors"], interval)
            self.assertEqual(self.browser.evaluate(
                "document.getElementById('status').textContent"), report["status"])
        self.assertTrue(first["errors"])
        # One machine: no machine column, no machine filter.
        self.assertIsNone(self.browser.evaluate("document.getElementById('machine-filter')"))
        self.assertFalse(self.browser.evaluate("!!document.querySelector('.row .machine')"))
        self.assertEqual(self.browser.event_methods("Page.javascriptDialogOpening"), [])
        self.assertEqual(self.browser.evaluate(
            "performance.getEntriesByType('resource').length"), 0)

    def test_daily_bars_count_the_occurrences_of_each_day_and_category(self):
        self.load(self.page)
        errors = self.json["all"]["errors"]
        days = per_day(errors)
        today = day_of(NOW)
        for button, bars_expected in (("30", 30), ("180", 183)):
            self.browser.evaluate(click(f'[data-range="{button}"]'))
            (chart,) = self.browser.evaluate(READ_BARS)
            bars = chart["bars"]
            self.assertEqual([b["from"] for b in bars],
                             list(range(today - bars_expected + 1, today + 1)))
            expected = [days.get(b["from"], [0, 0, 0, 0]) for b in bars]
            self.assertEqual([b["counts"] for b in bars], expected)
            self.assertEqual(chart["max"], max(sum(c) for c in expected))
            for bar in bars:
                segs = {s["cls"]: s for s in bar["segs"]}
                for k, n in enumerate(bar["counts"], 1):
                    if n == 0:
                        self.assertNotIn(f"seg c{k}", segs)
                        continue
                    self.assertEqual(segs[f"seg c{k}"]["n"], n)
                    self.assertAlmostEqual(segs[f"seg c{k}"]["height"],
                                           n * chart["height"] / chart["max"], places=2)
        # Everything, by weeks from Monday: every occurrence in exactly one bar.
        self.browser.evaluate(click('[data-range="all"]'))
        (chart,) = self.browser.evaluate(READ_BARS)
        for bar in chart["bars"]:
            self.assertEqual((bar["from"] + 3) % 7, 0)
            week = [0, 0, 0, 0]
            for d, counts in days.items():
                if bar["from"] <= d <= bar["to"]:
                    week = [a + b for a, b in zip(week, counts)]
            self.assertEqual(bar["counts"], week)
        self.assertEqual(sum(sum(b["counts"]) for b in chart["bars"]),
                         sum(e["ErrorCount"] for e in errors))

        # A click on the busiest day of the last 30 lists exactly the errors of that day.
        self.browser.evaluate(click('[data-range="30"]'))
        busiest = max(range(today - 29, today + 1), key=lambda d: sum(days.get(d, [0])))
        self.browser.evaluate(click(f'.bar[data-from="{busiest}"]'))
        rows = self.rows()
        on_day = [(e, dict(zip(map(lambda d: day_of(d + "T00:00:00Z"), e["Days"]),
                               e["DayCounts"])).get(busiest, 0)) for e in errors]
        # The errors of that day, each with its count that day.
        self.assertEqual([(r["app"], r["name"], r["count"]) for r in rows],
                         [(e["AppName"], e["ErrorName"], str(n)) for e, n in on_day if n])
        title = self.browser.evaluate(f"document.querySelector('.bar[data-from=\"{busiest}\"]').title")
        self.assertIn(str(sum(days[busiest])), title)
        self.assertIn((EPOCH + datetime.timedelta(days=busiest)).date().isoformat(), title)
        self.browser.evaluate(click("#day-filter button"))
        self.assertEqual(len(self.rows()), len(self.json["all"]["errors"]))

    def test_an_old_drive_opens_on_its_errors(self):
        # The same drive analysed three years later: nothing recent, so the page opens on all of
        # it, says up to when the errors go, and its timelines end where the errors end.
        later = "2029-03-01T12:00:00Z"
        page = os.path.join(WORK, "later.html")
        errors = json.loads(run(SCAN, "--root", self.drive, "--now", later, "--format", "json",
                                "--html", page))["errors"]
        self.load(page)
        pressed = "[...document.querySelectorAll('%s [aria-pressed=\"true\"]')].map((b) => b.dataset.%s)"
        self.assertEqual(self.browser.evaluate(pressed % (".intervals", "interval")), ["4"])
        self.assertEqual(self.browser.evaluate(pressed % ("#timeline", "range")), ["all"])
        self.assertEqual(len(self.rows()), len(errors))
        days = per_day(errors)
        first, newest = min(days), max(days)
        iso = lambda d: (EPOCH + datetime.timedelta(days=d)).date().isoformat()
        self.assertEqual(self.browser.evaluate("document.querySelector('.up-to').textContent"),
                         "errors up to %s; scanned %s" % (iso(newest), later[:10]))
        (chart,) = self.browser.evaluate(READ_BARS)
        bars = chart["bars"]
        self.assertEqual((bars[0]["from"] <= first < bars[0]["from"] + 7, bars[-1]["to"]),
                         (True, newest))
        self.assertEqual(sum(sum(b["counts"]) for b in bars), sum(e["ErrorCount"] for e in errors))
        for button, span in (("30", 30), ("180", 183)):
            self.browser.evaluate(click(f'[data-range="{button}"]'))
            (chart,) = self.browser.evaluate(READ_BARS)
            self.assertEqual([b["from"] for b in chart["bars"]],
                             list(range(newest - span + 1, newest + 1)))
        # A recent drive's page has no such note.
        self.load(self.page)
        self.assertIsNone(self.browser.evaluate("document.querySelector('.up-to')"))

    def test_sorting_search_and_details(self):
        self.load(self.page)
        self.browser.evaluate(click('.intervals [data-interval="4"]'))
        errors = self.json["all"]["errors"]
        order = list(range(len(errors)))
        self.browser.evaluate(click('.grid-head [data-key="count"]'))
        by_count = sorted(order, key=lambda i: (errors[i]["Count"], i))
        self.assertEqual([r["name"] for r in self.rows()], [errors[i]["ErrorName"] for i in by_count])
        self.browser.evaluate(click('.grid-head [data-key="count"]'))
        down = sorted(order, key=lambda i: (-errors[i]["Count"], i))
        self.assertEqual([r["name"] for r in self.rows()], [errors[i]["ErrorName"] for i in down])
        self.browser.evaluate(click('.grid-head [data-key="age"]'))
        # Youngest first; equal times keep the window's order.
        by_age = sorted(order, key=lambda i: (errors[i]["LastErrorDateTime"], -i), reverse=True)
        self.assertEqual([r["name"] for r in self.rows()], [errors[i]["ErrorName"] for i in by_age])
        self.browser.evaluate(click('.grid-head [data-key="app"]'))
        initials = [r["app"][:1].casefold() for r in self.rows()]
        self.assertEqual(initials, sorted(initials))

        # Search over names, paths and texts, without letter case.
        word = "QUILLMAIL"
        self.browser.evaluate(f"""(() => {{ const s = document.getElementById("search");
            s.value = {json.dumps(word)}; s.dispatchEvent(new Event("input")); }})()""")
        hits = {(e["AppName"], e["ErrorName"]) for e in errors if word.lower() in "\n".join(
            [e["AppName"], e["ErrorName"], e["AppPath"], e["ErrorSummary"],
             e["ErrorText"] or ""]).lower()}
        found = self.rows()
        self.assertTrue(hits)
        self.assertEqual({(r["app"], r["name"]) for r in found}, hits)

        # Details of the first hit: summary, the detail text behind its link, the lookup link.
        self.browser.evaluate(click(".row"))
        e = next(x for x in errors if (x["AppName"], x["ErrorName"]) ==
                 (found[0]["app"], found[0]["name"]))
        details = self.browser.evaluate("""(() => {
            const d = document.getElementById("details");
            const pre = d.querySelector("pre.detail");
            const hiddenBefore = pre.hidden;
            d.querySelector(".detail-link").click();
            return {summary: d.querySelector(".summary").textContent, hiddenBefore,
                    hiddenAfter: pre.hidden, text: pre.textContent,
                    font: getComputedStyle(pre).fontFamily,
                    lookup: d.querySelector("a.lookup").href}; })()""")
        self.assertEqual(details["summary"], e["ErrorSummary"].replace("\r\n", "\n"))
        self.assertTrue(details["hiddenBefore"])
        self.assertFalse(details["hiddenAfter"])
        self.assertEqual(details["text"], e["ErrorText"].replace("\r\n", "\n"))
        self.assertIn("monospace", details["font"])
        url = urllib.parse.urlsplit(details["lookup"])
        self.assertEqual((url.scheme, url.path), ("http", "/search.pl"))
        fields = url.query.split("|")
        self.assertEqual(len(fields), 16)
        self.assertEqual(fields[0], f"2{e['Category']}")
        self.assertEqual(urllib.parse.unquote(fields[1]), e["AppName"])
        self.assertEqual(fields[3], str(e["Count"]))

    def test_german_page(self):
        page = os.path.join(WORK, "sample_de.html")
        report = json.loads(run(SCAN, "--root", self.drive, "--now", NOW, "--lang", "de",
                                "--format", "json", "--interval", "month", "--html", page))
        self.load(page)
        self.assertEqual(self.browser.evaluate("document.documentElement.lang"), "de")
        self.assertEqual(self.browser.evaluate(
            "[...document.querySelectorAll('.intervals button')].map((b) => b.textContent)"),
            ["Letzte Woche", "Letzten Monat", "6 Monate", "Alle"])
        self.browser.evaluate(click('.intervals [data-interval="2"]'))
        rows = self.rows()
        self.assertEqual([r["age"] for r in rows], [e["Age"] for e in report["errors"]])
        self.assertTrue(rows[0]["countTip"].startswith("Fehler wurde aufgezeichnet am:\n"))

    def test_hostile_texts_stay_text(self):
        page = os.path.join(WORK, "hostile.html")
        run(SCAN, "--root", self.hostile, "--now", NOW, "--html", page, "--interval", "all")
        with open(page, encoding="utf-8") as f:
            html = f.read()
        self.assertNotIn("<img", html)
        self.assertEqual(html.count("<script"), 2)
        since = len(self.browser.events)
        self.load(page)
        self.browser.evaluate(click('.intervals [data-interval="4"]'))
        rows = self.rows()
        self.assertEqual(sorted(r["app"] for r in rows), sorted(h[0] for h in HOSTILE))
        for app, name, path, description, _ in HOSTILE:
            row = next(r for r in rows if r["app"] == app)
            self.assertEqual(row["name"], name)
            if "\ud800" not in path:
                self.assertEqual(row["path"], path)
        self.browser.evaluate(f"document.querySelector('.row[data-pos=\"0\"]').click()")
        summary = self.browser.evaluate("document.querySelector('#details .summary').textContent")
        self.assertIn(summary, [h[3] for h in HOSTILE])
        self.assertEqual(self.browser.evaluate("document.title"),
                         "Veltrano error report \u2014 <svg onload=alert(6)>")
        self.assertIsNone(self.browser.evaluate("window.pwned === undefined ? null : window.pwned"))
        self.assertEqual(self.browser.evaluate(
            "document.querySelectorAll('img, svg, iframe, b, body style').length"), 0)
        self.assertEqual(self.browser.evaluate("document.scripts.length"), 2)
        self.assertEqual(self.browser.evaluate("getComputedStyle(document.body).display"), "block")
        events = self.browser.events[since:]
        self.assertEqual([e for e in events if e.get("method") == "Page.javascriptDialogOpening"],
                         [])
        # Nothing but the file itself and its inline pictures was asked for.
        asked = {e["params"]["request"]["url"].split(":")[0] for e in events
                 if e.get("method") == "Network.requestWillBeSent"}
        self.assertLessEqual(asked, {"file", "data"})

    def test_a_page_of_two_machines(self):
        page = os.path.join(WORK, "two.html")
        run(SCAN, "--root", self.drive, "--root", self.hostile, "--now", NOW, "--html", page)
        self.load(page)
        names = ["FAMILY-PC", "<svg onload=alert(6)>"]
        # Each machine's header holds what its scan read, as the run says it on standard error.
        said = subprocess.run([SCAN, "--root", self.drive, "--root", self.hostile, "--now", NOW],
                              capture_output=True, env=dict(os.environ, TZ="UTC")).stderr.decode()
        heads = self.browser.evaluate("""[...document.querySelectorAll('.machine-head')].map(
            (h) => [...h.querySelectorAll('tr')].map((r) => [...r.cells].map((c) => c.textContent)))""")
        for name, facts in zip(names, heads):
            lines = [l[len(name) + 2:] for l in said.splitlines() if l.startswith(name + ": ")]
            self.assertGreater(len(lines), 0, name)
            self.assertEqual([": ".join(f) for f in facts[1:1 + len(lines)]], lines, name)
        hostile = json.loads(run(SCAN, "--root", self.hostile, "--now", NOW, "--format", "json",
                                 "--interval", "all"))
        by_machine = [self.json["all"]["errors"], hostile["errors"]]
        self.assertEqual(self.browser.evaluate(
            "[...document.querySelectorAll('.machine-head h3')].map((h) => h.textContent)"), names)
        self.browser.evaluate(click('.intervals [data-interval="4"]'))
        rows = self.rows()
        self.assertEqual(sorted((r["machine"], r["app"], r["name"]) for r in rows),
                         sorted((names[m], e["AppName"], e["ErrorName"])
                                for m in (0, 1) for e in by_machine[m]))
        for m in (0, 1):
            self.browser.evaluate(f"""(() => {{ const s = document.getElementById("machine-filter");
                s.value = "{m}"; s.dispatchEvent(new Event("change")); }})()""")
            self.browser.evaluate(click('.intervals [data-interval="4"]'))
            rows = self.rows()
            self.assertEqual({r["machine"] for r in rows}, {names[m]})
            self.expect_rows(rows, by_machine[m], "all")
        # One timeline per machine on demand, each counting its own machine's days.
        self.browser.evaluate(click("#per-machine"))
        self.browser.evaluate(click('[data-range="180"]'))
        charts = self.browser.evaluate(READ_BARS)
        self.assertEqual([c["machine"] for c in charts], ["0", "1"])
        for m, chart in enumerate(charts):
            days = per_day(by_machine[m])
            self.assertEqual([b["counts"] for b in chart["bars"]],
                             [days.get(b["from"], [0, 0, 0, 0]) for b in chart["bars"]])
        self.assertTrue(any(sum(b["counts"]) for b in charts[1]["bars"]))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
