# Sourced by the top-level scripts: installs the Debian packages that are missing.
veltrano_install_packages() {
    missing=""
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $p"
        fi
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    # Packages of another architecture (wine32:i386) need it added to dpkg first.
    for p in $missing; do
        arch=${p#*:}
        if [ "$arch" != "$p" ] && [ "$arch" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            $SUDO dpkg --add-architecture "$arch"
        fi
    done
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
}

# wine64-preloader: without it Wine's 64-bit loader fails to start now and then (cmake/wine-run.sh).
# python3: the Linux build writes veltrano-scan's manual page and completion with it.
VELTRANO_BUILD_PACKAGES="cmake make g++ googletest libgtest-dev libgmock-dev \
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 wine64-preloader xvfb xauth \
zlib1g-dev libbenchmark-dev clang libclang-rt-14-dev python3"
# tools/package/deb.sh: the build of veltrano-scan alone, and cpack's Debian generator (dpkg-dev for
# dpkg-shlibdeps and dpkg-buildflags, file for telling the binaries).
VELTRANO_DEB_PACKAGES="cmake make g++ python3 dpkg-dev file"
# fonts-dejavu-extra: the condensed faces the art generator draws with; fonts-dejavu-core and
# fonts-liberation: the two faces the Windows tests pin their prefixes to (cmake/wine-run.sh);
# chromium: the report page's tests render it; clickhouse: the fleet's tests load into a server
# of their own; groff-base: the installed manual page is rendered; the x86 compiler and Wine's 32-bit
# side (wine32:i386, with its preloader as cmake/wine-run.sh asks): the crash tests build a 32-bit
# program that crashes and run it.
VELTRANO_TEST_PACKAGES="python3 python3-evtx libevtx-utils libevt-utils libregf-utils libxml2-utils \
g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386 wine32-preloader:i386 \
p7zip-full unzip imagemagick python3-pil fonts-dejavu-core fonts-dejavu-extra fonts-liberation \
chromium clickhouse-server clickhouse-client python3-jsonschema groff-base"
# ./run.sh: the picture of the window (ImageMagick), the check that the export is complete
# (unzip), and Wine's own fonts (Tahoma, and Marlett for the caption buttons Wine draws).
VELTRANO_RUN_PACKAGES="imagemagick unzip fonts-wine"
