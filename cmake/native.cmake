# The native side: the portable rules, their unit tests on a Mesa context, and
# the Windows builds, cross-compiled as projects of their own.
include(ExternalProject)

# Set for the sanitizer build of the native tests, a project of its own in
# build/native-sanitized, out of the way of the normal one.
option(GRI_SANITIZE "build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(GRI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(gri_rules STATIC ${GRI_RULE_SOURCES})
target_include_directories(gri_rules PUBLIC ${CMAKE_SOURCE_DIR})
gri_warnings(gri_rules)

if(GRI_WITH_TESTS)
  enable_testing()
  add_subdirectory(tests/native)
  if(NOT GRI_SANITIZE)
    # The same tests again, built with the sanitizers in a project of their own.
    ExternalProject_Add(native-sanitized
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/native-sanitized
      CMAKE_ARGS
        -DCMAKE_BUILD_TYPE=Debug
        -DGRI_SANITIZE=ON
        -DGRI_CROSS=OFF
        -DGRI_WITH_BENCH=OFF
        -DGOOGLETEST_SOURCE_DIR=${GOOGLETEST_SOURCE_DIR}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON)
    add_test(NAME sanitized.native_tests COMMAND ${CMAKE_BINARY_DIR}/native-sanitized/tests/native/native_tests)
    set_tests_properties(sanitized.native_tests PROPERTIES ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/native/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
endif()
if(GRI_WITH_BENCH)
  add_subdirectory(bench)
endif()

# A libFuzzer target built with clang under AddressSanitizer and UBSan from
# SOURCES (HEADERS are what else it depends on), and its short, seeded run as
# the test fuzz.NAME: tests/fuzz/run.sh FUZZER SEEDS CORPUS [RUNS] [LONGEST].
function(gri_fuzzer name seeds)
  cmake_parse_arguments(F "" "" "SOURCES;HEADERS;RUN" ${ARGN})
  set(fuzzer ${CMAKE_BINARY_DIR}/${name}_fuzzer)
  add_custom_command(OUTPUT ${fuzzer}
    COMMAND ${GRI_CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR} -I${GRI_GENERATED} ${F_SOURCES} -o ${fuzzer}
    DEPENDS ${F_SOURCES} ${F_HEADERS}
    COMMENT "Building the ${name} fuzzer")
  add_custom_target(${name}_fuzz ALL DEPENDS ${fuzzer})
  add_test(NAME fuzz.${name}_reader COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${fuzzer} $<TARGET_FILE:${seeds}>
                                           ${CMAKE_BINARY_DIR}/${name}-corpus ${F_RUN})
  set_tests_properties(fuzz.${name}_reader PROPERTIES TIMEOUT 120)
endfunction()

# What anyone may download or send is fuzzed: the PE reader, and a report
# read back for --compare.
if(GRI_WITH_TESTS AND NOT GRI_SANITIZE)
  find_program(GRI_CLANGXX NAMES clang++ clang++-14 REQUIRED)
  set(src ${CMAKE_SOURCE_DIR})
  add_executable(pe_seeds tests/fuzz/pe_seeds.cpp)
  target_include_directories(pe_seeds PRIVATE ${CMAKE_SOURCE_DIR})
  gri_warnings(pe_seeds)
  gri_fuzzer(pe pe_seeds
    SOURCES ${src}/tests/fuzz/pe_fuzz.cpp ${src}/program/pe_image.cpp ${src}/program/application.cpp ${src}/program/manifest.cpp
    HEADERS ${src}/program/pe_image.h ${src}/program/application.h ${src}/program/manifest.h)

  add_executable(report_seeds tests/fuzz/report_seeds.cpp)
  # The rules hold the projection's GL calls, which OSMesa carries.
  find_library(GRI_OSMESA OSMesa REQUIRED)
  target_link_libraries(report_seeds PRIVATE gri_rules ${GRI_OSMESA})
  gri_warnings(report_seeds)
  gri_fuzzer(report report_seeds
    SOURCES ${src}/tests/fuzz/report_fuzz.cpp ${src}/report/json_reader.cpp ${src}/report/compare.cpp ${src}/report/facts.cpp
            ${src}/render/gl_registry.cpp ${src}/platform/utf.cpp
    HEADERS ${src}/report/json_reader.h ${src}/report/compare.h ${src}/report/facts.h ${src}/platform/ascii.h
            ${src}/render/gl_registry.h ${GRI_GL_REGISTRY_TABLE}
    RUN 100000 32768)
endif()

option(GRI_CROSS "cross-build the Windows targets" ON)
if(GRI_CROSS)
  # Both architectures, every Windows part: the product is the i686 program;
  # the x86_64 build of the same sources is how it is checked under 64-bit
  # Wine on hosts that cannot execute 32-bit code.
  set(GRI_WINDOWS_ARCHS i686 x86_64)
  foreach(arch ${GRI_WINDOWS_ARCHS})
    # The program alone, with the win32 thread model: no thread library, so it
    # imports nothing that Windows XP lacks.
    ExternalProject_Add(program-${arch}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/program-${arch}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}-mingw.cmake
        -DGRI_THREAD_MODEL=win32
        -DGRI_PROGRAM_ONLY=ON
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON)
    # Everything else that runs under Wine: tests, OpenGL double, benchmarks, tools.
    ExternalProject_Add(windows-${arch}
      DEPENDS program-${arch}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}-mingw.cmake
        -DGRI_PROGRAM_EXE=${CMAKE_BINARY_DIR}/program-${arch}/bin/gl-renderer-info.exe
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
        -DGRI_WITH_TESTS=${GRI_WITH_TESTS}
        -DGRI_WITH_BENCH=${GRI_WITH_BENCH}
        -DGOOGLETEST_SOURCE_DIR=${GOOGLETEST_SOURCE_DIR}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON)
  endforeach()
  if(GRI_WITH_TESTS)
    foreach(arch ${GRI_WINDOWS_ARCHS})
      add_test(NAME program.${arch}.imports
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_BINARY_DIR}/program-${arch}/bin/gl-renderer-info.exe)
    endforeach()
    # A download people fetch to run once: a regression in its weight fails here.
    add_test(NAME program.i686.size
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh ${CMAKE_BINARY_DIR}/program-i686/bin/gl-renderer-info.exe 320
              ${CMAKE_BINARY_DIR}/program-i686/gl-renderer-info.map)
    add_test(NAME scripts.wine_arch COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-wine-arch.sh)
    # The install step survives a broken package index, against stand-ins of apt.
    add_test(NAME scripts.install_deps COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-install-deps.sh)
    # Every check and validator fails where it must.
    add_test(NAME scripts.checks_fail COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-checks.sh ${CMAKE_SOURCE_DIR})
    # The README's table of JSON keys is the schema's.
    add_test(NAME docs.json_keys
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/json-keys.py ${CMAKE_SOURCE_DIR}/docs/report.schema.json ${CMAKE_SOURCE_DIR}/docs/json.md)
    # The import check fails where it must: on a forbidden DLL and function.
    add_test(NAME scripts.check_imports
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-check-imports.sh
              ${CMAKE_BINARY_DIR}/windows-i686/bin/forbidden_imports.exe
              ${CMAKE_BINARY_DIR}/program-i686/bin/gl-renderer-info.exe)
    add_test(NAME program.reproducible
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-reproducible.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${CMAKE_BUILD_TYPE})
    set_tests_properties(program.reproducible PROPERTIES TIMEOUT 300)
    include(${CMAKE_SOURCE_DIR}/tests/wine/suites.cmake)
    if(GRI_WITH_BENCH)
      # Short runs, so that a benchmark that no longer measures fails CI
      # rather than the next person who wants figures.
      add_test(NAME bench.rules COMMAND rules_bench --benchmark_min_time=0.001 --benchmark_repetitions=2)
    endif()
  endif()
endif()
