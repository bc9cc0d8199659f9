# Each suite of the Wine test program is one ctest entry per architecture,
# run by scripts/wine-exec.sh in the prefix that scripts/with-wine.sh made for
# that architecture. An architecture this host does not run is reported as
# skipped (exit code 77).
set(GRI_WINE_SUITES Dialog Surface Info Report Scene Drivers User UserObserved Safety Script Program CheckAProgram)
set(GRI_WINE_EXEC ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh)
foreach(arch ${GRI_WINDOWS_ARCHS})
  set(bin ${CMAKE_BINARY_DIR}/windows-${arch}/bin)
  set(tests)
  foreach(suite ${GRI_WINE_SUITES})
    add_test(NAME wine.${arch}.${suite}
      COMMAND ${GRI_WINE_EXEC} ${arch} ${bin}/wine_tests.exe --gtest_filter=${suite}.*:${suite}/*)
    list(APPEND tests wine.${arch}.${suite})
  endforeach()
  # The install step still installs every library this Wine maps to draw.
  add_test(NAME packages.wine.${arch}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-packages.py ${arch} ${bin}/gl-renderer-info.exe)
  add_test(NAME packages.wine.${arch}.must_fail
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-check-packages.sh ${arch} ${bin}/gl-renderer-info.exe)
  list(APPEND tests packages.wine.${arch} packages.wine.${arch}.must_fail)
  if(GRI_WITH_BENCH)
    add_test(NAME bench.wine.${arch} COMMAND ${GRI_WINE_EXEC} ${arch} ${bin}/bench.exe 1 20)
    list(APPEND tests bench.wine.${arch})
  endif()
  set_tests_properties(${tests} PROPERTIES RUN_SERIAL ON TIMEOUT 180 LABELS wine SKIP_RETURN_CODE 77)
endforeach()
