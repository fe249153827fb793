#!/usr/bin/env bash
# Takes a Debian 12 machine to a full test run: installs what is missing, builds the
# 64-bit and 32-bit trees and runs every test of both under Wine. Where this machine cannot
# start 32-bit programs (or PLENZAR_64BIT_ONLY=1), the 32-bit tree is built and its
# deliverables checked, its tests under Wine are not run, and the last line says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scripts="$root/scripts"

"$scripts/setup.sh"
source "$scripts/wine-loader.sh"

# Wine prefixes take a while to create: make them while the code compiles.
"$scripts/wine-prefix.sh" "$root/build/x86_64" & prefixes=($!)
if [ "$PLENZAR_WINE32" = yes ]; then
  "$scripts/wine-prefix.sh" "$root/build/i686" & prefixes+=($!)
fi

"$scripts/build.sh" x86_64
"$scripts/build.sh" i686
for prefix in "${prefixes[@]}"; do wait "$prefix"; done

# Each tree has its own prefix (registry, temporary folder), so the two runs cannot meet:
# run them side by side and print each one's output whole.
"$scripts/run-ctest.sh" "$root/build/x86_64" > "$root/build/x86_64/ctest.log" 2>&1 & tests64=$!
"$scripts/run-ctest.sh" "$root/build/i686" > "$root/build/i686/ctest.log" 2>&1 & tests32=$!
status=0
wait $tests64 || status=1
wait $tests32 || status=1
for arch in x86_64 i686; do
  echo "=== Tests of the $arch tree"
  cat "$root/build/$arch/ctest.log"
done
if [ "$PLENZAR_WINE32" != yes ]; then
  echo "The 32-bit tree's tests were not run ($PLENZAR_WINE32): it was built and its deliverables checked; the shell extension's tests ran in the 64-bit tree."
fi
exit $status
