#!/usr/bin/env bash
# Configures and builds one architecture: build.sh x86_64|i686 → build/<arch>.
# Where this machine cannot start 32-bit programs (wine-loader.sh), the 64-bit tree runs its
# tests under the 64-bit loader directly, and the 32-bit tree builds its test programs but
# registers with ctest only the checks that need no Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
source "$root/scripts/wine-loader.sh"
wine_loader=""
wine_tests=ON
if [ "$PLENZAR_WINE32" != yes ]; then
  case "$arch" in
    x86_64) wine_loader=$PLENZAR_WINE ;;
    *) wine_tests=OFF ;;
  esac
fi
cmake -S "$root" -B "$root/build/$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DPLENZAR_WINE_LOADER="$wine_loader" -DPLENZAR_WINE_TESTS=$wine_tests >/dev/null
cmake --build "$root/build/$arch"
