#!/bin/sh
# Installs what is missing, builds the Linux and Windows builds and runs every test:
# natively (ASan + UBSan), a short run of the fuzz targets, the optimised build with the
# benchmarks, the scan's threads under ThreadSanitizer, then the Windows build under Wine inside a
# virtual X display.
set -eu
cd "$(dirname "$0")"
. tools/ci/packages.sh
veltrano_install_packages $VELTRANO_BUILD_PACKAGES $VELTRANO_TEST_PACKAGES

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
tools/ci/fuzz-smoke.sh

# The optimised build with the benchmarks (the optimiser finds warnings a debug build does not).
cmake --preset native-release >/dev/null
cmake --build --preset native-release

# The scan's worker and the window's reader under ThreadSanitizer.
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan --target engine_tests
ctest --preset native-tsan -R Concurrency

cmake --preset windows >/dev/null
cmake --build --preset windows
xvfb-run -a ctest --preset windows
echo "All tests passed."
