#!/usr/bin/python3
"""The report page in headless Chromium: how soon the page of a synthetic machine (5,000
distinct errors, 50,000 occurrences) is interactive, against a plain HTML table of the same rows
opened in the same browser; how fast it answers a change of interval and a search; and the size
of the sample machine's page.

  tools/bench/html/report_page_bench.py [BUILD_DIR]     (default build/native-release)
"""
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from headless_chromium import HeadlessChromium, find_chromium  # noqa: E402

RUNS = 7
NOW = "2026-03-01T12:00:00Z"

TIMES = """(() => {
  const nav = performance.getEntriesByType("navigation")[0];
  const ready = performance.getEntriesByName("veltrano-ready")[0];
  return {ready: ready ? ready.startTime : null, load: nav.loadEventEnd,
          rows: document.querySelectorAll(".row, tr").length};
})()"""

# Milliseconds from a click on "All" until the list is drawn, then for a search over all texts.
INTERACTION = """(async () => {
  const frame = () => new Promise((r) => requestAnimationFrame(() => r()));
  let t = performance.now();
  document.querySelector('.intervals [data-interval="4"]').click();
  await frame();
  const interval = performance.now() - t;
  const s = document.getElementById("search");
  t = performance.now();
  s.value = "driver"; s.dispatchEvent(new Event("input"));
  await frame();
  const search = performance.now() - t;
  return {interval, search, shown: document.getElementById("status").textContent};
})()"""


def median(values):
    return statistics.median(values)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "native-release")
    if not find_chromium():
        print("report_page_bench: needs Debian's chromium", file=sys.stderr)
        return 1
    env = dict(os.environ, TZ="UTC", LANG="C.UTF-8")
    with tempfile.TemporaryDirectory(prefix="veltrano-page-bench-") as work:
        subprocess.run([os.path.join(build, "tools", "bench", "html", "report_page_bench"), work],
                       check=True, env=env)
        drive = os.path.join(work, "sample")
        subprocess.run([os.path.join(build, "tools", "sample_machine", "veltrano-sample-machine"),
                        "--out", drive, "--now", NOW], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        sample = os.path.join(work, "sample.html")
        subprocess.run([os.path.join(build, "src", "cli", "veltrano-scan"), "--root", drive,
                        "--now", NOW, "--format", "json", "--html", sample], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        size = os.path.getsize(sample)
        print(f"sample machine's page: {size / 1e6:.3f} MB ({'under' if size < 1e6 else 'OVER'}"
              " the 1 MB target)")

        page = os.path.join(work, "synthetic.html")
        table = os.path.join(work, "plain_table.html")
        ready, load, peer, interval, search = [], [], [], [], []
        with HeadlessChromium(window=(1280, 900)) as browser:
            for _ in range(RUNS):
                browser.open(page)
                t = browser.evaluate(TIMES)
                ready.append(t["ready"])
                load.append(t["load"])
                i = browser.evaluate(INTERACTION)
                interval.append(i["interval"])
                search.append(i["search"])
                browser.open(table)
                peer.append(browser.evaluate(TIMES)["load"])
        print(f"synthetic page interactive after {median(ready):.0f} ms (median of {RUNS}; "
              f"{min(ready):.0f}-{max(ready):.0f}), load event done at {median(load):.0f} ms; "
              f"target under 1000 ms: {'met' if median(ready) < 1000 else 'MISSED'}")
        print(f"plain table of the same rows loaded at {median(peer):.0f} ms: the page is ready "
              f"in {median(ready) / median(peer):.2f} of the plain table's time")
        print(f"switching to All: {median(interval):.0f} ms; a search over every text: "
              f"{median(search):.0f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
