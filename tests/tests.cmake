# One test executable: unit tests everywhere, end-to-end tests where the
# real binary can run under X.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
include(GoogleTest)

set(unit_tests
  tests/form_test.cc
  tests/image_test.cc
  tests/art_test.cc
  tests/hover_test.cc
  tests/actions_test.cc)
if(WIN32)
  set(platform_tests "")
else()
  set(platform_tests tests/spawn_posix_test.cc)
endif()

add_executable(zol_tests ${unit_tests} ${platform_tests})
target_link_libraries(zol_tests PRIVATE zol_core GTest::gtest_main)
if(NOT WIN32)
  target_link_libraries(zol_tests PRIVATE zol_platform)
endif()
target_compile_definitions(zol_tests PRIVATE ZOL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(zol_tests DISCOVERY_MODE PRE_TEST)

# End-to-end: the real binary under Xvfb. Where the binary can't run (a
# cross build), these are not built at all rather than skipped.
if(NOT WIN32)
  target_sources(zol_tests PRIVATE tests/e2e/x_session.cc tests/e2e/window_test.cc
    tests/e2e/menu_test.cc
    tests/e2e/actions_test.cc)
  target_link_libraries(zol_tests PRIVATE X11::X11)
  target_compile_definitions(zol_tests PRIVATE ZOL_BINARY="$<TARGET_FILE:zol>")
  add_dependencies(zol_tests zol)
endif()
