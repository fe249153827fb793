#!/usr/bin/env bash
# Renders the desktop program's settings dialog and the mail add-in's preferences dialog
# under Xvfb in a prefix of its own (real X windows, not the tests' null graphics driver)
# and saves them as docs/settings-dialog.png and docs/preferences-dialog.png.
# Needs a built 64-bit tree (scripts/build.sh x86_64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" xvfb imagemagick
source "$root/scripts/wine-loader.sh"

shot="$root/build/screenshot"
export WINEPREFIX="$shot/wineprefix" HOME="$shot/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:77
mkdir -p "$HOME"
Xvfb "$DISPLAY" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
[ -f "$WINEPREFIX/.plenzar-ready" ] || { wine wineboot.exe -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.plenzar-ready"; }
mkdir -p "$root/docs"

# shoot <program path in the prefix> <width> <height> <picture name>: runs the program in a
# virtual desktop of that size (which gives the dialog its title bar) and pictures it.
shoot() {
  wine explorer /desktop=shot,"$2x$3" "$1" >/dev/null 2>&1 &
  sleep 5
  import -window root -crop "$2x$3+0+0" +repage "$root/docs/$4"
  wineserver -k 2>/dev/null || true
  sleep 1
  echo "$root/docs/$4"
}

program="$WINEPREFIX/drive_c/PlenzarFile"
mkdir -p "$program"
cp "$root/build/x86_64/bin/PlenzarFile.exe" "$root/build/x86_64/bin/demo/Plenzar.dll" "$program/"
shoot 'C:\PlenzarFile\PlenzarFile.exe' 560 470 settings-dialog.png

cp "$root/build/x86_64/bin/bench/show_preferences.exe" "$program/"
shoot 'C:\PlenzarFile\show_preferences.exe' 560 420 preferences-dialog.png
