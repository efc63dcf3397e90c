#!/usr/bin/python3
"""A month of a fleet in ClickHouse: 1,000 machines scanned daily for 30 days. Each machine's lines
are those of one of three seeded sample machines scanned by veltrano-scan (a scan line, then
about 25 distinct errors), with the machine's name and folder and the day's ScanTime; they are
loaded day by day with tools/fleet/load.sh into a ClickHouse server of the bench's own. Prints
the load rate, the bytes per line as NDJSON and as stored, and the times of the fleet's views,
each against a plain count() over the same table measured in the same run.

  clickhouse_bench.py VELTRANO_SCAN SAMPLE_BUILDER SOURCE_DIR WORK_DIR [MACHINES] [DAYS]
"""
import datetime
import json
import os
import shutil
import subprocess
import sys
import time

SCAN, BUILDER, SOURCE, WORK = sys.argv[1:5]
MACHINES = int(sys.argv[5]) if len(sys.argv) > 5 else 1000
DAYS = int(sys.argv[6]) if len(sys.argv) > 6 else 30
sys.path.insert(0, os.path.join(SOURCE, "tools", "fleet"))
from clickhouse_server import ClickHouseServer  # noqa: E402

NOW = datetime.datetime(2026, 11, 8, 12, 0, 0)
QUERIES = {
    "top errors of the week": "SELECT * FROM veltrano.top_errors WHERE Period = 'week' "
                              "ORDER BY Machines DESC, Occurrences DESC LIMIT 20",
    "machines with one error": "SELECT Machine, ErrorCount FROM veltrano.error_machines "
                               "WHERE ErrorKey = '{key}' ORDER BY Machine",
    "new errors since the previous scan": "SELECT count() FROM veltrano.new_errors",
    "machines whose last scan read nothing": "SELECT * FROM veltrano.failed_scans",
    "machines not scanned for a week": "SELECT count() FROM veltrano.stale_machines "
                                       "WHERE DaysBehind > 7",
    "peer: count() of every row": "SELECT count() FROM veltrano.errors",
}


def iso(t):
    return t.strftime("%Y-%m-%dT%H:%M:%SZ")


TIMES = ("WeekFirstTime", "MonthFirstTime", "HalfYearFirstTime", "LastErrorDateTime",
         "FirstErrorDateTime")


def shifted(text, minutes):
    t = datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ")
    return iso(t - datetime.timedelta(minutes=minutes))


def machine_lines(model, m):
    """A machine's own lines: its scan line names its own folder, and its errors happened at its
    own times (a few minutes apart from the model's), so that the stored rows are not copies of
    each other."""
    minutes = m % 997
    lines = []
    for line in model:
        line = dict(line, Machine="PC-%05d" % m)
        if line["Schema"] == "veltrano-fleet-scan-1":
            lines.append(dict(line, Folder="/srv/triage/pc-%05d" % m))
            continue
        for field in TIMES:
            line[field] = shifted(line[field], minutes)
        line["OccurrenceTimes"] = [shifted(t, minutes) for t in line["OccurrenceTimes"]]
        lines.append(line)
    return lines


def model_lines():
    lines = []
    for seed in (1, 2, 3):
        drive = os.path.join(WORK, "model-%d" % seed)
        subprocess.run([BUILDER, "--out", drive, "--now", iso(NOW), "--computer", "MODEL",
                        "--seed", str(seed)], check=True)
        out = subprocess.run([SCAN, "--root", drive, "--now", iso(NOW), "--format", "ndjson"],
                             check=True, capture_output=True).stdout.decode()
        lines.append([json.loads(line) for line in out.splitlines()])
        shutil.rmtree(drive)
    return lines


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    models = model_lines()
    server = ClickHouseServer(os.path.join(WORK, "clickhouse"))
    server.start()
    try:
        with open(os.path.join(SOURCE, "tools", "fleet", "clickhouse", "schema.sql"), "rb") as f:
            server.client("--multiquery", stdin=f)
        fleet = [machine_lines(models[m % 3], m) for m in range(MACHINES)]
        loaded = lines = ndjson_bytes = 0
        for day in range(DAYS):
            scan_time = iso(NOW + datetime.timedelta(days=day))
            path = os.path.join(WORK, "day.ndjson")
            with open(path, "w") as f:
                for machine in fleet:
                    for line in machine:
                        f.write(json.dumps(dict(line, ScanTime=scan_time), ensure_ascii=False))
                        f.write("\n")
                        lines += 1
            ndjson_bytes += os.path.getsize(path)
            started = time.monotonic()
            subprocess.run([os.path.join(SOURCE, "tools", "fleet", "load.sh"), path]
                           + server.address(), check=True)
            loaded += time.monotonic() - started
        server.client("--query", "OPTIMIZE TABLE veltrano.errors FINAL")
        stored = int(server.client("--query", "SELECT sum(bytes_on_disk) FROM system.parts "
                                   "WHERE database = 'veltrano' AND active").decode())
        print("%d machines x %d daily scans: %d lines, %.0f MiB of NDJSON" % (
            MACHINES, DAYS, lines, ndjson_bytes / 2**20))
        print("load: %.1f s, %.0f lines/s, %.1f MiB/s" % (loaded, lines / loaded,
                                                         ndjson_bytes / 2**20 / loaded))
        print("bytes per line: %.0f as NDJSON, %.0f as stored (%.0f MiB on disk)" % (
            ndjson_bytes / lines, stored / lines, stored / 2**20))
        some_error = next(line for line in models[0] if "ErrorName" in line)
        some_key = some_error["AppName"] + "_" + some_error["ErrorName"]
        for name, sql in QUERIES.items():
            sql = sql.replace("{key}", some_key.replace("'", "\\'"))
            best = None
            for _ in range(3):
                started = time.monotonic()
                server.client("--query", sql)
                elapsed = time.monotonic() - started
                best = elapsed if best is None else min(best, elapsed)
            print("%s: %.3f s (best of 3, client start included)" % (name, best))
    finally:
        server.stop()
        shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    main()
