#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix, creating the prefix on first use.
# Used as the cross-compiling emulator, so ctest runs every Windows test through it.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1
            wineserver -w
        fi
    ) 9>"$WINEPREFIX.lock"
fi
# Keep one server (and Wine's system processes) alive between runs, detached from our output:
# a server started by the test itself would hold the test's pipes open until it exits.
if wineserver -p60 </dev/null >/dev/null 2>&1; then
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1
fi
exec wine "$@"
