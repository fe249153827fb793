#!/usr/bin/env bash
# Runs ctest for build tree $1 under its Wine prefix. Extra arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$1
shift
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
