#!/usr/bin/env bash
# Installs the Debian 12 packages that the build and the tests need, and any extra
# packages named as arguments. Installs nothing that is already there. Wine's 32-bit
# loader (wine32, and with it the i386 architecture) only where the kernel can start it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake ninja-build python3 googletest g++-mingw-w64-x86-64-posix
          g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev wine wine64 fonts-wine "$@")
if "$here/starts-32bit.sh"; then
  packages+=(wine32:i386)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *:i386\ * ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
