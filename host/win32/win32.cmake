# Windows: the Win32 platform and Zol.exe, one GUI executable that carries
# its C++ runtime, its manifest, its version block and its icon group.
enable_language(RC)

add_library(zol_platform STATIC host/win32/platform.cc host/win32/window.cc
  host/win32/programs.cc host/win32/failure_message.cc host/win32/text.cc host/win32/system_library.cc
  host/win32/key_map.cc host/win32/xinput_pads.cc host/win32/memory.cc)
target_link_libraries(zol_platform PUBLIC zol_core PRIVATE user32 gdi32)

# The icon of the picture folder in use, a studio's as much as ours.
set(ZOL_ICON_FILE ${art_dir}/zol.ico)
set(ZOL_MANIFEST_FILE ${CMAKE_SOURCE_DIR}/host/win32/zol.manifest)
configure_file(host/win32/zol.rc.in generated/zol.rc @ONLY)
set(resources ${CMAKE_BINARY_DIR}/generated/zol.rc)
set_source_files_properties(${resources} PROPERTIES
  OBJECT_DEPENDS "${ZOL_ICON_FILE};${ZOL_MANIFEST_FILE}" COMPILE_OPTIONS "-c;65001")

add_executable(zol WIN32 host/main.cc ${resources})
set_target_properties(zol PROPERTIES OUTPUT_NAME Zol)
target_link_libraries(zol PRIVATE zol_platform)
# No time stamp in the file (the resources carry none either), and no
# symbols: the same bytes from every build of one commit.
target_link_options(zol PRIVATE -static -s -Wl,--no-insert-timestamp)
install(TARGETS zol)
