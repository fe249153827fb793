#!/usr/bin/env bash
# Runs ctest for build tree $1 under its Wine prefix. Extra arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$1
shift

# A tree whose programs cannot start on this machine (scripts/build.sh) registers only the
# checks that need no Wine: run them without a prefix.
if grep -qx 'PLENZAR_WINE_TESTS:BOOL=OFF' "$build_dir/CMakeCache.txt"; then
  exec ctest --test-dir "$build_dir" --output-on-failure "$@"
fi

"$here/wine-prefix.sh" "$build_dir"
source "$here/wine-env.sh" "$build_dir"

# Wine's background processes would inherit ctest's pipes and hold every test open;
# start them first with their output on /dev/null, and keep the desktop attached.
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
keepalive="$build_dir/bin/wine_keepalive.exe"
wine "$keepalive" --once </dev/null >/dev/null 2>&1
wine "$keepalive" </dev/null >/dev/null 2>&1 &

ctest --test-dir "$build_dir" --output-on-failure -j8 "$@"
