# kub_add_unit_test(NAME SOURCES... [LIBS libs...])
# One test executable per group of related tests; natively it runs under the sanitizers, in the
# Windows tree under Wine, sharing one Wine session (prefix, wineserver, Xvfb) set up by a fixture.
enable_testing()

if(KUB_WINDOWS)
  set(KUB_WINE_ROOT "${CMAKE_BINARY_DIR}/wine")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/cmake/wine-run.sh;${KUB_WINE_ROOT}")
  add_test(NAME wine_session_start
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh start ${KUB_WINE_ROOT})
  # A fresh prefix takes about 45 s to make; later starts a few seconds.
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  add_test(NAME wine_session_stop
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh stop ${KUB_WINE_ROOT})
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# Wine prints this when a program dies of an exception nothing handled. The exit status of such a
# program is not reliable under Wine (at times 0), so the output decides.
set(KUB_WINE_CRASH_PATTERN "wine: Unhandled ")

function(kub_add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kub_flags GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(KUB_WINDOWS)
    # The slowest of these needs about 15 s under Wine (40 s on a machine loaded eight times
    # over); a test stuck on a dialog fails here rather than holding the run. Longer
    # integration tests set their own.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON TIMEOUT 90
                                            FAIL_REGULAR_EXPRESSION "${KUB_WINE_CRASH_PATTERN}")
  endif()
endfunction()
