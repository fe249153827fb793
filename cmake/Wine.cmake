# Runs the cross-compiled programs under Wine with a prefix of this build tree's own.
# scripts/build.sh says how this machine runs them:
#   PLENZAR_WINE_LOADER  Wine's 64-bit loader, called directly, where Debian's wine wrapper
#                        would take a 32-bit loader that this machine cannot start;
#                        empty: the wine wrapper.
#   PLENZAR_WINE_TESTS   OFF where this tree's programs cannot start here: the test programs
#                        are built, and only the checks that need no Wine go to ctest.
set(PLENZAR_WINE_LOADER "" CACHE STRING "Wine loader called directly; empty for the wine wrapper")
option(PLENZAR_WINE_TESTS "Run this tree's test programs under Wine" ON)

if(PLENZAR_WINE_LOADER)
  set(PLENZAR_WINE_PROGRAM ${PLENZAR_WINE_LOADER})
else()
  find_program(WINE_PROGRAM wine REQUIRED)
  set(PLENZAR_WINE_PROGRAM ${WINE_PROGRAM})
endif()

set(PLENZAR_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PLENZAR_WINE_HOME ${CMAKE_BINARY_DIR}/winehome)
set(PLENZAR_WINE_RUNNER ${CMAKE_BINARY_DIR}/wine-run)

configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${PLENZAR_WINE_RUNNER}
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PLENZAR_WINE_RUNNER})
