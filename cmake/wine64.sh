#!/bin/sh
# Runs a program under Wine with Wine's 64-bit loader, as `wine` did before Wine's 32-bit side was
# installed. With that side there, Debian's `wine` starts every program with the 32-bit loader, and
# Wine's own programs named without a path (cmd, reg, regedit, wineboot) are then their 32-bit
# forms: they see the registry's 32-bit view (HKLM\Software under Wow6432Node) and a 32-bit
# environment (ProgramFiles is "Program Files (x86)"), not what our 64-bit programs see.
# A 32-bit program started from here still gets the 32-bit loader (Wine picks it by the file).
if [ -x /usr/lib/wine/wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
