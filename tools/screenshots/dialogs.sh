#!/bin/sh
# Takes the pictures of the small dialogs (English and German) under Wine in a virtual display
# and stores them as PNG files: tools/screenshots/dialogs.sh [output folder]
# Needs the windows build (cmake --preset windows && cmake --build --preset windows).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/docs/screenshots}
shots=$root/build/windows/tools/screenshots/veltrano_dialog_shots.exe
[ -f "$shots" ] || cmake --build --preset windows --target veltrano_dialog_shots
mkdir -p "$out"
# A prefix of its own in which Wine draws the window frames itself (a virtual display has no
# window manager to draw them), so the tests' prefix stays as it is.
# Both steps run in the one virtual display: Wine's desktop process keeps the display it first saw.
export WINEPREFIX="$root/build/wineprefix-shots"
work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$1" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Decorated /d N /f >/dev/null &&
    "$1" "$2" "$3"' shots "$root/cmake/wine-run.sh" "$shots" "Z:$(echo "$work" | tr / '\\')"
for bmp in "$work"/*.bmp; do
    convert "$bmp" -strip "$out/$(basename "$bmp" .bmp).png"
done
ls "$out"
