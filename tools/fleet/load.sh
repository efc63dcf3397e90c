#!/bin/sh
# Loads the NDJSON lines of a scan (veltrano-scan --format ndjson) into the fleet's ClickHouse
# tables, each line by its Schema: error lines (veltrano-fleet-4, -3, -2) into
# veltrano.errors, scan lines (veltrano-fleet-scan-1) into veltrano.scans.
# Usage: tools/fleet/load.sh FILE|- [clickhouse-client options, e.g. --host H --port P]
# The tables come from tools/fleet/clickhouse/schema.sql. Lines loaded again (a retry, an
# overlapping file) are kept once, so loading a file again is always safe.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 FILE|- [clickhouse-client options]" >&2
    exit 2
fi
file=$1
name=$1
shift
if [ "$file" = "-" ]; then
    # The lines are read more than once.
    name="standard input"
    file=$(mktemp)
    trap 'rm -f "$file"' EXIT
    trap 'exit 1' HUP INT TERM
    cat > "$file"
elif [ ! -r "$file" ]; then
    echo "$0: cannot read $file" >&2
    exit 1
fi

# The start of a line's top-level "Schema" value. A quote after '{' or ',' cannot be inside a
# string, so the pattern never matches the text of another field.
export VELTRANO_SCHEMA_KEY='(^[[:space:]]*\{|,)[[:space:]]*"Schema"[[:space:]]*:[[:space:]]*"'
scan_lines="${VELTRANO_SCHEMA_KEY}veltrano-fleet-scan-1\""

# Every line's Schema is checked before anything is loaded: a file with a line of an unknown kind
# is refused whole. Prints the numbers of error lines and scan lines.
counts=$(awk -v name="$name" '
    /^[[:space:]]*$/ { next }
    {
        schema = ""
        if (match($0, ENVIRON["VELTRANO_SCHEMA_KEY"])) {
            schema = substr($0, RSTART + RLENGTH)
            schema = substr(schema, 1, index(schema, "\"") - 1)
        }
        if (schema == "veltrano-fleet-4" || schema == "veltrano-fleet-3" ||
            schema == "veltrano-fleet-2") {
            errors++
        } else if (schema == "veltrano-fleet-scan-1") {
            scans++
        } else if (refused++ == 0) {
            first = NR ": " (schema == "" ? "no Schema" : "unknown Schema \"" schema "\"")
        }
    }
    END {
        if (refused) {
            printf "%s:%s; %d lines of no known Schema (veltrano-fleet-4, veltrano-fleet-3, " \
                   "veltrano-fleet-2, veltrano-fleet-scan-1): nothing loaded\n", \
                   name, first, refused > "/dev/stderr"
            exit 1
        }
        print errors + 0, scans + 0
    }' "$file") || exit 1

insert() {  # TABLE [clickhouse-client options]: the lines on standard input
    table=$1
    shift
    # The lines' times are ISO 8601 UTC ("2026-12-08T12:00:00Z").
    clickhouse-client "$@" --date_time_input_format=best_effort \
        --query "INSERT INTO $table FORMAT JSONEachRow"
}
if [ "${counts#* }" -gt 0 ]; then
    grep -E "$scan_lines" "$file" | insert veltrano.scans "$@"
fi
if [ "${counts% *}" -gt 0 ]; then
    # An error line's DumpModules (an array of objects) has no column and is skipped; the Schema
    # check above keeps out lines of other layouts, whose fields would be skipped too.
    grep -v -E "$scan_lines" "$file" |
        insert veltrano.errors --input_format_skip_unknown_fields=1 "$@" || {
        [ "${counts#* }" -gt 0 ] && echo "$0: $name: the scan lines were loaded," \
            "the error lines were not; load the mended file again" >&2
        exit 1
    }
fi
