#!/bin/sh
# Loads the NDJSON lines of a scan (veltrano-scan --format ndjson) into the fleet's ClickHouse
# table. Usage: tools/fleet/load.sh FILE|- [clickhouse-client options, e.g. --host H --port P]
# The table comes from tools/fleet/clickhouse/schema.sql.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 FILE|- [clickhouse-client options]" >&2
    exit 2
fi
file=$1
shift
if [ "$file" != "-" ] && [ ! -r "$file" ]; then
    echo "$0: cannot read $file" >&2
    exit 1
fi
# The lines' times are ISO 8601 UTC ("2026-12-08T12:00:00Z").
if [ "$file" = "-" ]; then
    exec clickhouse-client "$@" --date_time_input_format=best_effort \
        --query "INSERT INTO veltrano.errors FORMAT JSONEachRow"
fi
exec clickhouse-client "$@" --date_time_input_format=best_effort \
    --query "INSERT INTO veltrano.errors FORMAT JSONEachRow" < "$file"
