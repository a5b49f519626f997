# One test executable: unit tests everywhere, end-to-end tests where the
# real binary can run under X.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)  # googletest 1.11 and later name them themselves
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
include(GoogleTest)

set(unit_tests
  tests/form_test.cc
  tests/form_scale_test.cc
  tests/navigation_test.cc
  tests/direction_repeat_test.cc
  tests/pad_rule_test.cc
  tests/scale_test.cc
  tests/resample_test.cc
  tests/image_test.cc
  tools/art_check/checks.cc
  tests/hover_test.cc
  tests/actions_test.cc
  tests/failure_test.cc
  tests/words_test.cc
  tests/accessibility_test.cc)
if(WIN32)
  set(platform_tests "")
else()
  set(platform_tests tests/posix/spawn_test.cc tests/x11/platform_test.cc tests/x11/pixel_format_test.cc
    tests/x11/text_layout_test.cc tests/x11/core_font_test.cc tests/x11/keyboard_test.cc
    tests/rooms_test.cc tests/linux/pad_state_test.cc tests/linux/steam_filter_test.cc
    tests/x11/event_wait_test.cc tests/x11/dbus_message_test.cc)
endif()

# One test-support library: the test pictures everywhere; where the real
# binary can run, the X session, the helpers' processes, the expected
# pictures and the stand-in for the programs the menu starts.
add_library(zol_test_support STATIC tests/test_pictures.cc)
target_link_libraries(zol_test_support PUBLIC zol_core)
if(NOT WIN32)
  if(NOT X11_Xtst_FOUND OR NOT X11_Xdamage_FOUND)
    message(FATAL_ERROR "The end-to-end tests need libxtst-dev and libxdamage-dev")
  endif()
  add_executable(zol_fake_game tests/e2e/fake_game_main.cc)
  target_sources(zol_test_support PRIVATE tests/e2e/x_session.cc tests/e2e/child_process.cc
    tests/e2e/menu_fixtures.cc tests/e2e/fake_game.cc tests/e2e/scripted_pads.cc)
  # Preloaded into the menu by a test, to put scripted devices in the place of /dev/input.
  add_library(zol_scripted_input SHARED tests/e2e/scripted_input.cc)
  target_link_libraries(zol_scripted_input PRIVATE ${CMAKE_DL_LIBS})
  target_compile_definitions(zol_test_support PRIVATE
    ZOL_SCRIPTED_INPUT_LIBRARY="$<TARGET_FILE:zol_scripted_input>")
  add_dependencies(zol_test_support zol_scripted_input)
  target_link_libraries(zol_test_support PUBLIC GTest::gtest X11::X11)
  target_compile_definitions(zol_test_support PRIVATE ZOL_FAKE_GAME="$<TARGET_FILE:zol_fake_game>")
  add_dependencies(zol_test_support zol_fake_game)
endif()

add_executable(zol_tests ${unit_tests} ${platform_tests})
target_link_libraries(zol_tests PRIVATE zol_core zol_test_support GTest::gtest_main)
if(NOT WIN32)
  target_link_libraries(zol_tests PRIVATE zol_platform)
  target_include_directories(zol_tests PRIVATE ${DBUS_INCLUDE_DIRS})  # libdbus's headers only
endif()
target_compile_definitions(zol_tests PRIVATE ZOL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The timeout is for wine (the Windows build), whose cold start takes seconds.
gtest_discover_tests(zol_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)

# End-to-end: the real binary under Xvfb, each case its own test. Where the
# binary can't run (a cross build), these are not built at all rather than
# skipped. Hardening among them: the menu under faults and beside a hostile
# game directory.
if(NOT WIN32)
  target_sources(zol_tests PRIVATE
    tests/e2e/window_test.cc
    tests/e2e/menu_test.cc
    tests/e2e/hidpi_test.cc
    tests/e2e/actions_test.cc
    tests/e2e/keys_test.cc
    tests/e2e/faults_test.cc
    tests/e2e/game_dir_test.cc
    tests/e2e/visual_test.cc
    tests/e2e/started_test.cc
    tests/e2e/art_folder.cc
    tests/e2e/art_check_test.cc
    tests/e2e/binary_under_test.cc
    tests/e2e/gamepad_test.cc
    tests/e2e/focus_test.cc
    tests/e2e/accessibility_bus.cc
    tests/e2e/screen_reader_test.cc)
  target_link_libraries(zol_tests PRIVATE X11::Xtst X11::Xdamage)
  # Preloaded into the menu by a test, to have the server reject a request.
  add_library(zol_x_error_injector SHARED tests/e2e/x_error_injector.cc)
  target_link_libraries(zol_x_error_injector PRIVATE X11::X11 ${CMAKE_DL_LIBS})
  # Preloaded into the menu by a test, to hold it stopped once its window is mapped.
  add_library(zol_x_stop_after_map SHARED tests/e2e/x_stop_after_map.cc)
  target_link_libraries(zol_x_stop_after_map PRIVATE X11::X11 ${CMAKE_DL_LIBS})
  target_compile_definitions(zol_tests PRIVATE ZOL_BINARY="$<TARGET_FILE:zol>"
    ZOL_ART_CHECK="$<TARGET_FILE:zol_art_check>"
    ZOL_X_ERROR_INJECTOR="$<TARGET_FILE:zol_x_error_injector>"
    ZOL_X_STOP_AFTER_MAP="$<TARGET_FILE:zol_x_stop_after_map>")
  add_dependencies(zol_tests zol zol_art_check zol_x_error_injector zol_x_stop_after_map)
  # valgrind can't run what a sanitizer instruments.
  if(ZOL_SANITIZE)
    target_compile_definitions(zol_tests PRIVATE ZOL_SANITIZED)
  else()
    target_sources(zol_tests PRIVATE tests/e2e/valgrind_test.cc)
    # Builds the project once more, with a studio's pictures: the plain run
    # covers it; a sanitized one would only build the same again.
    target_sources(zol_tests PRIVATE tests/e2e/studio_art_test.cc)
    target_compile_definitions(zol_tests PRIVATE ZOL_STUDIO_BUILD="${CMAKE_BINARY_DIR}/studio-art")
  endif()
endif()

# The release binary as the loader sees it. A sanitizer or Debug build is
# not what ships, and is not hardened the same way.
if(NOT WIN32 AND NOT ZOL_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  target_sources(zol_tests PRIVATE tests/linux/elf_file.cc tests/linux/binary_test.cc)
endif()

# Windows: the platform's own tests run here under wine, beside a stand-in
# game. The end-to-end tests of Zol.exe run natively, in a build configured
# with -DZOL_WINDOWS_BUILD=<this cross build's folder>.
if(WIN32)
  add_executable(fake_game WIN32 tests/windows/fake_game.cc)
  set_target_properties(fake_game PROPERTIES OUTPUT_NAME ZolMain
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fake)
  target_sources(zol_tests PRIVATE tests/windows/platform_test.cc tests/windows/system_library_test.cc
    tests/windows/key_map_test.cc tests/windows/xinput_pads_test.cc tests/windows/accessible_test.cc)
  target_link_libraries(zol_tests PRIVATE zol_platform oleaut32)
  target_compile_definitions(zol_tests PRIVATE ZOL_FAKE_GAME="$<TARGET_FILE:fake_game>")
  add_dependencies(zol_tests fake_game)
  # XInput's name on a scripted pad, for the menu under wine (tests/e2e/wine_test.cc).
  add_library(zol_xinput_script SHARED tests/windows/xinput_script.cc)
  set_target_properties(zol_xinput_script PROPERTIES OUTPUT_NAME xinput1_4 PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/xinput-script)
  target_link_options(zol_xinput_script PRIVATE -static)
  add_dependencies(zol_tests zol_xinput_script)
  # A screen reader's view of the menu under wine, through oleacc.
  add_executable(zol_msaa_client tests/windows/msaa_client.cc)
  set_target_properties(zol_msaa_client PROPERTIES OUTPUT_NAME MsaaClient
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/msaa-client)
  target_link_libraries(zol_msaa_client PRIVATE oleacc ole32 oleaut32 uuid)
  target_link_options(zol_msaa_client PRIVATE -static)
  add_dependencies(zol_tests zol_msaa_client)
  # Tests that need a display; not run here, where wine has none.
  add_executable(zol_window_tests tests/windows/platform_window_test.cc)
  target_link_libraries(zol_window_tests PRIVATE zol_platform GTest::gtest_main)
elseif(ZOL_WINDOWS_BUILD)
  include(tests/windows/native.cmake)
endif()
