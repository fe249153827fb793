#!/usr/bin/env bash
# Builds the 64-bit tree and runs the desktop program's batch benchmark once under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 >/dev/null
"$root/scripts/wine-prefix.sh" "$root/build/x86_64"
source "$root/scripts/wine-env.sh" "$root/build/x86_64"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$root/build/x86_64/bin/bench/batch_benchmark.exe" </dev/null 2>/dev/null | tr -d '\r'
