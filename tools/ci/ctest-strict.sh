#!/bin/sh
# ctest-strict.sh PRESET [ctest options]: runs ctest on a test preset. With VELTRANO_NO_SKIPS=1
# (test.sh sets it under the project's CI, which has the shared samples and every tool installed)
# a test that skips itself fails the run: there a skip means a test that did not test what it
# claims.
set -u
preset=$1
shift
log=$(mktemp)
trap 'rm -f "$log" "$log.status"' EXIT
{
    ctest --preset "$preset" "$@"
    echo $? >"$log.status"
} 2>&1 | tee "$log"
status=$(cat "$log.status")
if [ "${VELTRANO_NO_SKIPS:-}" = 1 ] && grep -q "(Skipped)" "$log"; then
    echo "Here no test may skip itself; these did:"
    grep "(Skipped)" "$log"
    status=1
fi
exit "$status"
