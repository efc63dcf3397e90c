#!/bin/sh
# Installs what is missing, builds the Linux and Windows builds and runs every test:
# natively (ASan + UBSan), a short run of the fuzz targets, the optimised build with the
# benchmarks, the scan's threads under ThreadSanitizer, then the Windows build under Wine inside a
# virtual X display.
set -eu
cd "$(dirname "$0")"
. tools/ci/packages.sh
veltrano_install_packages $VELTRANO_BUILD_PACKAGES $VELTRANO_TEST_PACKAGES

# The project's CI has the shared folder, samples included, beside the checkout: there a test that
# skips itself (for want of a sample or a tool) fails the run. A clone on its own (a fresh machine)
# has no shared folder; its sample tests skip.
if [ "${CI:-}" = true ] && [ -d ../shared ]; then
    if [ ! -d ../shared/samples ]; then
        echo "CI=true and ../shared has no samples: the tests against real logs cannot run." >&2
        exit 1
    fi
    export VELTRANO_NO_SKIPS=1
fi

cmake --preset native >/dev/null
cmake --build --preset native
tools/ci/ctest-strict.sh native
tools/ci/fuzz-smoke.sh

# The optimised build with the benchmarks (the optimiser finds warnings a debug build does not).
cmake --preset native-release >/dev/null
cmake --build --preset native-release

# The scan's worker and the window's reader, and the log stream's decoders, under ThreadSanitizer.
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan --target engine_tests eventlog_tests
tools/ci/ctest-strict.sh native-tsan -R "Concurrency|OfflineEventLogTest"

cmake --preset windows >/dev/null
cmake --build --preset windows
xvfb-run -a tools/ci/ctest-strict.sh windows
echo "All tests passed."
