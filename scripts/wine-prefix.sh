#!/usr/bin/env bash
# Creates the Wine prefix of build tree $1 once: headless (null graphics driver),
# no crash dialog, Windows 10.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
source "$here/wine-env.sh" "$1"
stamp="$WINEPREFIX/.plenzar-ready"
[ -f "$stamp" ] && exit 0

rm -rf "$WINEPREFIX"
mkdir -p "$HOME"
wine wineboot.exe -i >/dev/null 2>&1
cp "$here/../tests/support/wine-settings.reg" "$WINEPREFIX/drive_c/wine-settings.reg"
wine regedit.exe /S 'C:\wine-settings.reg' >/dev/null 2>&1
# The graphics driver is read when Wine's desktop process starts: let this session end.
wineserver -w
touch "$stamp"
