# Run by CTest as it starts (see GTestSuites.cmake): lists the program's suites and adds one test
# for each. A program that cannot list its tests becomes one failing test that says why.
if(NOT EXISTS "${ORVIX_SUITES_EXECUTABLE}")
  return()  # not built yet
endif()
get_filename_component(program "${ORVIX_SUITES_EXECUTABLE}" NAME_WE)
execute_process(COMMAND ${ORVIX_SUITES_EMULATOR} "${ORVIX_SUITES_EXECUTABLE}" --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
  string(REPLACE "\n" " " errors "${errors}")
  add_test("${program}.cannot-list-its-tests" ${CMAKE_COMMAND} -E echo "listing failed (${result}): ${errors}")
  set_tests_properties("${program}.cannot-list-its-tests" PROPERTIES WILL_FAIL TRUE)
  return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a dot ("Suite." or
  # "Prefix/Suite.  # TypeParam = ..."); its tests follow indented.
  if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
    set(suite "${CMAKE_MATCH_1}")
    add_test("${suite}.*" ${ORVIX_SUITES_EMULATOR} "${ORVIX_SUITES_EXECUTABLE}" "--gtest_filter=${suite}.*")
    set_tests_properties("${suite}.*" PROPERTIES TIMEOUT ${ORVIX_SUITES_TIMEOUT})
  endif()
endforeach()
