# Each suite of the Wine test program is one ctest entry. They run the real
# program, one at a time, in the prefix and display that scripts/with-wine.sh set up.
set(GRI_WINE_SUITES Dialog Surface Info Scene Drivers)
find_program(GRI_WINE wine REQUIRED)
foreach(suite ${GRI_WINE_SUITES})
  add_test(NAME wine.${suite}
    COMMAND ${GRI_WINE} ${GRI_WINDOWS_BIN}/wine_tests.exe --gtest_filter=${suite}.*:${suite}/*)
  set_tests_properties(wine.${suite} PROPERTIES RUN_SERIAL ON TIMEOUT 180 LABELS wine)
endforeach()
