#!/usr/bin/env bash
# Renders the settings dialog under Xvfb in a prefix of its own (real X windows, not the
# tests' null graphics driver) and saves it as docs/settings-dialog.png.
# Needs a built 64-bit tree (scripts/build.sh x86_64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" xvfb imagemagick

shot="$root/build/screenshot"
export WINEPREFIX="$shot/wineprefix" HOME="$shot/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:77
mkdir -p "$HOME"
Xvfb "$DISPLAY" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
[ -f "$WINEPREFIX/.plenzar-ready" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.plenzar-ready"; }

program="$WINEPREFIX/drive_c/PlenzarFile"
mkdir -p "$program"
cp "$root/build/x86_64/bin/PlenzarFile.exe" "$root/build/x86_64/bin/demo/Plenzar.dll" "$program/"
# A virtual desktop gives the dialog its title bar.
wine explorer /desktop=shot,560x470 'C:\PlenzarFile\PlenzarFile.exe' >/dev/null 2>&1 &
sleep 5
mkdir -p "$root/docs"
import -window root -crop 560x470+0+0 +repage "$root/docs/settings-dialog.png"
echo "$root/docs/settings-dialog.png"
