# Sourced: finds out once whether this machine starts 32-bit programs, and picks the Wine
# loader that 64-bit programs run under. The finding is exported, so the scripts this one
# starts do not try again:
#   PLENZAR_WINE32  "yes", or why 32-bit programs are not run here;
#   PLENZAR_WINE    the loader; in the scripts that source this file, "wine" calls it.
# Debian's wine wrapper (and wineboot, winepath, regedit through it) always takes the 32-bit
# loader once wine32 is installed, which fails with "Exec format error" on a kernel that
# cannot start 32-bit programs; there 64-bit programs go to the 64-bit loader directly.
# PLENZAR_64BIT_ONLY=1 takes that path on any machine.
if [ -z "${PLENZAR_WINE32:-}" ]; then
  if [ -n "${PLENZAR_64BIT_ONLY:-}" ] && [ "$PLENZAR_64BIT_ONLY" != 0 ]; then
    PLENZAR_WINE32="PLENZAR_64BIT_ONLY is set"
  elif "$(dirname "${BASH_SOURCE[0]}")/starts-32bit.sh"; then
    PLENZAR_WINE32=yes
  else
    PLENZAR_WINE32="this machine's kernel cannot start 32-bit programs"
  fi
fi
if [ "$PLENZAR_WINE32" = yes ]; then
  PLENZAR_WINE=wine
else
  PLENZAR_WINE=/usr/lib/wine/wine64
  export WINELOADER=$PLENZAR_WINE
fi
export PLENZAR_WINE32 PLENZAR_WINE

wine() { command "$PLENZAR_WINE" "$@"; }
