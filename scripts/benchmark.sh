#!/usr/bin/env bash
# Builds both trees and runs the benchmarks once under Wine: the desktop program's batch of
# 1,000 files, and the shell extension's Initialize and QueryContextMenu for 1,000, 10,000
# and 100,000 files (in the 32-bit tree where it can run, else in the 64-bit one), each
# against a bare loop of the same engine calls; the mail add-in's attachment pipeline over
# 100 attachments of 3 MB, against a bare loop of the same Outlook calls, file copies and
# engine calls; the mail add-in's start (OnConnection and OnStartupComplete) against the same
# calls to an empty add-in; the mail add-in's ribbon invalidation against a bare loop of
# the Outlook reads it makes; and the HTTP client on replies of 8, 32 and 96 MiB from a local
# server, against a bare WinInet loop reading into a buffer allocated beforehand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
source "$root/scripts/wine-loader.sh"

run_in_tree() {
  local arch=$1 program=$2
  shift 2
  "$root/scripts/build.sh" "$arch" >/dev/null
  "$root/scripts/wine-prefix.sh" "$root/build/$arch"
  (
    source "$root/scripts/wine-env.sh" "$root/build/$arch"
    wineserver -p </dev/null >/dev/null 2>&1
    trap 'wineserver -k 2>/dev/null || true' EXIT
    wine "$root/build/$arch/bin/$program" "$@" </dev/null 2>/dev/null | tr -d '\r'
  )
}

echo "== PlenzarFile.exe batch (64-bit)"
run_in_tree x86_64 bench/batch_benchmark.exe
echo "== PlenzarMail.dll attachment pipeline (64-bit)"
run_in_tree x86_64 mail_pipeline_benchmark.exe
echo "== PlenzarMail.dll start (64-bit)"
run_in_tree x86_64 mail_server_bench.exe
echo "== PlenzarMail.dll ribbon invalidation (64-bit)"
run_in_tree x86_64 bench/ribbon_benchmark.exe
echo "== CHttpClient large replies (64-bit)"
run_in_tree x86_64 bench/http_reply_benchmark.exe
# The shell extension ships 32-bit; where 32-bit programs cannot start, its menu is
# measured in the 64-bit tree's build of the handler made for the tests.
if [ "$PLENZAR_WINE32" = yes ]; then
  echo "== PlenzarFileShell.dll menu (32-bit)"
  run_in_tree i686 shell_ext_bench.exe 1000 10000 100000
else
  echo "== PlenzarFileShell.dll menu (64-bit test build: $PLENZAR_WINE32)"
  run_in_tree x86_64 shell_ext_bench.exe 1000 10000 100000
fi
