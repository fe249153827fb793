# GoogleTest built with the cross toolchain, test suites run by ctest through Wine,
# and the native checks of the deliverables.
include(GoogleTest)
enable_testing()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# plenzar_add_test_suite(NAME <exe> SOURCES <files...> LIBS <targets...> [PARALLEL_SAFE])
# Every case becomes one ctest test run under Wine. Cases share the prefix (registry,
# temporary folder, desktop), so suites run one case at a time unless they say they
# touch nothing shared. Where this tree's programs cannot start (PLENZAR_WINE_TESTS OFF),
# the suite is built and not registered.
function(plenzar_add_test_suite)
  cmake_parse_arguments(ARG "PARALLEL_SAFE" "NAME" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE GTest::gmock_main ${ARG_LIBS})
  if(ARG_DEPENDS)
    add_dependencies(${ARG_NAME} ${ARG_DEPENDS})
  endif()
  if(NOT PLENZAR_WINE_TESTS)
    return()
  endif()
  set(lock_property "")
  if(NOT ARG_PARALLEL_SAFE)
    set(lock_property RESOURCE_LOCK wine_user_state)
  endif()
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    PROPERTIES TIMEOUT 120 ${lock_property})
endfunction()

# plenzar_deliverable(<target> FORMAT <pe32|pe32+> [GUI] [COM_SERVER])
# Records a deliverable for the native PE check.
function(plenzar_deliverable target)
  cmake_parse_arguments(ARG "GUI;COM_SERVER" "FORMAT" "" ${ARGN})
  set(args --format ${ARG_FORMAT})
  if(ARG_GUI)
    list(APPEND args --gui)
  endif()
  if(ARG_COM_SERVER)
    list(APPEND args --com-server)
  endif()
  set_property(GLOBAL APPEND PROPERTY PLENZAR_DELIVERABLES ${target})
  set_property(GLOBAL PROPERTY PLENZAR_DELIVERABLE_ARGS_${target} "${args}")
endfunction()

function(plenzar_add_deliverable_checks)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  get_property(deliverables GLOBAL PROPERTY PLENZAR_DELIVERABLES)
  foreach(target IN LISTS deliverables)
    get_property(args GLOBAL PROPERTY PLENZAR_DELIVERABLE_ARGS_${target})
    add_test(NAME pe_check.${target}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/pe_check.py
                     --objdump ${CMAKE_OBJDUMP} ${args} $<TARGET_FILE:${target}>)
  endforeach()
endfunction()
