# orvix_discover_gtest_suites(target [TIMEOUT seconds]): one CTest test per GoogleTest suite of
# `target` ("Suite.*"), listed when CTest starts, as gtest_discover_tests(DISCOVERY_MODE PRE_TEST)
# lists single tests. For programs whose every start is slow (a static Qt program under wine):
# one start per suite instead of one per test.
function(orvix_discover_gtest_suites target)
  cmake_parse_arguments(S "" "TIMEOUT" "" ${ARGN})
  if(NOT S_TIMEOUT)
    set(S_TIMEOUT 300)
  endif()
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT
"set(ORVIX_SUITES_EXECUTABLE [==[$<TARGET_FILE:${target}>]==])
set(ORVIX_SUITES_EMULATOR [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==])
set(ORVIX_SUITES_TIMEOUT ${S_TIMEOUT})
include([==[${CMAKE_SOURCE_DIR}/cmake/GTestSuitesAdd.cmake]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
