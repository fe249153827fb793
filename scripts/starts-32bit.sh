#!/usr/bin/env bash
# Exits 0 when this machine's kernel starts 32-bit (IA-32) programs natively, 1 when it
# does not: it tries one that exits at once. Some kernels are built without IA-32 support;
# they answer "Exec format error". A start handed to an emulator through binfmt_misc
# (qemu-user takes about a minute a process) does not count.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)

if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
  exit 1
fi

# A 93-byte 32-bit Linux program: ELF header, one loadable segment, then
# mov eax, 1 (exit); xor ebx, ebx (status 0); int 0x80. Written into the build folder,
# since /tmp may forbid running programs.
mkdir -p "$root/build"
probe=$(mktemp "$root/build/.starts-32bit.XXXXXX")
trap 'rm -f "$probe"' EXIT
{
  # ELF header: 32-bit, little-endian, executable for i386, entry 0x08048054, one program header
  # (and the size of a section header, which some loaders check even when there is none)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00'
  # program header: the whole file (93 bytes) loaded at 0x08048000, readable and executable
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  # the code
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
} >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null && exit 0
exit 1
