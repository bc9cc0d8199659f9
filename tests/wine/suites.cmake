# Each suite of the Wine test program is one ctest entry per architecture,
# run by scripts/wine-exec.sh in the prefix that scripts/with-wine.sh made for
# that architecture. An architecture this host does not run is reported as
# skipped (exit code 77). "wow64" is the 32-bit build's tests in a 64-bit
# prefix: the 32-bit program on 64-bit Windows, as most users run it; the
# suites whose answers depend on bitness run there too.
set(GRI_WINE_SUITES Dialog Surface Info Report Scene Drivers User UserObserved Safety Script Compare PixelFormats Program
  CheckAProgram
  CompareDialog Access Fleet)
set(GRI_WOW64_SUITES Info Report Drivers Script Program CheckAProgram)
set(GRI_WINE_EXEC ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh)
foreach(arch ${GRI_WINDOWS_ARCHS} wow64)
  if(arch STREQUAL "wow64")
    set(bin ${CMAKE_BINARY_DIR}/windows-i686/bin)
    set(suites ${GRI_WOW64_SUITES})
  else()
    set(bin ${CMAKE_BINARY_DIR}/windows-${arch}/bin)
    set(suites ${GRI_WINE_SUITES})
  endif()
  set(tests)
  foreach(suite ${suites})
    add_test(NAME wine.${arch}.${suite}
      COMMAND ${GRI_WINE_EXEC} ${arch} ${bin}/wine_tests.exe --gtest_filter=${suite}.*:${suite}/*)
    list(APPEND tests wine.${arch}.${suite})
  endforeach()
  if(NOT arch STREQUAL "wow64")
    # The install step still installs every library this Wine maps to draw.
    add_test(NAME packages.wine.${arch}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-packages.py ${arch} ${bin}/gl-renderer-info.exe)
    add_test(NAME packages.wine.${arch}.must_fail
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-check-packages.sh ${arch} ${bin}/gl-renderer-info.exe
              ${bin}/forbidden_imports.exe)
    list(APPEND tests packages.wine.${arch} packages.wine.${arch}.must_fail)
    # The HTML report in a real browser, with JavaScript off.
    add_test(NAME wine.${arch}.Browser
      COMMAND ${CMAKE_SOURCE_DIR}/tests/html/browser_test.py ${arch} ${bin} ${CMAKE_SOURCE_DIR})
    list(APPEND tests wine.${arch}.Browser)
    if(GRI_WITH_BENCH)
      add_test(NAME bench.wine.${arch} COMMAND ${GRI_WINE_EXEC} ${arch} ${bin}/bench.exe 1 20)
      list(APPEND tests bench.wine.${arch})
    endif()
  endif()
  # One prefix, display and server per architecture: its tests run one at a
  # time (they share the prefix's registry, clipboard and focus), beside those
  # of the other architectures and everything else.
  set_tests_properties(${tests} PROPERTIES RESOURCE_LOCK wine-${arch} TIMEOUT 180 LABELS wine SKIP_RETURN_CODE 77)
endforeach()
