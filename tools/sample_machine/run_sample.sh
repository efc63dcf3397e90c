#!/bin/sh
# The Wine half of ./run.sh: a fresh prefix seeded with the sample machine
# (build/wineprefix-sample) and Veltrano.exe in it. With a display the window opens there and
# stays until the user closes it. Without one the program runs in a virtual display; once its
# export is written, the script saves a picture of the window, prints the paths of the picture,
# the XML report and the ZIP archive, and ends the program.
# Needs the Windows build of Veltrano and veltrano-sample-machine.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/windows
exe=$build/src/app/Veltrano.exe
builder=$build/tools/sample_machine/veltrano-sample-machine.exe
wine64=$root/cmake/wine64.sh
export WINEPREFIX="$root/build/wineprefix-sample"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ "${1:-}" != --headless ] && [ -n "${DISPLAY:-}" ]; then
    "$root/tools/sample_machine/wine_sample_prefix.sh" "$WINEPREFIX" "$builder"
    exec "$wine64" "$exe"
fi
if [ "${1:-}" != --headless ]; then
    # Prefix, program and picture all in the one virtual display.
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" --headless
fi

out=$root/build/run
mkdir -p "$out"
"$root/tools/sample_machine/wine_sample_prefix.sh" "$WINEPREFIX" "$builder"
# Without a window manager Wine draws the window frames itself.
"$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
export_dir() {
    find "$WINEPREFIX/drive_c/users" -path '*/Temp/VTDir' -type d 2>/dev/null | head -n 1
}
"$wine64" "$exe" >/dev/null 2>&1 &
zip=""
for _ in $(seq 1 240); do
    dir=$(export_dir)
    zip=$(ls "${dir:-/nonexistent}"/*.zip 2>/dev/null | head -n 1 || true)
    if [ -n "$zip" ] && unzip -tq "$zip" >/dev/null 2>&1; then
        break
    fi
    zip=""
    sleep 0.5
done
if [ -z "$zip" ]; then
    echo "run_sample.sh: Veltrano wrote no export within two minutes" >&2
    wineserver -k
    exit 1
fi
# The banner slides away for a second after the export; then the window is at rest.
sleep 2
import -window root "$out/screen.png"
convert "$out/screen.png" -trim +repage "$out/main_window.png"
rm -f "$out/screen.png"
wineserver -k
echo "Screenshot: $out/main_window.png"
echo "XML report: ${zip%.zip}.xml"
echo "ZIP archive: $zip"
