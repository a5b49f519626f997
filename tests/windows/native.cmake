# Tests of a cross-built Zol.exe that run on this machine: the file as it
# lies, and the menu itself under wine in Xvfb. ZOL_WINDOWS_BUILD is the
# cross build's folder; its wine prefix is shared with the tests run there.
get_filename_component(windows_build "${ZOL_WINDOWS_BUILD}" ABSOLUTE)
add_executable(zol_windows_tests
  tests/windows/pe_file.cc
  tests/windows/manifest.cc
  tests/windows/exe_test.cc
  tests/e2e/binary_under_test.cc
  tests/e2e/art_folder.cc
  tests/e2e/wine_test.cc
  tests/e2e/wine_screen_reader_test.cc)
target_link_libraries(zol_windows_tests PRIVATE zol_test_support GTest::gtest_main)
target_compile_definitions(zol_windows_tests PRIVATE
  ZOL_BINARY="${windows_build}/Zol.exe"
  ZOL_FAKE_GAME="${windows_build}/fake/ZolMain.exe"
  ZOL_WINDOW_TESTS="${windows_build}/zol_window_tests.exe"
  ZOL_MSAA_CLIENT="${windows_build}/msaa-client/MsaaClient.exe"
  ZOL_XINPUT_SCRIPT_DLL="${windows_build}/xinput-script/xinput1_4.dll"
  ZOL_WINE_PREFIX="${windows_build}/wine"
  ZOL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  ZOL_STUDIO_WINDOWS_BUILD="${CMAKE_BINARY_DIR}/studio-art-windows")
# One wine prefix: its tests take turns.
gtest_discover_tests(zol_windows_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS windows RUN_SERIAL TRUE TIMEOUT 300)
