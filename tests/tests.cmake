# One test executable: unit tests everywhere, end-to-end tests where the
# real binary can run under X.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)  # googletest 1.11 and later name it themselves
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
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
# The timeout is for wine (the Windows build), whose cold start takes seconds.
gtest_discover_tests(zol_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)

# End-to-end: the real binary under Xvfb. Where the binary can't run (a
# cross build), these are not built at all rather than skipped.
if(NOT WIN32)
  target_sources(zol_tests PRIVATE tests/e2e/x_session.cc tests/e2e/child_process.cc
    tests/e2e/menu_fixtures.cc
    tests/e2e/window_test.cc
    tests/e2e/menu_test.cc
    tests/e2e/actions_test.cc)
  target_link_libraries(zol_tests PRIVATE X11::X11)
  target_compile_definitions(zol_tests PRIVATE ZOL_BINARY="$<TARGET_FILE:zol>")
  add_dependencies(zol_tests zol)
endif()

# The release binary as the loader sees it. A sanitizer or Debug build is
# not what ships, and is not hardened the same way.
if(NOT WIN32 AND NOT ZOL_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  target_sources(zol_tests PRIVATE tests/linux/elf_file.cc tests/linux/binary_test.cc)
endif()

# Hardening: the menu under faults and beside a hostile game directory.
if(NOT WIN32)
  if(NOT X11_Xtst_FOUND OR NOT X11_Xdamage_FOUND)
    message(FATAL_ERROR "The end-to-end tests need libxtst-dev and libxdamage-dev")
  endif()
  target_sources(zol_tests PRIVATE tests/e2e/faults_test.cc tests/e2e/game_dir_test.cc)
  target_link_libraries(zol_tests PRIVATE X11::Xtst X11::Xdamage)
  # valgrind can't run what a sanitizer instruments.
  if(ZOL_SANITIZE)
    target_compile_definitions(zol_tests PRIVATE ZOL_SANITIZED)
  else()
    target_sources(zol_tests PRIVATE tests/e2e/valgrind_test.cc)
  endif()
endif()

# Windows: the platform's own tests run here under wine, beside a stand-in
# game. The end-to-end tests of Zol.exe run natively, in a build configured
# with -DZOL_WINDOWS_BUILD=<this cross build's folder>.
if(WIN32)
  add_executable(fake_game WIN32 tests/windows/fake_game.cc)
  set_target_properties(fake_game PROPERTIES OUTPUT_NAME ZolMain
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fake)
  target_sources(zol_tests PRIVATE tests/platform_win32_test.cc)
  target_link_libraries(zol_tests PRIVATE zol_platform)
  target_compile_definitions(zol_tests PRIVATE ZOL_FAKE_GAME="$<TARGET_FILE:fake_game>")
  add_dependencies(zol_tests fake_game)
elseif(ZOL_WINDOWS_BUILD)
  include(tests/windows/native.cmake)
endif()
