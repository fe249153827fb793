# Runs the cross-compiled programs under Wine with a prefix of this build tree's own.
find_program(WINE_PROGRAM wine REQUIRED)

set(PLENZAR_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PLENZAR_WINE_HOME ${CMAKE_BINARY_DIR}/winehome)
set(PLENZAR_WINE_RUNNER ${CMAKE_BINARY_DIR}/wine-run)

configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${PLENZAR_WINE_RUNNER}
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PLENZAR_WINE_RUNNER})
