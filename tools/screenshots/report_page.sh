#!/bin/sh
# Takes the picture of the sample machine's report page in headless Chromium:
# tools/screenshots/report_page.sh [output folder]. Needs the native build (veltrano-scan and
# the sample builder) and Debian's chromium.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/docs/screenshots}
build=$root/build/native
now=2026-03-01T12:00:00Z
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC LANG=C.UTF-8
"$build/tools/sample_machine/veltrano-sample-machine" --out "$work/drive" --now "$now" >/dev/null
"$build/src/cli/veltrano-scan" --root "$work/drive" --now "$now" --html "$work/report.html" \
    >/dev/null 2>&1
mkdir -p "$out"
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" --hide-scrollbars --window-size=1100,1040 \
    --virtual-time-budget=2000 --screenshot="$out/report_page.png" \
    "file://$work/report.html" 2>/dev/null
ls -l "$out/report_page.png"
