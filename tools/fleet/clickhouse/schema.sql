-- The fleet's errors in ClickHouse: one row per distinct error, machine and scan, as
-- `veltrano-scan --format ndjson` writes them (schema veltrano-fleet-2, docs/fleet-schema.md),
-- and the fleet's questions as views. Load with: clickhouse-client --multiquery < schema.sql
-- On a cluster, create the table ON CLUSTER with ReplicatedMergeTree and put a Distributed table
-- of the same columns in front of it; the views stay as they are over that table.

CREATE DATABASE IF NOT EXISTS veltrano;

CREATE TABLE IF NOT EXISTS veltrano.errors
(
    Schema String,
    Machine String,
    ScanTime DateTime('UTC'),
    Category Int32,
    ErrorCount Int32,
    WeekCount Int32,
    MonthCount Int32,
    HalfYearCount Int32,
    WeekFirstTime DateTime('UTC'),
    MonthFirstTime DateTime('UTC'),
    HalfYearFirstTime DateTime('UTC'),
    Linked UInt8,
    LastErrorDateTime DateTime('UTC'),
    FirstErrorDateTime DateTime('UTC'),
    OccurrenceTimes Array(DateTime('UTC')),
    Days Array(Date),
    DayCounts Array(Int32),
    AppName String,
    ErrorName String,
    AppPath String,
    ReportId String,
    ExceptionCode String,
    ErrorSummary String,
    ErrorText Nullable(String),
    MessageTemplate Nullable(String),
    ErrorTextParams String,
    Count Int32,
    Age String,
    -- The program's own key of a distinct error: what makes two occurrences the same error.
    ErrorKey String MATERIALIZED concat(AppName, '_', ErrorName)
)
ENGINE = MergeTree()
PARTITION BY toYYYYMM(ScanTime)
ORDER BY (Machine, ErrorKey, ScanTime);

-- The rows of the last eight days before the newest scan: the views look no further back, so
-- that they cost what a week of scans costs, not what the table's whole history would. A machine
-- not scanned for that long drops out of them.
CREATE VIEW IF NOT EXISTS veltrano.recent AS
SELECT *, ErrorKey
FROM veltrano.errors
WHERE ScanTime >= (SELECT max(ScanTime) FROM veltrano.errors) - 8 * 86400;

-- Every machine's rows of its latest scan.
CREATE VIEW IF NOT EXISTS veltrano.latest AS
SELECT *
FROM veltrano.recent
WHERE (Machine, ScanTime) IN (SELECT Machine, max(ScanTime) FROM veltrano.recent GROUP BY Machine);

-- The scan before each machine's latest one (machines scanned once have none).
CREATE VIEW IF NOT EXISTS veltrano.previous_scans AS
SELECT Machine, max(ScanTime) AS PreviousScanTime
FROM veltrano.recent
WHERE (Machine, ScanTime) NOT IN (SELECT Machine, max(ScanTime) FROM veltrano.recent GROUP BY Machine)
GROUP BY Machine;

-- The top errors of an interval across the fleet ('week', 'month', '6months', 'all' before each
-- machine's latest scan): how many machines had them and how often.
--   SELECT * FROM veltrano.top_errors WHERE Period = 'week'
--   ORDER BY Machines DESC, Occurrences DESC LIMIT 20
CREATE VIEW IF NOT EXISTS veltrano.top_errors AS
SELECT
    Period,
    ErrorKey,
    any(AppName) AS AppName,
    any(ErrorName) AS ErrorName,
    uniqExact(Machine) AS Machines,
    sum(PeriodCount) AS Occurrences,
    max(LastErrorDateTime) AS LastSeen
FROM
(
    SELECT Machine, ErrorKey, AppName, ErrorName, LastErrorDateTime, Period, PeriodCount
    FROM veltrano.latest
    ARRAY JOIN
        ['week', 'month', '6months', 'all'] AS Period,
        [WeekCount, MonthCount, HalfYearCount, ErrorCount] AS PeriodCount
)
WHERE PeriodCount > 0
GROUP BY Period, ErrorKey;

-- The machines that have an error, as their latest scans saw it.
--   SELECT Machine, ErrorCount, LastErrorDateTime FROM veltrano.error_machines
--   WHERE ErrorKey = 'Application Error: lumen.exe_1000' ORDER BY LastErrorDateTime DESC
CREATE VIEW IF NOT EXISTS veltrano.error_machines AS
SELECT ErrorKey, Machine, AppName, ErrorName, ErrorCount, WeekCount, MonthCount, HalfYearCount,
       FirstErrorDateTime, LastErrorDateTime, ScanTime
FROM veltrano.latest;

-- Errors new on a machine since its previous scan: in its latest scan, not in the one before.
--   SELECT Machine, AppName, ErrorName, FirstErrorDateTime FROM veltrano.new_errors
--   ORDER BY Machine, FirstErrorDateTime
CREATE VIEW IF NOT EXISTS veltrano.new_errors AS
SELECT Machine, ErrorKey, AppName, ErrorName, ErrorCount, FirstErrorDateTime, LastErrorDateTime,
       ScanTime
FROM veltrano.latest
WHERE Machine IN (SELECT Machine FROM veltrano.previous_scans)
  AND (Machine, ErrorKey) NOT IN
      (SELECT Machine, ErrorKey FROM veltrano.recent
       WHERE (Machine, ScanTime) IN (SELECT Machine, PreviousScanTime FROM veltrano.previous_scans));
