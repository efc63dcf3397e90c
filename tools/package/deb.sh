#!/bin/sh
# tools/package/deb.sh: builds the Debian package of veltrano-scan and prints its path.
#
# Installs what is missing for it with apt-get (VELTRANO_DEB_PACKAGES of tools/ci/packages.sh),
# configures an optimised build without sanitizers, tests or benchmarks in build/package (or
# $VELTRANO_PACKAGE_BUILD) for the prefix /usr with Debian's hardening flags (dpkg-buildflags),
# builds veltrano-scan with its manual page and completion and runs cpack -G DEB there. The build
# talks on standard error; standard output gets the path of the .deb alone, so that
#   sudo apt-get install "$(tools/package/deb.sh)"
#   lintian "$(tools/package/deb.sh)"
# work as they read.
set -eu
cd "$(dirname "$0")/../.."
exec 3>&1 1>&2
. tools/ci/packages.sh
veltrano_install_packages $VELTRANO_DEB_PACKAGES

build=${VELTRANO_PACKAGE_BUILD:-build/package}
# Every hardening feature of Debian's build flags, binding at load time among them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Only what the package holds is built: cpack's install does not build the rest first.
cmake -S . -B "$build" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELTRANO_TESTS=OFF -DVELTRANO_BENCH=OFF \
    -DVELTRANO_SANITIZE=OFF -DVELTRANO_TSAN=OFF -DVELTRANO_FUZZ=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2 --target veltrano-scan veltrano_scan_docs

rm -f "$build"/veltrano-scan_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/veltrano-scan_*.deb)
echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")" >&3
