#!/bin/sh
# Makes a fresh Wine prefix seeded with the sample machine: the builder (the Windows build's
# veltrano-sample-machine.exe) writes the machine into the prefix's drive C: and the registry
# entries of its event sources are imported. Any prefix at that path is removed first.
#   wine_sample_prefix.sh PREFIX BUILDER_EXE [builder options: --now TIME, --describe FILE]
# A --describe FILE is a path of this host. Runs in the caller's display (if any): Wine's desktop
# process keeps the display it first sees, so the program must later run in the same one.
set -eu
prefix=$1
builder=$2
shift 2
wine64=$(cd "$(dirname "$0")/../.." && pwd)/cmake/wine64.sh
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
"$wine64" wineboot -i >/dev/null 2>&1
wineserver -w
# Wine draws the caption buttons with Marlett (Debian's fonts-wine); a prefix sees it only in its
# own fonts folder.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# Keep one server for the steps below and the program that follows.
wineserver -p10
# A program that crashes ends at once instead of waiting for a click on Wine's crash dialog.
"$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1

# The builder's --describe file is a host path; Wine sees the host under Z:.
set -- "$@" --end
while [ "$1" != --end ]; do
    if [ "$1" = --describe ]; then
        set -- "$@" --describe "Z:$(realpath -m "$2" | tr / '\\')"
        shift 2
    else
        set -- "$@" "$1"
        shift
    fi
done
shift
"$wine64" "$builder" --out 'C:\' "$@"
"$wine64" regedit /S 'C:\sample.reg'
