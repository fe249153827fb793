#!/usr/bin/env bash
# Configures and builds one architecture: build.sh x86_64|i686 → build/<arch>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
cmake -S "$root" -B "$root/build/$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/$arch"
