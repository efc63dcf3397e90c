#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix, creating the prefix on first use.
# Used as the cross-compiling emulator, so ctest runs every Windows test through it.
# The prefix's fonts are pinned (VELTRANO_WINE_FONT, default DejaVu Sans): otherwise Wine takes
# whatever sans-serif face fontconfig offers for the dialog faces and the System font, and what the
# window tests see would depend on the fonts the machine happens to have (Wine's link control, for
# one, parses its markup by the System font's metrics). Another font gets a prefix of its own.
here=$(cd "$(dirname "$0")/.." && pwd)
wine64=$here/cmake/wine64.sh
# Debian's 64-bit Wine reserves its fixed addresses (0x7ffe0000, the shared user data, among them)
# only through the preloader, a package of its own. Without it the loader maps them after start-up,
# and a kernel that places the heap anywhere in the gigabyte above the loader (Linux 6.9 and later)
# puts it there now and then: about one start in two thousand ends at once, silently, with
# "failed to map the shared user data". A test must not fail by the luck of the address space.
# Where Wine's 32-bit side is installed, its loader starts the 32-bit programs (the crash tests')
# and needs its own preloader for the same reason.
for loader in wine64 wine; do
    if [ -x /usr/lib/wine/$loader ] && [ ! -e /usr/lib/wine/$loader-preloader ]; then
        package=$( [ $loader = wine ] && echo wine32-preloader:i386 || echo wine64-preloader )
        echo "wine-run.sh: /usr/lib/wine/$loader-preloader is missing (Debian package $package);" \
            "without it Wine fails to start now and then. ./test.sh installs it." >&2
        exit 1
    fi
done
if [ -n "${VELTRANO_WINE_FONT:-}" ] && [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$here/build/wineprefix-$(printf '%s' "$VELTRANO_WINE_FONT" | tr -dc 'A-Za-z0-9')"
fi
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export VELTRANO_WINE_FONT="${VELTRANO_WINE_FONT:-DejaVu Sans}"
faces="System|MS Shell Dlg|MS Shell Dlg 2|Tahoma"
pinned="$WINEPREFIX/veltrano-font"
# A prefix made while Wine had no 32-bit side has no 32-bit system folder: once that side is
# installed, no 32-bit program starts in it (and Debian's `wine` starts none at all): it is made
# anew.
without_32_bit_side() {
    [ -x /usr/lib/wine/wine ] && [ -f "$WINEPREFIX/system.reg" ] &&
        [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}
if [ ! -f "$WINEPREFIX/system.reg" ] || without_32_bit_side ||
    [ "$(cat "$pinned" 2>/dev/null)" != "$VELTRANO_WINE_FONT|$faces" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if without_32_bit_side; then
            wineserver -k 2>/dev/null || true
            rm -rf "$WINEPREFIX"
        fi
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$wine64" wineboot -i >/dev/null 2>&1
            wineserver -w
        fi
        if [ "$(cat "$pinned" 2>/dev/null)" != "$VELTRANO_WINE_FONT|$faces" ]; then
            reg="$WINEPREFIX/veltrano-font.reg"
            {
                printf 'REGEDIT4\n\n'
                printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\n'
                printf '%s\n' "$faces" | tr '|' '\n' | while read -r face; do
                    printf '"%s"="%s"\n' "$face" "$VELTRANO_WINE_FONT"
                done
            } >"$reg"
            "$wine64" regedit /S "$reg" >/dev/null 2>&1
            wineserver -w
            printf '%s' "$VELTRANO_WINE_FONT|$faces" >"$pinned"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
# Keep one server (and Wine's system processes) alive between runs, detached from our output:
# a server started by the test itself would hold the test's pipes open until it exits.
if wineserver -p60 </dev/null >/dev/null 2>&1; then
    "$wine64" cmd.exe /c exit </dev/null >/dev/null 2>&1
fi
exec "$wine64" "$@"
