#!/bin/sh
# Runs Veltrano on the bundled sample machine, on a fresh Debian 12 machine: installs what is
# missing with apt-get, builds the Windows program and the sample builder, makes a fresh Wine
# prefix seeded with the sample machine (build/wineprefix-sample) and starts Veltrano.exe in it.
# With a display the window opens and stays; without one the program runs in a virtual display,
# and once its export is written the script saves a picture of the window and prints the paths
# of the picture, the XML report and the ZIP archive.
set -eu
cd "$(dirname "$0")"
. tools/ci/packages.sh
veltrano_install_packages $VELTRANO_BUILD_PACKAGES $VELTRANO_RUN_PACKAGES

cmake --preset windows >/dev/null
cmake --build --preset windows --target Veltrano veltrano-sample-machine
exec tools/sample_machine/run_sample.sh
