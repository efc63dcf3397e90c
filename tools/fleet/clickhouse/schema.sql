-- The fleet in ClickHouse, as `veltrano-scan --format ndjson` writes it (docs/fleet-schema.md):
-- veltrano.errors has one row per distinct error, machine and scan (veltrano-fleet-4 lines, and
-- veltrano-fleet-3 and -2 lines with the columns they lack left at their defaults: "", 0, [],
-- NULL), veltrano.scans one row per
-- machine and scan (veltrano-fleet-scan-1); the fleet's questions are views. Create with:
-- clickhouse-client --multiquery < schema.sql, load with tools/fleet/load.sh.
--
-- Lines loaded again (a shipper's retry, an overlapping file) must not count twice. Both tables
-- are ReplacingMergeTrees on their rows' keys: a merge keeps one row per key, and until the
-- merge has happened the views read one row per key: FINAL where rows are counted, else
-- GROUP BY, max/argMax or IN, which copies of a row cannot change.
--
-- On a cluster, create the tables ON CLUSTER with ReplicatedReplacingMergeTree and put
-- Distributed tables of the same columns in front of them, sharded by cityHash64(Machine) so that
-- a machine's copies meet on one shard; the views stay as they are over those tables.
--
-- A table made before the dump columns came is moved over as the README says (rename it, run
-- this file, copy its rows back): ClickHouse 18.16 has no ADD COLUMN IF NOT EXISTS, so an ALTER
-- here would fail the second time this file runs, and the views' SELECT * would keep the old
-- columns anyway.

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
    InsertionStrings Array(String),
    MissingText String,
    Queued UInt8,
    FaultModule String,
    FaultModuleVersion String,
    FaultOffset String,
    -- The crash dump joined to a crash (veltrano-fleet-4). A line's DumpModules (an array of
    -- objects, which 18.16's JSONEachRow cannot store) is left in the lines: load.sh skips it.
    DumpFile String,
    DumpJoin String,
    DumpCount Int32,
    DumpException String,
    DumpExceptionName String,
    DumpFaultModule String,
    DumpFaultModuleVersion String,
    DumpFaultOffset String,
    FaultAgreement String,
    CrashSignature String,
    CrashSignatureHash String,
    CrashFrames Array(String),
    CrashFrameSources Array(String),
    DumpOsVersion String,
    DumpProcessId Nullable(UInt32),
    -- A stop error (blue screen) and the records folded into it.
    BugCheckCode String,
    BugCheckName String,
    BugCheckParameters Array(String),
    BugCheckDriver String,
    FoldedRecords Int32,
    Count Int32,
    Age String,
    -- The program's own key of a distinct error: what makes two occurrences the same error.
    ErrorKey String MATERIALIZED concat(AppName, '_', ErrorName)
)
ENGINE = ReplacingMergeTree()
PARTITION BY toYYYYMM(ScanTime)
ORDER BY (Machine, ErrorKey, ScanTime);

CREATE TABLE IF NOT EXISTS veltrano.scans
(
    Schema String,
    Machine String,
    Folder String,
    ScanTime DateTime('UTC'),
    Status String,
    Errors UInt32,
    Registry UInt8,
    -- One element per log, in the same order in each array.
    Logs Array(String),
    LogPaths Array(String),
    LogOutcomes Array(String),
    LogRecords Array(UInt64),
    LogOldest Array(Nullable(DateTime('UTC'))),
    LogNewest Array(Nullable(DateTime('UTC'))),
    LogDamagedChunks Array(UInt32),
    LogDamagedRecords Array(UInt32),
    LogTruncated Array(UInt8),
    -- One element per report folder.
    ReportFolders Array(String),
    ReportFolderQueued Array(UInt8),
    ReportFolderReports Array(UInt32)
)
ENGINE = ReplacingMergeTree()
PARTITION BY toYYYYMM(ScanTime)
ORDER BY (Machine, Folder, ScanTime);

-- The scans of the last eight days before the newest scan, one row per machine and scan: the
-- views look no further back, so that they cost what a week of scans costs, not what the table's
-- whole history would. A machine not scanned for that long drops out of them.
CREATE VIEW IF NOT EXISTS veltrano.recent_scans AS
SELECT Machine, ScanTime
FROM veltrano.errors
WHERE ScanTime >= (SELECT max(ScanTime) FROM veltrano.errors) - 8 * 86400
GROUP BY Machine, ScanTime;

-- The rows of those scans. FINAL reads a row loaded twice and not merged away yet once; the
-- primary key finds the scans' rows, so it merges only those.
CREATE VIEW IF NOT EXISTS veltrano.recent AS
SELECT *, ErrorKey
FROM veltrano.errors FINAL
WHERE (Machine, ScanTime) IN (SELECT Machine, ScanTime FROM veltrano.recent_scans);

-- Every machine's rows of its latest scan, read once as in recent.
CREATE VIEW IF NOT EXISTS veltrano.latest AS
SELECT *, ErrorKey
FROM veltrano.errors FINAL
WHERE (Machine, ScanTime) IN (SELECT Machine, max(ScanTime) FROM veltrano.recent_scans
                              GROUP BY Machine);

-- The scan before each machine's latest one (machines scanned once have none).
CREATE VIEW IF NOT EXISTS veltrano.previous_scans AS
SELECT Machine, max(ScanTime) AS PreviousScanTime
FROM veltrano.recent_scans
WHERE (Machine, ScanTime) NOT IN (SELECT Machine, max(ScanTime) FROM veltrano.recent_scans
                                  GROUP BY Machine)
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
      (SELECT Machine, ErrorKey FROM veltrano.errors
       WHERE (Machine, ScanTime) IN (SELECT Machine, PreviousScanTime
                                     FROM veltrano.previous_scans));

-- The crashes of the fleet by their signature (the faulting module, its version and the offset
-- past the system's dispatch modules), over every machine's latest scan: how many machines,
-- which, and how often.
--   SELECT CrashSignature, Machines, MachineNames, Crashes FROM veltrano.top_crash_signatures
--   LIMIT 20
CREATE VIEW IF NOT EXISTS veltrano.top_crash_signatures AS
SELECT
    CrashSignatureHash,
    any(CrashSignature) AS CrashSignature,
    any(DumpFaultModule) AS FaultModule,
    any(DumpFaultModuleVersion) AS FaultModuleVersion,
    uniqExact(Machine) AS Machines,
    arraySort(groupUniqArray(Machine)) AS MachineNames,
    sum(ErrorCount) AS Crashes,
    max(LastErrorDateTime) AS LastSeen
FROM veltrano.latest
WHERE CrashSignatureHash != ''
GROUP BY CrashSignatureHash
ORDER BY Machines DESC, Crashes DESC;

-- Every machine's last scan. A scan loaded twice gives the same values twice, so max and argMax
-- need no FINAL.
CREATE VIEW IF NOT EXISTS veltrano.last_scans AS
SELECT Machine, max(ScanTime) AS LastScanTime, argMax(Folder, ScanTime) AS Folder,
       argMax(Status, ScanTime) AS Status, argMax(Errors, ScanTime) AS Errors
FROM veltrano.scans
GROUP BY Machine;

-- The machines whose last scan read nothing: no log and no report file (a drive that was not
-- mounted, a folder of something else).
--   SELECT Machine, Folder, ScanTime FROM veltrano.failed_scans ORDER BY ScanTime DESC
CREATE VIEW IF NOT EXISTS veltrano.failed_scans AS
SELECT Machine, Folder, LastScanTime AS ScanTime
FROM veltrano.last_scans
WHERE Status = 'nothing readable';

-- Every machine with the days from its last scan to the newest scan of the table; the machines
-- not scanned in the N days before the newest scan are those with more than N:
--   SELECT Machine, Folder, ScanTime, DaysBehind FROM veltrano.stale_machines
--   WHERE DaysBehind > 7 ORDER BY DaysBehind DESC
CREATE VIEW IF NOT EXISTS veltrano.stale_machines AS
SELECT Machine, Folder, LastScanTime AS ScanTime,
       ((SELECT toUInt32(max(ScanTime)) FROM veltrano.scans) - toUInt32(LastScanTime)) / 86400
           AS DaysBehind
FROM veltrano.last_scans;
