#!/bin/sh
# Builds the libFuzzer targets (fuzz preset) and runs each for a bounded time on seeds written by
# our own writers, plus the small shared samples when they are there. Fails on the first crash,
# leak, hang or sanitizer report. VELTRANO_FUZZ_SECONDS sets the time per target (default 15).
set -eu
cd "$(dirname "$0")/../.."
seconds=${VELTRANO_FUZZ_SECONDS:-15}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target evtx_fuzz evt_fuzz event_log_fuzz_seeds

corpus=build/fuzz/corpus
rm -rf "$corpus"
build/fuzz/tests/fuzz/event_log_fuzz_seeds "$corpus/seeds"
samples=../shared/samples
if [ -d "$samples" ]; then
    find "$samples/evtx" -name '*.evtx' -size -256k -exec cp {} "$corpus/seeds/evtx/" \; 2>/dev/null || true
    find "$samples/evt" -type f -exec cp {} "$corpus/seeds/evt/" \; 2>/dev/null || true
fi

for format in evtx evt; do
    mkdir -p "$corpus/found/$format"
    echo "Fuzzing the $format reader for $seconds s"
    log="$corpus/$format.log"
    # New inputs go to the first folder; the seeds stay as they are.
    if ! build/fuzz/tests/fuzz/${format}_fuzz -max_total_time="$seconds" -max_len=131072 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "$corpus/found/$format" "$corpus/seeds/$format" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "The $format fuzz target failed; the input is in build/fuzz (crash-*, timeout-*)."
        exit 1
    fi
    tail -n 12 "$log"
done
