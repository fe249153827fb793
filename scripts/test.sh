#!/usr/bin/env bash
# Takes a Debian 12 machine to a full test run: installs what is missing, builds the
# 64-bit and 32-bit trees and runs every test of both under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scripts="$root/scripts"

"$scripts/setup.sh"

# Wine prefixes take a while to create: make them while the code compiles.
"$scripts/wine-prefix.sh" "$root/build/x86_64" & prefix64=$!
"$scripts/wine-prefix.sh" "$root/build/i686" & prefix32=$!

"$scripts/build.sh" x86_64
"$scripts/build.sh" i686
wait $prefix64
wait $prefix32

status=0
"$scripts/run-ctest.sh" "$root/build/x86_64" || status=1
"$scripts/run-ctest.sh" "$root/build/i686" || status=1
exit $status
