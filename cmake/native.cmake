# The native side: the portable rules, their unit tests on a Mesa context, and
# the Windows builds, cross-compiled as projects of their own.
include(ExternalProject)

add_library(gri_rules STATIC ${GRI_RULE_SOURCES})
target_include_directories(gri_rules PUBLIC ${CMAKE_SOURCE_DIR})
gri_warnings(gri_rules)

if(GRI_WITH_TESTS)
  enable_testing()
  add_subdirectory(tests/native)
endif()
if(GRI_WITH_BENCH)
  add_subdirectory(bench)
endif()

option(GRI_CROSS "cross-build the Windows targets" ON)
if(GRI_CROSS)
  foreach(arch i686 x86_64)
    set(with_tests OFF)
    set(with_bench OFF)
    if(arch STREQUAL i686)
      set(with_tests ${GRI_WITH_TESTS})
      set(with_bench ${GRI_WITH_BENCH})
    endif()
    ExternalProject_Add(windows-${arch}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}-mingw.cmake
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
        -DGRI_WITH_TESTS=${with_tests}
        -DGRI_WITH_BENCH=${with_bench}
        -DGOOGLETEST_SOURCE_DIR=${GOOGLETEST_SOURCE_DIR}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON)
  endforeach()
  set(GRI_WINDOWS_BIN ${CMAKE_BINARY_DIR}/windows-i686/bin)
  if(GRI_WITH_TESTS)
    include(${CMAKE_SOURCE_DIR}/tests/wine/suites.cmake)
    if(GRI_WITH_BENCH)
      # Short runs, so that a benchmark that no longer measures fails CI
      # rather than the next person who wants figures.
      add_test(NAME bench.rules COMMAND rules_bench --benchmark_min_time=0.001 --benchmark_repetitions=2)
      add_test(NAME bench.wine COMMAND ${GRI_WINE} ${GRI_WINDOWS_BIN}/bench.exe 1 20)
      set_tests_properties(bench.wine PROPERTIES RUN_SERIAL ON TIMEOUT 180 LABELS wine)
    endif()
  endif()
endif()
