#!/bin/sh
# Builds the libFuzzer targets (fuzz preset) and runs each for a bounded time, on seeds written by
# our own writers, the message files the build makes, Wine's system libraries where installed and,
# for the event-log and dump readers, the small shared samples when they are there. Fails on the
# first crash, leak, hang or sanitizer report, undefined behaviour included, and prints the end of
# the failing target's log. VELTRANO_FUZZ_SECONDS sets the time per target (default 10).
set -eu
cd "$(dirname "$0")/../.."
seconds=${VELTRANO_FUZZ_SECONDS:-10}
# The build makes undefined behaviour fatal; these make its report say where, and keep any
# recoverable check from passing quietly.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

bin=build/fuzz/tests/fuzz
corpus=build/fuzz/corpus
rm -rf "$corpus"
mkdir -p "$corpus/seeds/hive" "$corpus/seeds/pe" "$corpus/seeds/format"
"$bin/eventlog/event_log_seeds" "$corpus/seeds"
"$bin/registry/hive_seeds" "$corpus/seeds/hive"
"$bin/manifest/manifest_seeds" "$corpus/seeds/manifest"
"$bin/engine/engine_seeds" "$corpus/seeds"
"$bin/dump/dump_seeds" "$corpus/seeds/dump"
"$bin/dump/kernel_dump_seeds" "$corpus/seeds/kernel"
# Message files: ours (none without the MinGW-w64 tools), and the smallest of Wine's that have a
# message table, plus two without one.
wine=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for dll in build/fuzz/message-dlls/*.dll "$wine/mferror.dll" "$wine/lz32.dll" "$wine/icmp.dll"; do
    if [ -f "$dll" ]; then cp "$dll" "$corpus/seeds/pe/"; fi
done
"$bin/messages/message_seeds" "$corpus/seeds/format" "$corpus"/seeds/pe/*
samples=../shared/samples
if [ -d "$samples" ]; then
    find "$samples/evtx" -name '*.evtx' -size -256k -exec cp {} "$corpus/seeds/evtx/" \;
    find "$samples/evt" -type f -exec cp {} "$corpus/seeds/evt/" \;
    if [ -d "$samples/wevt" ]; then
        cp "$samples"/wevt/* "$corpus/seeds/manifest/"
    fi
    if [ -d "$samples/dumps" ]; then
        cp "$samples"/dumps/*.dmp "$corpus/seeds/dump/"
    fi
fi
# The crash analysis's seeds carry the shared sample dumps too, where they are.
"$bin/crash/crash_seeds" "$corpus/seeds/crash" $(ls "$samples"/dumps/*.dmp 2>/dev/null || true)

# run <target> <seed folder> [max length]: new inputs go to a folder of their own; the seeds stay
# as they are.
run() {
    name=$(basename "$1")
    max_len=${3:-131072}
    log="$corpus/$name.log"
    mkdir -p "$corpus/found/$name"
    echo "Fuzzing $name for $seconds s"
    if ! "$bin/$1" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus/found/$name" "$2" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "$name failed; the input that did it is in $corpus (crash-*, timeout-*, leak-*)."
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)|DONE' "$log" || true
}

run eventlog/evtx_fuzzer "$corpus/seeds/evtx"
run eventlog/evt_fuzzer "$corpus/seeds/evt"
run registry/hive_fuzzer "$corpus/seeds/hive"
# Room for Wine's message file (216 KiB) whole.
run messages/pe_message_fuzzer "$corpus/seeds/pe" 262144
run messages/format_message_fuzzer "$corpus/seeds/format"
run engine/report_file_fuzzer "$corpus/seeds/reports"
run engine/event_record_fuzzer "$corpus/seeds/records"
run manifest/crim_fuzzer "$corpus/seeds/manifest"
run dump/dump_fuzzer "$corpus/seeds/dump"
run dump/kernel_dump_fuzzer "$corpus/seeds/kernel"
run crash/crash_fuzzer "$corpus/seeds/crash"
