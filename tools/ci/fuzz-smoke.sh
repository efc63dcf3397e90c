#!/bin/sh
# Builds the libFuzzer targets (fuzz preset) and runs each for a bounded time, on seeds written by
# our own writers and, for the event-log readers, the small shared samples when they are there.
# Fails on the first crash, leak, hang or sanitizer report. VELTRANO_FUZZ_SECONDS sets the time
# per target (default 10).
set -eu
cd "$(dirname "$0")/../.."
seconds=${VELTRANO_FUZZ_SECONDS:-10}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

bin=build/fuzz/tests/fuzz
corpus=build/fuzz/corpus
rm -rf "$corpus"
mkdir -p "$corpus/seeds/hive" "$corpus/seeds/none"
"$bin/eventlog/event_log_seeds" "$corpus/seeds"
"$bin/registry/hive_seeds" "$corpus/seeds/hive"
"$bin/manifest/manifest_seeds" "$corpus/seeds/manifest"
samples=../shared/samples
if [ -d "$samples" ]; then
    find "$samples/evtx" -name '*.evtx' -size -256k -exec cp {} "$corpus/seeds/evtx/" \;
    find "$samples/evt" -type f -exec cp {} "$corpus/seeds/evt/" \;
    if [ -d "$samples/wevt" ]; then
        cp "$samples"/wevt/* "$corpus/seeds/manifest/"
    fi
fi

# run <target> <seed folder>: new inputs go to a folder of their own; the seeds stay as they are.
run() {
    name=$(basename "$1")
    log="$corpus/$name.log"
    mkdir -p "$corpus/found/$name"
    echo "Fuzzing $name for $seconds s"
    if ! "$bin/$1" -max_total_time="$seconds" -max_len=131072 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus/found/$name" "$2" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "$name failed; the input that did it is in $corpus (crash-*, timeout-*, leak-*)."
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
}

run eventlog/evtx_fuzzer "$corpus/seeds/evtx"
run eventlog/evt_fuzzer "$corpus/seeds/evt"
run registry/hive_fuzzer "$corpus/seeds/hive"
run messages/pe_message_fuzzer "$corpus/seeds/none"
run messages/format_message_fuzzer "$corpus/seeds/none"
run manifest/crim_fuzzer "$corpus/seeds/manifest"
